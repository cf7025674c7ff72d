// A gateway frame, as the hex text a gateway sends, through the whole uplink
// conversion with the bundled parameter registry. Rejected frames raise; only
// crashes, sanitizer reports, leaks and hangs are findings.

#include "fuzz_support.hpp"

#include "converter.hpp"

#include <core/exception.hpp>

#include <json/value.h>

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace orx;
    static fuzz::rendering_handler handler;
    // One converter serves every input, as one serves every frame in the service.
    static converter conversions(fuzz::silent_logger(), handler, fuzz::bundled_parameters());
    const std::string text = fuzz::as_text(data, size);
    try {
        conversions.convert(binary_message{text});
    } catch (const Json::Exception&) {
    } catch (const std::exception&) {
    }
    return 0;
}
