#include "conversion_table.hpp"

#include "parameter_config/config.hpp"
#include "support/capturing_system_log.hpp"

#include <core/logger.hpp>

#include <sstream>
#include <vector>

namespace orx::parameters::test {
namespace {

class registry : public ::testing::Test {
protected:
    config load(const std::string& text) {
        std::istringstream stream(text);
        return config(m_logger, stream);
    }

    libs::core::logger m_logger{"tarnwick", "test", std::make_shared<orx::test::capturing_system_log>()};
};

std::vector<uint32_t> numbers(const config& parameters) {
    std::vector<uint32_t> result;
    parameters.for_each_parameter([&](const descriptor& d) { return result.push_back(*d.get_num()), true; });
    return result;
}

TEST_F(registry, without_parameters_is_empty) {
    EXPECT_TRUE(numbers(load(R"({"other": 1})")).empty());
}

TEST_F(registry, skips_unknown_formats_and_finds_names_case_sensitively) {
    const auto parameters = load(R"({"hw_param":[
        {"num":3,"jname":"speed","format":"STR"},
        {"num":2,"jname":"b","format":"FLOAT"},
        {"num":1,"jname":"a","format":"UINT","size":2}]})");
    EXPECT_EQ(numbers(parameters), (std::vector<uint32_t>{1, 3}));
    EXPECT_FALSE(parameters.get_descriptor(2u));
    EXPECT_EQ(*parameters.get_descriptor(std::string("speed"))->get_num(), 3u);
    EXPECT_FALSE(parameters.get_descriptor(std::string("Speed")));
}

TEST_F(registry, keeps_the_first_of_repeated_numbers_and_names) {
    const auto parameters = load(R"({"hw_param":[
        {"num":7,"jname":"first","format":"STR"},
        {"num":7,"jname":"second","format":"HEXVAR"},
        {"num":8,"jname":"first","format":"SHIFT"}]})");
    EXPECT_EQ(parameters.get_descriptor(std::string("second"))->get_type_name(), "STR");
    EXPECT_EQ(*parameters.get_descriptor(std::string("first"))->get_num(), 7u);
    EXPECT_EQ(parameters.get_descriptor(8u)->get_type_name(), "SHIFT");
}

TEST_F(registry, dumps_every_parameter_in_number_order) {
    std::ostringstream stream;
    stream << load(R"({"hw_param":[
        {"num":2,"name":"Mode","jname":"mode","format":"BYTE_STR","args":["1","on","off"]},
        {"num":1,"name":"Id","jname":"id","format":"HEXSTRING","size":4,"readonly":true}]})");
    EXPECT_EQ(stream.str(),
              "Parameter 1\n    num: 1, name: Id, jname: id, format: HEXSTRING, readonly: true, size: 4, \n\n"
              "Parameter 2\n    num: 2, name: Mode, jname: mode, format: BYTE_STR, readonly: false, args: 1, on, off, \n\n");
}

}  // namespace
}  // namespace orx::parameters::test
