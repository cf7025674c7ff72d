#include "parameter_config/descriptor.hpp"

#include "parameter_config/descriptor_factory.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <limits>

namespace orx::parameters {

namespace {

// A value's length travels in one byte: no size or field offset may go beyond it.
constexpr uint32_t max_value_bytes = 255;

const Json::Value* member(const Json::Value& object, const char* key) {
    return object.find(key, key + std::char_traits<char>::length(key));
}

// Refuses the descriptor for a member it cannot take, naming it by its jname (or by
// the jname as written, when that is not a string).
[[noreturn]] void refuse(const Json::Value& object, const char* key, const std::string& kind) {
    const Json::Value* jname = member(object, "jname");
    const std::string label = !jname              ? std::string()
                              : jname->isString() ? jname->asString()
                                                  : libs::core::json::to_string(*jname);
    throw libs::core::exception("Descriptor " + label + ": \"" + key + "\" must be " + kind, CORE_CURRENT_LOCATION);
}

std::string string_member(const Json::Value& object, const char* key) {
    const Json::Value* value = member(object, key);
    return value && value->isString() ? value->asString() : std::string();
}

// A whole number up to `most`, also one written as a real without a fraction (3.0).
boost::optional<uint32_t> unsigned_member(const Json::Value& object, const char* key, uint32_t most) {
    const Json::Value* value = member(object, key);
    if (!value)
        return boost::none;
    if (!value->isUInt() || value->asUInt() > most)
        refuse(object, key, "a whole number from 0 to " + std::to_string(most));
    return value->asUInt();
}

std::string jname_member(const Json::Value& object) {
    const Json::Value* value = member(object, "jname");
    if (value && !value->isString())
        refuse(object, "jname", "a string");
    return value ? value->asString() : std::string();
}

bool readonly_member(const Json::Value& object) {
    const Json::Value* value = member(object, "readonly");
    if (value && !value->isBool())
        refuse(object, "readonly", "true or false");
    return value && value->asBool();
}

}  // namespace

descriptor::descriptor(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                       string_view jname, boost::optional<uint32_t> size, bool readonly,
                       boost::optional<zero_size_interpretation> zero_size)
    : m_num(num), m_offset(offset), m_name(name.data(), name.size()), m_jname(jname.data(), jname.size()), m_size(size),
      m_readonly(readonly), m_zero_size_interpretation(zero_size) {}

boost::optional<descriptor::ptr> descriptor::create_from_json(const Json::Value& object) {
    descriptor_arguments arguments;
    arguments.name = string_member(object, "name");
    arguments.jname = jname_member(object);
    const std::string format = string_member(object, "format");
    arguments.num = unsigned_member(object, "num", std::numeric_limits<uint32_t>::max());
    arguments.offset = unsigned_member(object, "offset", max_value_bytes);
    arguments.size = unsigned_member(object, "size", max_value_bytes);
    arguments.readonly = readonly_member(object);
    if (object.isMember("zero_size_interpretation")) {
        const Json::Value& text = object["zero_size_interpretation"];
        arguments.zero_size =
            libs::core::enum_from_string<zero_size_interpretation>(text.isString() ? text.asString() : std::string());
    }

    auto made = make_descriptor(format, arguments);
    if (!made)
        return boost::none;
    ptr result = std::move(*made);

    if (object.isMember("args"))
        for (const auto& arg : object["args"])
            result->add_arg(arg.isString() ? arg.asString() : std::string());

    if (object.isMember("fields")) {
        for (const auto& element : object["fields"]) {
            auto field = create_from_json(element);
            if (!field)
                continue;
            const auto offset = (*field)->get_offset();
            if (!offset)
                throw libs::core::exception(
                    "Field " + std::string((*field)->get_jname()) + " must have a " + "offset" + " field",
                    CORE_CURRENT_LOCATION);
            result->add_field(*offset, std::move(*field));
        }
    }
    return result;
}

bool descriptor::for_each_field(const const_field_callback& callback) const {
    for (const auto& field : m_fields)
        if (!callback(*field.second))
            return false;
    return true;
}

std::ostream& operator<<(std::ostream& stream, const descriptor& d) {
    if (d.m_num)
        stream << "num: " << *d.m_num << ", ";
    if (d.m_offset)
        stream << "offset: " << *d.m_offset << ", ";
    stream << "name: " << d.m_name << ", ";
    stream << "jname: " << d.m_jname << ", ";
    stream << "format: " << d.get_type_name() << ", ";
    stream << "readonly: " << (d.m_readonly ? "true" : "false") << ", ";
    if (d.m_size)
        stream << "size: " << *d.m_size << ", ";
    if (!d.m_args.empty()) {
        stream << "args: ";
        for (const auto& arg : d.m_args)
            stream << arg << ", ";
    }
    stream << std::endl;
    for (const auto& field : d.m_fields)
        stream << "    key: " << field.first << ' ' << *field.second;
    return stream;
}

}  // namespace orx::parameters
