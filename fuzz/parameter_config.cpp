// The parameter configuration loader on arbitrary text. A file that loads is
// also dumped, and every parameter it describes converts a few fixed values
// both ways, so that descriptors built from odd sizes, offsets and arguments
// are exercised too.

#include "fuzz_support.hpp"

#include <core/exception.hpp>

#include <json/value.h>

#include <exception>
#include <sstream>

namespace {

const char* const sample_hex[] = {"",
                                  "00",
                                  "FF",
                                  "0102030405060708",
                                  "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
                                  "800000007FFFFFFF00FF00FF00FF00FF00FF00FF00FF00FF"};

void exercise(const orx::parameters::descriptor& d) {
    for (const char* hex : sample_hex) {
        try {
            const auto value = d.convert_bin_to_json(hex);
            if (value)
                (void)d.convert_json_to_bin(*value);
        } catch (const Json::Exception&) {
        } catch (const std::exception&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace orx;
    std::istringstream stream(fuzz::as_text(data, size));
    try {
        const parameters::config registry(fuzz::silent_logger(), stream);
        std::ostringstream dump;
        dump << registry;
        registry.for_each_parameter([](const parameters::descriptor& d) {
            exercise(d);
            return true;
        });
    } catch (const Json::Exception&) {
    } catch (const std::exception&) {
    }
    return 0;
}
