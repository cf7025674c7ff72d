#include "parameter_config/descriptor.hpp"

#include "parameter_config/descriptor_factory.hpp"

#include <core/exception.hpp>

namespace orx::parameters {

namespace {

std::string string_member(const Json::Value& object, const char* key) {
    const Json::Value* member = object.find(key, key + std::char_traits<char>::length(key));
    return member && member->isString() ? member->asString() : std::string();
}

boost::optional<uint32_t> unsigned_member(const Json::Value& object, const char* key) {
    if (!object.isMember(key))
        return boost::none;
    return object[key].asUInt();
}

}  // namespace

descriptor::descriptor(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                       string_view jname, boost::optional<uint32_t> size, bool readonly,
                       boost::optional<zero_size_interpretation> zero_size)
    : m_num(num),
      m_offset(offset),
      m_name(name.data(), name.size()),
      m_jname(jname.data(), jname.size()),
      m_size(size),
      m_readonly(readonly),
      m_zero_size_interpretation(zero_size) {}

boost::optional<descriptor::ptr> descriptor::create_from_json(const Json::Value& object) {
    descriptor_arguments arguments;
    arguments.name = string_member(object, "name");
    arguments.jname = string_member(object, "jname");
    const std::string format = string_member(object, "format");
    arguments.num = unsigned_member(object, "num");
    arguments.offset = unsigned_member(object, "offset");
    arguments.size = unsigned_member(object, "size");
    arguments.readonly = object.isMember("readonly") ? object["readonly"].asBool() : false;
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
