#include "format_cases.hpp"

#include "parameter_config/parse_hex_arg.hpp"

namespace formats_test {
namespace {

std::string sized(const std::string& format, int size) {
    return R"({"jname":"x","format":")" + format + R"(","size":)" + std::to_string(size) + "}";
}

// `args` is the JSON array text of the args.
std::string with_args(const std::string& format, const std::string& args) {
    return R"({"jname":"x","format":")" + format + R"(","args":)" + args + "}";
}

const std::string uint1 = sized("UINT", 1), uint2 = sized("UINT", 2), uint4 = sized("UINT", 4);
const std::string int1 = sized("INT", 1), int2 = sized("INT", 2), int4 = sized("INT", 4);
const std::string mask_f0 = with_args("BYTE_UINT", R"(["F0"])");
const std::string bits_2_4 = with_args("BYTE_SLICE_UINT", R"(["2","4"])");
const std::string bits_4_2 = with_args("BYTE_SLICE_UINT", R"(["4","2"])");
const std::string bits_0_8 = with_args("BYTE_SLICE_UINT", R"(["0","8"])");
const std::string shift_4 = with_args("SHIFT", R"(["4"])");
const std::string times_10 = with_args("MUL_UINT", R"(["10"])");
const std::string times_0 = with_args("MUL_UINT", R"(["0"])");

INSTANTIATE_TEST_SUITE_P(uint, hex_to_json, ::testing::Values(
    conversion_case{uint2, "01F4", "500"},
    conversion_case{uint2, "01f4AB", "500"},
    conversion_case{uint4, "FFFFFFFF", "4294967295"},
    conversion_case{uint2, "01", optional_error},
    conversion_case{uint2, "01G4", optional_error}));

INSTANTIATE_TEST_SUITE_P(uint, json_to_hex, ::testing::Values(
    conversion_case{uint4, "4294967295", "FFFFFFFF"},
    conversion_case{uint1, "256", "00"},
    conversion_case{uint1, "300", "2C"},
    conversion_case{uint2, "5.0", "0005"},
    conversion_case{uint2, "5.5", no_value},
    conversion_case{uint4, "-1", no_value},
    conversion_case{uint4, R"("5")", no_value}));

INSTANTIATE_TEST_SUITE_P(int, hex_to_json, ::testing::Values(
    conversion_case{int1, "ff", "-1"},
    conversion_case{int2, "FFFE", "-2"},
    conversion_case{int4, "80000000", "-2147483648"},
    conversion_case{int2, "FF", optional_error}));

INSTANTIATE_TEST_SUITE_P(int, json_to_hex, ::testing::Values(
    conversion_case{int1, "-128", "80"},
    conversion_case{int1, "200", "C8"},
    conversion_case{int2, "-1", "FFFF"},
    conversion_case{int4, "2147483648", no_value},
    conversion_case{int2, R"("-1")", no_value}));

// The mask reads the same however it is written; the masked bits stay in place.
INSTANTIATE_TEST_SUITE_P(byte_uint, hex_to_json, ::testing::Values(
    conversion_case{mask_f0, "abCD", "160"},
    conversion_case{with_args("BYTE_UINT", R"(["0x0F"])"), "AB", "11"},
    conversion_case{with_args("BYTE_UINT", R"(["f"])"), "AB", "11"},
    conversion_case{with_args("BYTE_UINT", "[]"), "AB", range_error(0, 0)},
    conversion_case{mask_f0, "A", optional_error}));

INSTANTIATE_TEST_SUITE_P(byte_uint, json_to_hex, ::testing::Values(
    conversion_case{mask_f0, "171", "A0"},
    conversion_case{with_args("BYTE_UINT", R"(["1FF"])"), "511", "FF"},
    conversion_case{mask_f0, "-1", no_value},
    conversion_case{with_args("BYTE_UINT", "[]"), "1", range_error(0, 0)}));

INSTANTIATE_TEST_SUITE_P(byte_slice_uint, hex_to_json, ::testing::Values(
    conversion_case{bits_2_4, "F4", "5"},
    conversion_case{with_args("BYTE_SLICE_UINT", R"(["0","7"])"), "ab", "171"},
    conversion_case{with_args("BYTE_SLICE_UINT", R"(["7","7"])"), "80", "1"},
    conversion_case{bits_4_2, "FF", no_value},
    conversion_case{bits_0_8, "FF", no_value},
    conversion_case{with_args("BYTE_SLICE_UINT", R"(["2"])"), "F4", range_error(1, 1)},
    conversion_case{with_args("BYTE_SLICE_UINT", R"([" 2","4"])"), "F4", lexical_error},
    conversion_case{bits_2_4, "G4", optional_error}));

INSTANTIATE_TEST_SUITE_P(byte_slice_uint, json_to_hex, ::testing::Values(
    conversion_case{bits_2_4, "5", "14"},
    conversion_case{bits_2_4, "15", "1C"},
    conversion_case{with_args("BYTE_SLICE_UINT", R"(["0","7"])"), "171", "AB"},
    conversion_case{bits_4_2, "1", no_value},
    conversion_case{bits_0_8, "1", no_value},
    conversion_case{bits_2_4, "-1", no_value},
    conversion_case{with_args("BYTE_SLICE_UINT", "[]"), "5", range_error(0, 0)}));

INSTANTIATE_TEST_SUITE_P(shift, hex_to_json, ::testing::Values(
    conversion_case{shift_4, "ab", "10"},
    conversion_case{with_args("SHIFT", R"(["8"])"), "FF", "0"},
    conversion_case{with_args("SHIFT", R"(["0x4"])"), "AB", lexical_error}));

INSTANTIATE_TEST_SUITE_P(shift, json_to_hex, ::testing::Values(
    conversion_case{shift_4, "10", "A0"},
    conversion_case{shift_4, "255", "F0"},
    conversion_case{with_args("SHIFT", R"(["32"])"), "171", "AB"},
    conversion_case{with_args("SHIFT", "[]"), "1", range_error(0, 0)}));

INSTANTIATE_TEST_SUITE_P(mul_uint, hex_to_json, ::testing::Values(
    conversion_case{times_10, "05", "50"},
    conversion_case{times_10, "ff", "2550"},
    conversion_case{times_0, "07", "0"},
    conversion_case{with_args("MUL_UINT", R"(["1.5"])"), "05", lexical_error}));

INSTANTIATE_TEST_SUITE_P(mul_uint, json_to_hex, ::testing::Values(
    conversion_case{times_10, "57", "05"},
    conversion_case{times_10, "2560", "00"},
    conversion_case{times_0, "5", no_value},
    conversion_case{with_args("MUL_UINT", "[]"), "5", range_error(0, 0)}));

struct hex_arg_case {
    std::string text;
    unsigned int value;
};

class hex_args : public ::testing::TestWithParam<hex_arg_case> {};

TEST_P(hex_args, read_as_hex) {
    EXPECT_EQ(orx::parse_hex_arg<unsigned int>(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(masks, hex_args, ::testing::Values(
    hex_arg_case{"0X0f", 0x0Fu},
    hex_arg_case{"  12zz", 0x12u},
    hex_arg_case{"zz", 0u},
    hex_arg_case{"100000000", 4294967295u}));

}  // namespace
}  // namespace formats_test
