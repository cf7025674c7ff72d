#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace orx::test {

// A fresh folder under /tmp, removed with its content when the object goes.
class temp_dir {
public:
    temp_dir() {
        char pattern[] = "/tmp/tarnwick-test-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~temp_dir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::string ipc(const std::string& name) const { return "ipc://" + m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace orx::test
