#include "common/client_keys.hpp"

#include "common/option_number.hpp"

#include <core/exception.hpp>

#include <stdexcept>

namespace orx::tools {

bool set_key_file(int option, const char* value, key_files& files) {
    // An empty value (an unset shell variable) would mean no key at all: the tool
    // would talk in clear text to a peer it was told to authenticate.
    const auto file_name = [value](const char* name) {
        if (*value == '\0')
            throw option_error(std::string("option ") + name + " needs a key file, not an empty value");
        return std::string(value);
    };
    switch (option) {
    case KEY: files.m_key = file_name("--key"); return true;
    case SERVER_KEY: files.m_server_key = file_name("--server-key"); return true;
    default: return false;
    }
}

boost::optional<client_keys> read_client_keys(const key_files& files) {
    if (files.m_key.empty() && files.m_server_key.empty())
        return boost::none;
    if (files.m_server_key.empty())
        throw option_error("option --key needs --server-key as well");
    if (files.m_key.empty())
        throw option_error("option --server-key needs --key as well");
    try {
        return client_keys{libs::core::zmq::read_secret_key_file(files.m_key),
                           libs::core::zmq::read_public_key_file(files.m_server_key)};
    } catch (const libs::core::exception& e) {
        // Its text names the file; the place it was raised means nothing to the user.
        throw std::runtime_error(e.error());
    }
}

}  // namespace orx::tools
