#include "conversion_table.hpp"

namespace orx::parameters::test {
namespace {

const std::string ipv4 = R"({"format":"IPV4","jname":"gateway"})";
const std::string ipv6 = R"({"format":"IPV6","jname":"server"})";

INSTANTIATE_TEST_SUITE_P(ipv4, conversions, ::testing::Values(
    to_json(ipv4, "7F000001", R"("127.0.0.1")"),
    to_json(ipv4, "c0a8010aFFFF", R"("192.168.1.10")"),
    raises_to_json(ipv4, "7F0000", optional_access_error),
    raises_to_json(ipv4, "7F00000G", optional_access_error),
    to_hex(ipv4, R"("127.0.0.1")", "7F000001"),
    to_hex(ipv4, R"("255.255.255.255")", "FFFFFFFF"),
    // Anything but four decimal numbers 0 to 255 is refused without an exception.
    nothing_to_hex(ipv4, R"("10.0.0.1.5")"),
    nothing_to_hex(ipv4, R"("1.2.3")"),
    nothing_to_hex(ipv4, R"("256.0.0.1")"),
    nothing_to_hex(ipv4, R"("10.x.0.1")"),
    nothing_to_hex(ipv4, R"("99999999999.0.0.1")"),
    nothing_to_hex(ipv4, R"(" 1.2.3.4")"),
    nothing_to_hex(ipv4, R"("1.2.3.4\u0000junk")"),
    nothing_to_hex(ipv4, R"("")"),
    nothing_to_hex(ipv4, "2130706433")));

INSTANTIATE_TEST_SUITE_P(ipv6, conversions, ::testing::Values(
    to_json(ipv6, "20010DB8000000000000000000000001", R"("2001:0DB8:0000:0000:0000:0000:0000:0001")"),
    to_json(ipv6, "fe800000000000000202b3fffe1e8329AB", R"("fe80:0000:0000:0000:0202:b3ff:fe1e:8329")"),
    // Groups are cut, not checked: a short text ends in short or empty groups.
    to_json(ipv6, "20010DB800000000000000000000", R"("2001:0DB8:0000:0000:0000:0000:0000:")"),
    raises_to_json(ipv6, "2001", substr_error),
    to_hex(ipv6, R"("fe80:0000:0000:0000:0202:b3ff:fe1e:8329")", "FE800000000000000202B3FFFE1E8329"),
    to_hex(ipv6, R"("2001:db8::1")", "20010DB8000000000000000000000001"),
    to_hex(ipv6, R"("::")", "00000000000000000000000000000000"),
    to_hex(ipv6, R"("::ffff:192.0.2.1")", "00000000000000000000FFFFC0000201"),
    nothing_to_hex(ipv6, R"("2001:zz::1")"),
    nothing_to_hex(ipv6, R"("1:2:3:4:5:6:7:8:9")"),
    nothing_to_hex(ipv6, R"("2001:db8::1\u0000")"),
    nothing_to_hex(ipv6, R"("")"),
    nothing_to_hex(ipv6, "6")));

}  // namespace
}  // namespace orx::parameters::test
