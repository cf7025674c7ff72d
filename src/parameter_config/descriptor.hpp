#pragma once

#include <core/enum_from_string.hpp>
#include <core/only_movable.hpp>

#include <json/value.h>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace orx::parameters {

// What a parameter that a device reports with zero length means.
enum class zero_size_interpretation : uint32_t {
    PARAMETER_IS_NOT_SUPPORTED = 0,
    EMPTY_ARRAY = 1,
    _count = 2,
};

// One device parameter, or one field of a composite parameter: its number, names,
// size and the conversion of its value between hex text and JSON.
class descriptor : public libs::core::only_movable {
public:
    using ptr = std::unique_ptr<descriptor>;
    using string_view = boost::string_view;
    using const_field_callback = std::function<bool(const descriptor&)>;

    // Stores the values as given; the factory applies the format's construction rule
    // before it builds a descriptor of the parameter file.
    descriptor(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name, string_view jname,
               boost::optional<uint32_t> size, bool readonly, boost::optional<zero_size_interpretation> zero_size);
    virtual ~descriptor() = default;

    // Hex text (either case) to the JSON value; nothing when the text holds no value.
    virtual boost::optional<Json::Value> convert_bin_to_json(string_view hex) const = 0;
    // JSON value to upper-case hex text; nothing when the value cannot be encoded.
    virtual boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const = 0;
    // The "format" text of the class.
    virtual string_view get_type_name() const = 0;

    // Builds one descriptor, with its fields, from one object of the parameter file.
    // Nothing when "format" names no known format; raises when a construction rule fails.
    static boost::optional<ptr> create_from_json(const Json::Value& object);

    boost::optional<uint32_t> get_size() const { return m_size; }
    boost::optional<uint32_t> get_num() const { return m_num; }
    boost::optional<uint32_t> get_offset() const { return m_offset; }
    string_view get_jname() const { return m_jname; }
    boost::optional<zero_size_interpretation> get_zero_size_interpretation() const {
        return m_zero_size_interpretation;
    }
    const std::vector<std::string>& get_args() const { return m_args; }

    void add_arg(string_view arg) { m_args.emplace_back(arg.data(), arg.size()); }
    void add_field(uint32_t offset, ptr field) { m_fields.emplace(offset, std::move(field)); }

    // Visits the fields in ascending offset (file order among equal offsets); stops
    // at the first callback that returns false and returns false then.
    bool for_each_field(const const_field_callback& callback) const;

    friend std::ostream& operator<<(std::ostream& stream, const descriptor& d);

protected:
    // Replaces the size; formats of a fixed width set their own.
    void set_size(uint32_t size) { m_size = size; }

private:
    boost::optional<uint32_t> m_num;
    boost::optional<uint32_t> m_offset;
    std::string m_name;
    std::string m_jname;
    std::vector<std::string> m_args;
    boost::optional<uint32_t> m_size;
    bool m_readonly;
    boost::optional<zero_size_interpretation> m_zero_size_interpretation;
    std::multimap<uint32_t, ptr> m_fields;
};

}  // namespace orx::parameters

namespace orx::libs::core {

template <>
struct enum_texts<parameters::zero_size_interpretation> {
    static constexpr const char* names[] = {"parameter_is_not_supported", "empty_array"};
};

}  // namespace orx::libs::core
