#include <core/timestamp.hpp>

#include <gtest/gtest.h>

#include <tuple>

namespace {

using orx::libs::core::timestamp;

TEST(timestamp, text_forms) {
    using iso_case = std::tuple<int64_t, bool, char, bool, const char*>;  // ms, with ms, delimiter, with Z, text
    for (const auto& [ms, with_ms, delimiter, with_z, text] :
         {iso_case{1700000000123, false, ' ', false, "2023-11-14 22:13:20"},
          iso_case{0, true, 'T', true, "1970-01-01T00:00:00.000Z"},
          iso_case{951782400007, true, 'T', true, "2000-02-29T00:00:00.007Z"},
          iso_case{1677628800000, true, 'T', true, "2023-03-01T00:00:00.000Z"},
          iso_case{1709251199999, true, 'T', true, "2024-02-29T23:59:59.999Z"},
          iso_case{4102444799040, true, '_', false, "2099-12-31_23:59:59.040"}})
        EXPECT_EQ(timestamp(ms).to_iso_8601(with_ms, delimiter, with_z), text);
}

}  // namespace
