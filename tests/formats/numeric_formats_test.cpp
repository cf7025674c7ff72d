#include "conversion_table.hpp"

#include "parameter_config/parse_hex_arg.hpp"

namespace orx::parameters::test {
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

INSTANTIATE_TEST_SUITE_P(uint, conversions, ::testing::Values(
    to_json(uint2, "01F4", "500"),
    to_json(uint2, "01f4AB", "500"),
    to_json(uint4, "FFFFFFFF", "4294967295"),
    raises_to_json(uint2, "01", optional_access_error),
    raises_to_json(uint2, "01G4", optional_access_error),
    to_hex(uint4, "4294967295", "FFFFFFFF"),
    to_hex(uint1, "256", "00"),
    to_hex(uint1, "300", "2C"),
    to_hex(uint2, "5.0", "0005"),
    nothing_to_hex(uint2, "5.5"),
    nothing_to_hex(uint4, "-1"),
    nothing_to_hex(uint4, R"("5")")));

INSTANTIATE_TEST_SUITE_P(int, conversions, ::testing::Values(
    to_json(int1, "ff", "-1"),
    to_json(int2, "FFFE", "-2"),
    to_json(int4, "80000000", "-2147483648"),
    raises_to_json(int2, "FF", optional_access_error),
    to_hex(int1, "-128", "80"),
    to_hex(int1, "200", "C8"),
    to_hex(int2, "-1", "FFFF"),
    nothing_to_hex(int4, "2147483648"),
    nothing_to_hex(int2, R"("-1")")));

// The mask reads the same however it is written; the masked bits stay in place.
INSTANTIATE_TEST_SUITE_P(byte_uint, conversions, ::testing::Values(
    to_json(mask_f0, "abCD", "160"),
    to_json(with_args("BYTE_UINT", R"(["0x0F"])"), "AB", "11"),
    to_json(with_args("BYTE_UINT", R"(["f"])"), "AB", "11"),
    raises_to_json(with_args("BYTE_UINT", "[]"), "AB", range_error(0, 0)),
    raises_to_json(mask_f0, "A", optional_access_error),
    to_hex(mask_f0, "171", "A0"),
    to_hex(with_args("BYTE_UINT", R"(["1FF"])"), "511", "FF"),
    nothing_to_hex(mask_f0, "-1"),
    raises_to_hex(with_args("BYTE_UINT", "[]"), "1", range_error(0, 0))));

INSTANTIATE_TEST_SUITE_P(byte_slice_uint, conversions, ::testing::Values(
    to_json(bits_2_4, "F4", "5"),
    to_json(with_args("BYTE_SLICE_UINT", R"(["0","7"])"), "ab", "171"),
    to_json(with_args("BYTE_SLICE_UINT", R"(["7","7"])"), "80", "1"),
    nothing_to_json(bits_4_2, "FF"),
    nothing_to_json(bits_0_8, "FF"),
    raises_to_json(with_args("BYTE_SLICE_UINT", R"(["2"])"), "F4", range_error(1, 1)),
    raises_to_json(with_args("BYTE_SLICE_UINT", R"([" 2","4"])"), "F4", lexical_error),
    raises_to_json(bits_2_4, "G4", optional_access_error),
    to_hex(bits_2_4, "5", "14"),
    to_hex(bits_2_4, "15", "1C"),
    to_hex(with_args("BYTE_SLICE_UINT", R"(["0","7"])"), "171", "AB"),
    nothing_to_hex(bits_4_2, "1"),
    nothing_to_hex(bits_0_8, "1"),
    nothing_to_hex(bits_2_4, "-1"),
    raises_to_hex(with_args("BYTE_SLICE_UINT", "[]"), "5", range_error(0, 0))));

INSTANTIATE_TEST_SUITE_P(shift, conversions, ::testing::Values(
    to_json(shift_4, "ab", "10"),
    to_json(with_args("SHIFT", R"(["8"])"), "FF", "0"),
    raises_to_json(with_args("SHIFT", R"(["0x4"])"), "AB", lexical_error),
    to_hex(shift_4, "10", "A0"),
    to_hex(shift_4, "255", "F0"),
    to_hex(with_args("SHIFT", R"(["32"])"), "171", "AB"),
    raises_to_hex(with_args("SHIFT", "[]"), "1", range_error(0, 0))));

INSTANTIATE_TEST_SUITE_P(mul_uint, conversions, ::testing::Values(
    to_json(times_10, "05", "50"),
    to_json(times_10, "ff", "2550"),
    to_json(times_0, "07", "0"),
    raises_to_json(with_args("MUL_UINT", R"(["1.5"])"), "05", lexical_error),
    to_hex(times_10, "57", "05"),
    to_hex(times_10, "2560", "00"),
    nothing_to_hex(times_0, "5"),
    raises_to_hex(with_args("MUL_UINT", "[]"), "5", range_error(0, 0))));

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
}  // namespace orx::parameters::test
