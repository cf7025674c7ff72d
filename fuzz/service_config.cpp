// The service configuration reader on arbitrary text: it must accept or raise,
// nothing else.

#include "config.hpp"

#include <core/exception.hpp>

#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        const orx::config configuration(stream);
    } catch (const Json::Exception&) {
    } catch (const std::exception&) {
    }
    return 0;
}
