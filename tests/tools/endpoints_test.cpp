// Where the tools reach the service's channels.
#include "common/endpoints.hpp"
#include "support/service_fixture.hpp"

#include <gtest/gtest.h>

namespace {

using orx::tools::connectable;

struct endpoint_case {
    std::string bound;
    std::string reached;

    friend void PrintTo(const endpoint_case& c, std::ostream* os) { *os << c.bound; }
};

class connectable_endpoints : public ::testing::TestWithParam<endpoint_case> {};

TEST_P(connectable_endpoints, reach_a_wildcard_host_on_the_loopback) {
    EXPECT_EQ(connectable(GetParam().bound), GetParam().reached);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(hosts, connectable_endpoints,
                         ::testing::Values(endpoint_case{"tcp://*:7001", "tcp://127.0.0.1:7001"},
                                           endpoint_case{"tcp://0.0.0.0:7006", "tcp://127.0.0.1:7006"},
                                           endpoint_case{"tcp://gateway-7:7001", "tcp://gateway-7:7001"},
                                           endpoint_case{"tcp://*", "tcp://*"},
                                           endpoint_case{"ipc:///tmp/*:7001", "ipc:///tmp/*:7001"}));
// clang-format on

TEST(service_endpoints, come_from_the_configuration_unless_chosen) {
    orx::test::temp_dir dir;
    orx::test::service_configuration config(dir);
    config.binary_input = "tcp://*:7001";
    config.binary_output = "tcp://0.0.0.0:7003";
    config.json_input = "tcp://*:7005";
    config.write();
    orx::tools::endpoints chosen;
    chosen.m_json_output = "tcp://*:9006";
    const auto reached = connectable(orx::tools::resolve_endpoints(config.path, chosen));
    EXPECT_EQ(reached.m_binary_input, "tcp://127.0.0.1:7001");
    EXPECT_EQ(reached.m_binary_output, "tcp://127.0.0.1:7003");
    EXPECT_EQ(reached.m_json_input, "tcp://127.0.0.1:7005");
    EXPECT_EQ(reached.m_json_output, "tcp://127.0.0.1:9006");
}

}  // namespace
