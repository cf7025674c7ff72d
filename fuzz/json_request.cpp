// JSON requests to nodes through the downlink conversion. The input holds one
// request per line; one converter serves every input, so the sequence number
// moves on from request to request and wraps as it does in the service.

#include "fuzz_support.hpp"

#include "converter.hpp"

#include <core/exception.hpp>

#include <json/value.h>

#include <boost/utility/string_view.hpp>

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace orx;
    static fuzz::rendering_handler handler;
    static converter conversions(fuzz::silent_logger(), handler, fuzz::bundled_parameters());
    boost::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const auto line = rest.substr(0, end);
        rest = end == boost::string_view::npos ? boost::string_view() : rest.substr(end + 1);
        auto parsed = libs::core::json::try_parse(line);
        if (!parsed.ok)
            continue;
        try {
            conversions.convert(parsed.result);
        } catch (const Json::Exception&) {
        } catch (const std::exception&) {
        }
    }
    return 0;
}
