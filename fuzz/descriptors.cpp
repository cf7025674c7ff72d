// Every parameter of the bundled configuration, both ways. The first input byte
// picks the parameter; the rest is hex text for the device-to-JSON direction
// and, when it parses, a JSON value for the JSON-to-device direction. A value
// decoded from the device must encode again without crashing.

#include "fuzz_support.hpp"

#include <core/exception.hpp>

#include <json/value.h>

#include <exception>
#include <vector>

namespace {

const std::vector<const orx::parameters::descriptor*>& all_parameters() {
    static const std::vector<const orx::parameters::descriptor*> list = [] {
        std::vector<const orx::parameters::descriptor*> out;
        orx::fuzz::bundled_parameters().for_each_parameter([&](const orx::parameters::descriptor& d) {
            out.push_back(&d);
            return true;
        });
        return out;
    }();
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace orx;
    const auto& list = all_parameters();
    if (size == 0 || list.empty())
        return 0;
    const parameters::descriptor& d = *list[data[0] % list.size()];
    const std::string text = fuzz::as_text(data + 1, size - 1);
    try {
        const auto value = d.convert_bin_to_json(text);
        if (value) {
            (void)libs::core::json::to_string(*value);
            (void)d.convert_json_to_bin(*value);
        }
    } catch (const Json::Exception&) {
    } catch (const std::exception&) {
    }
    const auto parsed = libs::core::json::try_parse(text);
    if (parsed.ok) {
        try {
            const auto hex = d.convert_json_to_bin(parsed.result);
            if (hex)
                (void)d.convert_bin_to_json(*hex);
        } catch (const Json::Exception&) {
        } catch (const std::exception&) {
        }
    }
    return 0;
}
