#include "endpoints.hpp"

#include <gtest/gtest.h>

namespace {

TEST(endpoints, wildcard_hosts_are_reached_on_loopback) {
    using orx::tools::connectable;
    EXPECT_EQ(connectable("tcp://*:7001"), "tcp://127.0.0.1:7001");
    EXPECT_EQ(connectable("tcp://0.0.0.0:7001"), "tcp://127.0.0.1:7001");
    EXPECT_EQ(connectable("tcp://10.1.2.3:7001"), "tcp://10.1.2.3:7001");
    EXPECT_EQ(connectable("ipc:///tmp/a:b"), "ipc:///tmp/a:b");
    EXPECT_EQ(connectable("tcp://*"), "tcp://*");
}

}  // namespace
