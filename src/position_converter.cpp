#include "position_converter.hpp"

#include "converter_utils.hpp"
#include "generic_frame.hpp"
#include "reused_document.hpp"

namespace orx {

namespace {

constexpr std::size_t record_size = bytes(18u);
constexpr std::size_t block_header_size = bytes(2u);

enum pex_type : uint8_t {
    PEX_POS_SOURCE = 1,
    PEX_VELOCITY = 2,
    PEX_POS_METRICS = 3,
};

constexpr uint8_t solver_mode_mask = 0x07;
constexpr uint8_t inactive_flag = 0x20;

// Member names are static texts, so documents refer to them instead of copying them.
const Json::StaticString data_key("data");
const Json::StaticString x_key("x");
const Json::StaticString y_key("y");
const Json::StaticString z_key("z");
const Json::StaticString sl_id_key("sl_id");
const Json::StaticString fom_key("fom");
const Json::StaticString slvr_mode_key("slvr_mode");
const Json::StaticString inactive_key("inactive");
const Json::StaticString src_key("src");
const Json::StaticString spd_key("spd");
const Json::StaticString spd_fom_key("spd_fom");
const Json::StaticString ornt_key("ornt");
const Json::StaticString ornt_fom_key("ornt_fom");
const Json::StaticString metrics_key("metrics");
// The members of "data" that every position has.
constexpr Json::ArrayIndex fixed_members = 7;

// The extension blocks a frame's readers wrote, one bit each.
enum written_block : unsigned { source_written = 1, velocity_written = 2, metrics_written = 4 };

}  // namespace

position_converter::position_converter(libs::core::logger& logger, processed_messages_handler& processed_messages)
    : m_slvr_modes{Json::StaticString("NONE"),   Json::StaticString("PD"),   Json::StaticString("0D"),
                   Json::StaticString("1D"),     Json::StaticString("TDOA"), Json::StaticString("TWOA"),
                   Json::StaticString("ULTDOA"), Json::StaticString("HF")},
      m_logger(logger), m_processed_messages(processed_messages) {}

void position_converter::convert(const Json::Value&) const {}

void position_converter::convert(libs::core::timestamp time, const boost::string_view& cmd_data,
                                 const boost::string_view& mac) const {
    if (cmd_data.size() < record_size)
        throw cmd_data_too_short(cmd_data, CORE_CURRENT_LOCATION);

    const int32_t x = parse_number<int32_t>(cmd_data).value();
    const int32_t y = parse_number<int32_t>(cmd_data.substr(bytes(4u))).value();
    const int32_t z = parse_number<int32_t>(cmd_data.substr(bytes(8u))).value();
    const uint8_t sl_id = parse_number<uint8_t>(cmd_data.substr(bytes(12u))).value();
    const uint8_t fom = parse_number<uint8_t>(cmd_data.substr(bytes(13u))).value();
    const uint8_t flags = parse_number<uint8_t>(cmd_data.substr(bytes(17u))).value();

    set_uplink_document(m_document, time, mac);
    json& data = m_document[data_key];
    data[x_key] = x;
    data[y_key] = y;
    data[z_key] = z;
    data[sl_id_key] = sl_id;
    data[fom_key] = fom;
    data[slvr_mode_key] = m_slvr_modes[flags & solver_mode_mask];
    data[inactive_key] = (flags & inactive_flag) != 0;
    m_written_blocks = 0;
    if (cmd_data.size() > record_size)
        parse_PEX_data(cmd_data.substr(record_size), data);
    // An extension block's members stay only when this frame wrote them.
    if (data.size() > fixed_members) {
        if ((m_written_blocks & source_written) == 0)
            data.removeMember(src_key.c_str());
        if ((m_written_blocks & velocity_written) == 0)
            for (const auto* key : {&spd_key, &spd_fom_key, &ornt_key, &ornt_fom_key})
                data.removeMember(key->c_str());
        if ((m_written_blocks & metrics_written) == 0)
            data.removeMember(metrics_key.c_str());
    }

    m_processed_messages.on_message("pos", m_document);
}

void position_converter::parse_PEX_data(boost::string_view blocks, Json::Value& data) const {
    while (blocks.size() > block_header_size) {
        const uint8_t type = parse_number<uint8_t>(blocks).value();
        const uint8_t length = parse_number<uint8_t>(blocks.substr(bytes(1u))).value();
        blocks.remove_prefix(block_header_size);
        if (blocks.size() < bytes(length))
            return;
        const auto value = blocks.substr(0, bytes(length));
        switch (type) {
        case PEX_POS_SOURCE: parse_PEX_POS_SOURCE(value, data); break;
        case PEX_VELOCITY: parse_PEX_VELOCITY(value, data); break;
        case PEX_POS_METRICS: parse_PEX_POS_METRICS(value, data); break;
        default: break;
        }
        blocks.remove_prefix(value.size());
    }
}

void position_converter::parse_PEX_POS_SOURCE(boost::string_view value, Json::Value& data) const {
    if (value.size() < bytes(1u))
        return;
    set_text(data[src_key], value.substr(0, bytes(1u)));
    m_written_blocks |= source_written;
}

void position_converter::parse_PEX_VELOCITY(boost::string_view value, Json::Value& data) const {
    if (value.size() < bytes(6u))
        return;
    data[spd_key] = parse_number<int16_t>(value).value();
    data[spd_fom_key] = parse_number<uint8_t>(value.substr(bytes(2u))).value();
    data[ornt_key] = parse_number<int16_t>(value.substr(bytes(3u))).value();
    data[ornt_fom_key] = parse_number<uint8_t>(value.substr(bytes(5u))).value();
    m_written_blocks |= velocity_written;
}

void position_converter::parse_PEX_POS_METRICS(boost::string_view value, Json::Value& data) const {
    if (value.size() < bytes(3u))
        return;
    set_text(data[metrics_key], value.substr(0, bytes(3u)));
    m_written_blocks |= metrics_written;
}

}  // namespace orx
