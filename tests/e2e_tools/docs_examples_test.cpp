// The conversion examples of the documentation are what tarnwick-convert prints: every command
// line "$ ... | tarnwick-convert ..." is run as it stands from the source folder, and what it
// prints (standard output, then standard error) must be the lines under it up to the block's end.
#include "support/service_fixture.hpp"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace orx::test;

class docs_examples : public ::testing::TestWithParam<std::pair<std::string, std::size_t>> {};

TEST_P(docs_examples, are_what_tarnwick_convert_prints) {
    // Source locations in failure lines are left out: they depend on how the program was built.
    static const std::regex location(R"( /[\w/.-]+\.[ch]pp(:\d+)?| :\d+(?= ))");
    std::ifstream document(std::string(TARNWICK_SOURCE_DIR) + "/docs/" + GetParam().first);
    temp_dir dir;
    std::size_t examples = 0;
    for (std::string line; std::getline(document, line);) {
        if (line.rfind("$ ", 0) != 0 || line.find("| tarnwick-convert") == std::string::npos)
            continue;
        child_process run("/bin/sh", {"-c", "PATH=" TARNWICK_BINARY_DIR "/tools:$PATH; " + line.substr(2)}, dir.path(),
                          TARNWICK_SOURCE_DIR);
        run.wait();
        std::string documented;
        for (std::string output; std::getline(document, output) && output != "```";)
            documented += output + "\n";
        EXPECT_EQ(std::regex_replace(run.standard_output() + run.error_output(), location, ""),
                  std::regex_replace(documented, location, ""))
            << line;
        ++examples;
    }
    // A changed layout of the blocks would otherwise leave examples unchecked.
    EXPECT_GE(examples, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(documents, docs_examples,
                         ::testing::Values(std::make_pair("reference.md", 13), std::make_pair("parameters.md", 22)),
                         [](const auto& info) { return info.param.first.substr(0, info.param.first.find('.')); });

}  // namespace
