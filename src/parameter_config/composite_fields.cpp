#include "parameter_config/composite_fields.hpp"

#include "parameter_config/bitwise_or_for_hex_strings.hpp"

namespace orx::parameters::composite {

namespace {

// Hex position of a byte offset; computed in size_t so large offsets cannot wrap.
std::size_t hex_position(uint32_t offset) { return 2 * static_cast<std::size_t>(offset); }

// One record being written: where it starts and the offset of the field placed last.
class record_writer {
public:
    explicit record_writer(std::string& out) : m_out(out), m_base(out.size()) {}

    bool place(uint32_t offset, boost::string_view text) {
        const std::size_t position = m_base + hex_position(offset);
        const std::size_t end = position + text.size();
        if (m_out.size() < end)
            m_out.resize(end, '0');
        if (m_last_offset && *m_last_offset == offset) {
            const auto merged =
                bitwise_OR_for_hex_strings(text, boost::string_view(m_out).substr(position, text.size()));
            if (!merged) {
                m_out.clear();
                return false;
            }
            m_out.replace(position, text.size(), *merged);
        } else {
            m_out.replace(position, text.size(), text.data(), text.size());
        }
        m_last_offset = offset;
        return true;
    }

private:
    std::string& m_out;
    const std::size_t m_base;
    boost::optional<uint32_t> m_last_offset;
};

}  // namespace

write_outcome write_record(const descriptor& composite, const Json::Value& record, std::string& out,
                           const field_text_check& check) {
    record_writer writer(out);
    write_outcome outcome = write_outcome::COMPLETE;
    composite.for_each_field([&](const descriptor& field) {
        const auto jname = field.get_jname();
        // A record that is neither an object nor null raises the JSON library's error here.
        const Json::Value* member = record.find(jname.data(), jname.data() + jname.size());
        if (!member) {
            outcome = write_outcome::MEMBER_MISSING;
            return false;
        }
        const auto text = field.convert_json_to_bin(*member);
        if (!text || (check && !check(field, *text)) || !writer.place(field.get_offset().value(), *text)) {
            outcome = write_outcome::FAILED;
            return false;
        }
        return true;
    });
    return outcome;
}

Json::Value read_record(const descriptor& composite, boost::string_view text, offset_beyond_text beyond,
                        const unsized_field_length& unsized_length) {
    Json::Value record;
    composite.for_each_field([&](const descriptor& field) {
        const uint32_t offset = field.get_offset().value();
        if (beyond == offset_beyond_text::END_WALK && offset >= text.size() / 2)
            return false;
        // Past the end of the text this raises "string_view::substr".
        const boost::string_view rest = text.substr(hex_position(offset));
        std::size_t length = boost::string_view::npos;
        if (const auto size = field.get_size())
            length = hex_position(*size);
        else if (unsized_length)
            length = unsized_length(field, rest, record);
        if (auto value = field.convert_bin_to_json(rest.substr(0, length))) {
            const auto jname = field.get_jname();
            *record.demand(jname.data(), jname.data() + jname.size()) = std::move(*value);
        }
        return true;
    });
    return record;
}

bool is_variable_part(const descriptor& field, boost::string_view type_name) {
    return !field.get_size() && field.get_type_name() == type_name;
}

}  // namespace orx::parameters::composite
