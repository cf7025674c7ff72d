// Numeric option values: the whole text, within the range the tool gives.
#include "common/option_number.hpp"

#include <gtest/gtest.h>

#include <climits>

namespace {

using orx::tools::option_error;
using orx::tools::real_option;
using orx::tools::whole_option;

TEST(option_numbers, are_whole_decimal_texts_within_their_range) {
    EXPECT_EQ(whole_option("-x", "0", 0, 10), 0);
    EXPECT_EQ(whole_option("-x", "10", 0, 10), 10);
    EXPECT_EQ(whole_option("-x", "-5", -5, 0), -5);
    for (const char* refused : {"11", "-1", "7x", " 7", ""})
        EXPECT_THROW(whole_option("-x", refused, 0, 10), option_error) << refused;
    EXPECT_THROW(whole_option("-x", "99999999999999999999", 0, LLONG_MAX), option_error);
    EXPECT_EQ(real_option("-x", "0.001", 0.001, 1), 0.001);
    EXPECT_EQ(real_option("-x", "1", 0.001, 1), 1);
    for (const char* refused : {"1e-4", "1.01", "nan", "0.5s"})
        EXPECT_THROW(real_option("-x", refused, 0.001, 1), option_error) << refused;
}

}  // namespace
