#include "parameter_config/config.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>
#include <core/regular_file.hpp>

#include <sstream>

namespace orx::parameters {

config::config(libs::core::logger& logger, std::istream& stream) : m_logger(logger) {
    const auto parsed = libs::core::json::try_parse(stream);
    if (!parsed.ok)
        throw libs::core::exception("Parameter config file is invalid: " + parsed.error, CORE_CURRENT_LOCATION);

    for (const auto& element : parsed.result["hw_param"]) {
        auto made = descriptor::create_from_json(element);
        if (!made) {
            const auto as_written = [&element](const char* key) { return libs::core::json::to_string(element[key]); };
            m_skipped.push_back("entry skipped, its format is not known: num " + as_written("num") + ", jname " +
                                as_written("jname") + ", format " + as_written("format"));
            continue;
        }
        descriptor::ptr parameter = std::move(*made);
        const auto num = parameter->get_num();
        if (!num)
            throw libs::core::exception(
                "Parameter " + std::string(parameter->get_jname()) + " must have a \"num\" field",
                CORE_CURRENT_LOCATION);
        // The first entry for a number or a name stays; later repeats are dropped.
        m_parameter_names.emplace(std::string(parameter->get_jname()), *num);
        m_parameters.emplace(*num, std::move(parameter));
    }
}

config::ptr config::load_file(libs::core::logger& logger, const std::string& path) {
    std::istringstream text(libs::core::read_small_regular_file("Parameter file", path, max_file_size).text);
    return std::make_unique<config>(logger, text);
}

boost::optional<const descriptor&> config::get_descriptor(uint32_t num) const {
    const auto found = m_parameters.find(num);
    if (found == m_parameters.end())
        return boost::none;
    return *found->second;
}

boost::optional<const descriptor&> config::get_descriptor(const std::string& jname) const {
    const auto name = m_parameter_names.find(jname);
    if (name == m_parameter_names.end())
        return boost::none;
    return get_descriptor(name->second);
}

bool config::for_each_parameter(const const_parameter_callback& callback) const {
    for (const auto& parameter : m_parameters)
        if (!callback(*parameter.second))
            return false;
    return true;
}

std::ostream& operator<<(std::ostream& stream, const config& registry) {
    for (const auto& parameter : registry.m_parameters)
        stream << "Parameter " << parameter.first << std::endl << "    " << *parameter.second << std::endl;
    return stream;
}

}  // namespace orx::parameters
