// The compact text of core's json::to_string must be byte for byte what
// jsoncpp's stream writer produces with no indentation and no comments.

#include <core/json.hpp>

#include <json/writer.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>

namespace {

namespace json = orx::libs::core::json;

std::string jsoncpp_text(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["commentStyle"] = "None";
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

// Random documents from a fixed seed, weighted towards the cases a hand-made
// writer gets wrong: escapes, odd bytes, integer extremes, reals, sparse and
// long arrays, unusual keys.
class value_generator {
public:
    explicit value_generator(uint64_t seed) : m_random(seed) {}

    Json::Value value(int depth) {
        switch (below(depth > 0 ? 9 : 6)) {
        case 0: return Json::Value();
        case 1: return Json::Value(below(2) == 0);
        case 2: return integer();
        case 3: return real();
        case 4:
        case 5: return text(string());
        case 6: return array(depth - 1);
        default: return object(depth - 1);
        }
    }

private:
    uint64_t below(uint64_t bound) { return m_random() % bound; }
    static Json::Value text(const std::string& s) { return Json::Value(s.data(), s.data() + s.size()); }

    Json::Value integer() {
        switch (below(6)) {
        case 0: return Json::Value(std::numeric_limits<Json::Int64>::min());
        case 1: return Json::Value(std::numeric_limits<Json::UInt64>::max());
        case 2: return Json::Value(static_cast<Json::Int64>(m_random()));
        case 3: return Json::Value(static_cast<Json::UInt64>(m_random()));
        case 4: return Json::Value(static_cast<Json::UInt>(below(1000)));
        default: return Json::Value(static_cast<Json::Int>(below(2001)) - 1000);
        }
    }

    Json::Value real() {
        // clang-format off
        static const double fixed[] = {0.1, 1e300, -0.0, 0.0, 2.0, -150.0, 1e-300, 5e-324, 123456789012345678.0,
                                       std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity()};
        // clang-format on
        if (below(2) == 0)
            return Json::Value(fixed[below(std::size(fixed))]);
        return Json::Value(static_cast<double>(static_cast<int64_t>(m_random())) /
                           static_cast<double>(below(1000) + 1));
    }

    std::string string() {
        // clang-format off
        static const std::string pieces[] = {
            "a", "Z", "0", " ", "~", "heartbeat", "\"", "\\", "/", "\x7f", std::string("\0", 1), "\n", "\t", "\x1f",
            "\xc3\xa9",          // valid two-byte UTF-8
            "\xe2\x82\xac",      // valid three-byte UTF-8
            "\xf0\x9f\x98\x80",  // valid four-byte UTF-8 (outside the basic plane)
            "\x80", "\xc3", "\xff", "\xe2\x82", "\xed\xa0\x80", "\xc0\xaf"};  // invalid UTF-8
        // clang-format on
        std::string text;
        for (auto count = below(8); count > 0; --count) {
            const auto piece = below(std::size(pieces) + 3);
            if (piece >= std::size(pieces))
                text += static_cast<char>(below(256));
            else
                text += pieces[piece];
        }
        return text;
    }

    Json::Value array(int depth) {
        Json::Value array(Json::arrayValue);
        // A few long arrays: jsoncpp lays those out on a separate path.
        const auto size = below(10) == 0 ? 25 + below(10) : below(5);
        for (uint64_t i = 0; i < size; ++i)
            array.append(value(depth));
        // Writing past the end leaves a gap that reads as null.
        if (below(8) == 0)
            array[static_cast<Json::ArrayIndex>(size + 1 + below(3))] = value(depth);
        return array;
    }

    Json::Value object(int depth) {
        Json::Value object(Json::objectValue);
        for (auto count = below(6); count > 0; --count)
            object[string()] = value(depth);
        return object;
    }

    std::mt19937_64 m_random;
};

TEST(json_writer, matches_jsoncpp_on_random_documents) {
    value_generator generator(20240611);
    for (int i = 0; i < 20000; ++i) {
        const auto value = generator.value(4);
        ASSERT_EQ(json::to_string(value), jsoncpp_text(value)) << "document " << i;
    }
}

}  // namespace
