#include "core/zmq/curve_keys.hpp"

#include "core/exception.hpp"
#include "core/regular_file.hpp"

#include <zmq.h>
#include <boost/utility/string_view.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

namespace orx::libs::core::zmq {

namespace {

constexpr std::size_t z85_key_size = 40;
// Key files are a few hundred bytes; anything much larger is not one.
constexpr std::size_t max_key_file_size = 64 * 1024;

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
    throw exception("Key file " + path + ": " + reason, CORE_CURRENT_LOCATION);
}

std::string system_error_text() { return std::strerror(errno); }

class file_descriptor {
public:
    explicit file_descriptor(int fd) : m_fd(fd) {}
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    ~file_descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads the whole file; a secret one only when nobody but its owner may read it.
// The mode is the one of the file that was read.
std::string read_key_file(const std::string& path, bool secret) {
    auto file = read_small_regular_file("Key file", path, max_key_file_size);
    if (secret && (file.mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(file.mode & 07777));
        fail(path, std::string("is open to group or others (mode ") + mode +
                       "); it must be readable by its owner only (0600)");
    }
    return std::move(file.text);
}

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("$-_@.&+/", c) != nullptr;
}

void skip_blanks(boost::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

// The value after '=': quoted (the quotes are not part of it) or up to a comment.
std::string parse_value(const std::string& path, const std::string& where, boost::string_view text) {
    if (!text.empty() && (text.front() == '"' || text.front() == '\'')) {
        const auto closing = text.find(text.front(), 1);
        if (closing != boost::string_view::npos) {
            auto rest = text.substr(closing + 1);
            skip_blanks(rest);
            if (!rest.empty() && rest.front() != '#')
                fail(path, where + "text after the quoted value");
            return text.substr(1, closing - 1).to_string();
        }
    }
    auto value = text.substr(0, text.find('#'));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    return value.to_string();
}

// The file's properties by their path of names ("curve/public-key"). Children
// are indented four spaces more than their parent; '#' starts a comment.
std::map<std::string, std::string> parse_properties(const std::string& path, const std::string& text) {
    std::map<std::string, std::string> properties;
    std::vector<std::string> parents;
    std::size_t line_number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        boost::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto indent = line.find_first_not_of(' ');
        if (indent == boost::string_view::npos || line[indent] == '#')
            continue;
        const std::string where = "line " + std::to_string(line_number) + ": ";
        if (indent % 4 != 0 || indent / 4 > parents.size())
            fail(path, where + "wrong indentation");
        parents.resize(indent / 4);
        auto rest = line.substr(indent);
        std::size_t name_size = 0;
        while (name_size < rest.size() && is_name_char(rest[name_size]))
            ++name_size;
        if (name_size == 0)
            fail(path, where + "a name was expected");
        const auto name = rest.substr(0, name_size).to_string();
        rest.remove_prefix(name_size);
        skip_blanks(rest);
        std::string value;
        if (!rest.empty() && rest.front() == '=') {
            rest.remove_prefix(1);
            skip_blanks(rest);
            value = parse_value(path, where, rest);
        } else if (!rest.empty() && rest.front() != '#') {
            fail(path, where + "'=' was expected after " + name);
        }
        std::string full_name;
        for (const auto& parent : parents)
            full_name += parent + "/";
        full_name += name;
        if (!properties.emplace(full_name, std::move(value)).second)
            fail(path, where + full_name + " appears twice");
        parents.push_back(name);
    }
    return properties;
}

curve_key decode_key(const std::string& path, const std::map<std::string, std::string>& properties,
                     const std::string& name) {
    const auto found = properties.find("curve/" + name);
    if (found == properties.end())
        fail(path, "no " + name + " in its curve section");
    curve_key key{};
    // libzmq decodes up to a NUL: a key holding one would be taken as another key.
    const auto& text = found->second;
    if (text.size() != z85_key_size || text.find('\0') != std::string::npos ||
        zmq_z85_decode(key.data(), text.c_str()) == nullptr)
        fail(path, name + " is not 40 Z85 characters");
    return key;
}

void write_new_file(const std::string& path, const std::string& text, mode_t mode) {
    file_descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.get() < 0) {
        if (errno == EEXIST)
            fail(path, "exists already and is left as it is");
        fail(path, "cannot be created: " + system_error_text());
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const auto count = ::write(fd.get(), text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const auto reason = system_error_text();
            ::unlink(path.c_str());
            fail(path, "cannot be written: " + reason);
        }
        written += static_cast<std::size_t>(count);
    }
}

}  // namespace

curve_key_pair generate_curve_key_pair() {
    char public_text[z85_key_size + 1];
    char secret_text[z85_key_size + 1];
    if (zmq_curve_keypair(public_text, secret_text) != 0)
        throw exception(std::string("CURVE key generation: ") + zmq_strerror(zmq_errno()), CORE_CURRENT_LOCATION);
    curve_key_pair keys{};
    zmq_z85_decode(keys.public_key.data(), public_text);
    zmq_z85_decode(keys.secret_key.data(), secret_text);
    return keys;
}

std::string to_z85(const curve_key& key) {
    char text[z85_key_size + 1];
    zmq_z85_encode(text, key.data(), key.size());
    return text;
}

curve_key read_public_key_file(const std::string& path) {
    return decode_key(path, parse_properties(path, read_key_file(path, false)), "public-key");
}

curve_key_pair read_secret_key_file(const std::string& path) {
    const auto properties = parse_properties(path, read_key_file(path, true));
    curve_key_pair keys{decode_key(path, properties, "public-key"), decode_key(path, properties, "secret-key")};
    char derived[z85_key_size + 1];
    if (zmq_curve_public(derived, to_z85(keys.secret_key).c_str()) != 0 || to_z85(keys.public_key) != derived)
        fail(path, "public-key is not the public key of its secret-key");
    return keys;
}

curve_key_set read_authorized_keys(const std::string& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        throw exception("Authorized keys folder " + folder + " cannot be read: " + error.message(),
                        CORE_CURRENT_LOCATION);
    curve_key_set keys;
    for (const auto& entry : entries) {
        if (entry.is_regular_file(error))
            keys.insert(read_public_key_file(entry.path().string()));
    }
    return keys;
}

void write_key_files(const std::string& name, const curve_key_pair& keys) {
    const auto public_line = "    public-key = \"" + to_z85(keys.public_key) + "\"\n";
    const auto secret_path = name + ".key_secret";
    write_new_file(secret_path,
                   "#   CURVE secret key: keep this file to its owner (mode 0600), never give it to a peer.\n\n"
                   "metadata\ncurve\n" +
                       public_line + "    secret-key = \"" + to_z85(keys.secret_key) + "\"\n",
                   0600);
    try {
        write_new_file(name + ".key",
                       "#   CURVE public key: give this file to the peers that are to accept it.\n\n"
                       "metadata\ncurve\n" +
                           public_line,
                       0644);
    } catch (...) {
        ::unlink(secret_path.c_str());
        throw;
    }
}

}  // namespace orx::libs::core::zmq
