// The conversion examples of the documentation are what tarnwick-convert
// prints: every ```console block whose command pipes lines into
// tarnwick-convert is run, and its output (standard output, then standard
// error) must be the block's remaining lines.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace orx::test;

struct example {
    int line = 0;  // of the command in the document
    std::vector<std::string> inputs;
    std::string parameter_file;  // relative to the source root; empty: none
    std::vector<std::string> output;
};

std::vector<std::string> quoted_texts(const std::string& text) {
    static const std::regex quoted("'([^']*)'");
    std::vector<std::string> texts;
    for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end; ++it)
        texts.push_back((*it)[1]);
    return texts;
}

// The examples of one document; blocks of other commands are left alone.
std::vector<example> examples_in(const std::string& path) {
    static const std::regex command(R"(\$ (echo|printf '%s\\n') (.*) \| tarnwick-convert(?: -p (\S+))?)");
    std::ifstream file(path);
    std::vector<example> found;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (line != "```console" || !std::getline(file, line))
            continue;
        ++number;
        std::smatch parts;
        const bool converts = std::regex_match(line, parts, command);
        example current;
        if (converts) {
            current.line = number;
            current.inputs = quoted_texts(parts[2]);
            current.parameter_file = parts[3];
        }
        while (std::getline(file, line) && line != "```") {
            ++number;
            current.output.push_back(line);
        }
        ++number;
        if (converts)
            found.push_back(current);
    }
    return found;
}

// Source line numbers in failure texts are left out of the comparison: they
// move with every edit of the code and say nothing about the conversion.
std::string without_line_number(const std::string& line) {
    static const std::regex location(R"((/[\w/.-]+\.[ch]pp):\d+)");
    return std::regex_replace(line, location, "$1");
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(without_line_number(line));
    return lines;
}

struct document {
    std::string name;
    std::size_t at_least;  // examples expected, so that a changed block layout is noticed

    friend void PrintTo(const document& d, std::ostream* os) { *os << d.name; }
};

class docs_examples : public ::testing::TestWithParam<document> {};

TEST_P(docs_examples, are_what_tarnwick_convert_prints) {
    const auto& d = GetParam();
    const auto examples = examples_in(std::string(TARNWICK_SOURCE_DIR) + "/docs/" + d.name);
    EXPECT_GE(examples.size(), d.at_least);
    for (const auto& e : examples) {
        std::vector<std::string> arguments;
        if (!e.parameter_file.empty())
            arguments = {"-p", std::string(TARNWICK_SOURCE_DIR) + "/" + e.parameter_file};
        std::string input;
        for (const auto& text : e.inputs)
            input += text + "\n";
        const auto result = run_process(program("tarnwick-convert"), arguments, input);
        auto printed = lines_of(result.out);
        for (const auto& error : lines_of(result.err))
            printed.push_back(error);
        std::vector<std::string> documented;
        for (const auto& line : e.output)
            documented.push_back(without_line_number(line));
        EXPECT_EQ(printed, documented) << d.name << " line " << e.line;
    }
}

INSTANTIATE_TEST_SUITE_P(documents, docs_examples,
                         ::testing::Values(document{"reference.md", 13}, document{"parameters.md", 22}),
                         [](const ::testing::TestParamInfo<document>& info) {
                             return info.param.name.substr(0, info.param.name.find('.'));
                         });

}  // namespace
