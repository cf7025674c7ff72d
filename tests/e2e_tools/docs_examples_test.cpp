// The conversion examples of the documentation are what tarnwick-convert prints: every command
// line "$ ... | tarnwick-convert ..." is run as it stands from the source folder, and what it
// prints (standard output, then standard error) must be the lines under it up to the block's end.
#include "support/service_fixture.hpp"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace orx::test;

// Each document holds at least as many examples as it does today: a changed layout of the blocks
// would otherwise leave examples unchecked.
TEST(docs_examples, are_what_tarnwick_convert_prints) {
    // Source locations in failure lines are left out: they depend on how the program was built.
    static const std::regex location(R"( /[\w/.-]+\.[ch]pp(:\d+)?| :\d+(?= ))");
    temp_dir dir;
    for (const auto& [name, at_least] : {std::pair{"reference.md", 13}, {"parameters.md", 22}}) {
        std::ifstream document(std::string(TARNWICK_SOURCE_DIR) + "/docs/" + name);
        int examples = 0;
        for (std::string line; std::getline(document, line);) {
            if (line.rfind("$ ", 0) != 0 || line.find("| tarnwick-convert") == std::string::npos)
                continue;
            child_process run("/bin/sh", {"-c", "PATH=" TARNWICK_BINARY_DIR "/tools:$PATH; " + line.substr(2)},
                              dir.path(), TARNWICK_SOURCE_DIR);
            run.wait();
            std::string documented;
            for (std::string output; std::getline(document, output) && output != "```";)
                documented += output + "\n";
            EXPECT_EQ(std::regex_replace(run.standard_output() + run.error_output(), location, ""),
                      std::regex_replace(documented, location, ""))
                << name << ": " << line;
            ++examples;
        }
        EXPECT_GE(examples, at_least) << name;
    }
}

}  // namespace
