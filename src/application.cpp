#include "application.hpp"

#include "converter_utils.hpp"
#include "endpoint_check.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <exception>

namespace orx {

namespace zmq = libs::core::zmq;

namespace {

// The raw output warns about dropped messages at most this often.
constexpr std::chrono::seconds drop_warning_interval{10};

// The second part of a raw message carries its length in two bytes.
constexpr std::size_t max_raw_part = 0xFFFF;

// Longer inputs cannot be valid; they are dropped before anything quotes them.
// A frame: two length fields, a 6-byte time stamp and the largest data section, as hex.
constexpr std::size_t max_frame_text = 4 + 12 + 4 + 2 * max_raw_part;
constexpr std::size_t max_request_text = 1024 * 1024;
// Inputs far longer than that (twice the longest valid one) do not reach the
// queue at all: ZeroMQ closes the sender's connection, so that a sender of such
// messages cannot fill the receive queue with them while the loop is busy.
constexpr int64_t socket_limit(std::size_t longest) { return 2 * static_cast<int64_t>(longest); }
// Requests waiting in the JSON input: with the longest request that holds at most
// 16 MiB; a back end that sends faster than requests are converted waits on its side.
constexpr int request_queue = 16;

constexpr std::chrono::seconds statistics_log_period{60};
constexpr std::chrono::seconds statistics_textfile_period{15};

}  // namespace

application::application(libs::core::events_loop& events_loop, const config& configuration, libs::core::logger& logger,
                         supervision& supervision)
    : m_logger(logger), m_events_loop(events_loop), m_config(configuration), m_supervision(supervision) {
    m_parameter_config = parameters::config::load_file(m_logger, m_config.parameters.config_file);
    warn_of_skipped_parameters(*m_parameter_config);
    m_converter = std::make_unique<converter>(m_logger, *this, *m_parameter_config);
    m_security = std::make_unique<channel_security>(m_events_loop, m_config, m_logger,
                                                    [this] { m_statistics.on_connection_refused(); });
    if (m_config.mqtt)
        m_mqtt =
            std::make_unique<mqtt_link>(m_events_loop, *m_config.mqtt, m_logger, m_statistics,
                                        [this](boost::string_view request) { handle_request(request, "mqtt_input"); });
    const auto scope = m_logger.enter_function_short(CORE_CURRENT_LOCATION, "");
    // Such an endpoint is still retried below with the others; this line says why
    // those retries cannot succeed.
    for (const auto& problem : endpoint_problems(m_config))
        m_logger.error("%1%") % problem;
    m_initialization_timer = m_events_loop.create_periodic_timer(
        std::chrono::seconds(1), libs::core::periodic_timer::execute_now{}, "ititialization",
        [this](libs::core::timer::time_point) { initialize(); }, libs::core::source_location());
    m_statistics_timer = m_events_loop.create_periodic_timer(
        statistics_log_period, "statistics", [this](libs::core::timer::time_point) { report_statistics(); },
        CORE_CURRENT_LOCATION);
    if (m_config.statistics.textfile)
        m_textfile_timer = m_events_loop.create_periodic_timer(
            statistics_textfile_period, libs::core::periodic_timer::execute_now{}, "statistics textfile",
            [this](libs::core::timer::time_point) { write_statistics_textfile(); }, CORE_CURRENT_LOCATION);
    if (m_textfile_timer)
        m_last_textfile_write = libs::core::execute_on_scope_exit([this] { write_statistics_textfile(); });
}

void application::initialize() {
    // Sockets created on an earlier tick stay; a failure leaves the callback and
    // the next tick goes on from the first missing channel.
    auto& manager = m_events_loop.get_zmq();
    using type = zmq::socket::type;
    const auto bind = [&](type socket_type, const std::string& endpoint, zmq::socket::options options = {}) {
        return manager.bind(socket_type, endpoint, m_security->bind_options(endpoint, options));
    };
    zmq::socket::options frame_sized;
    frame_sized.max_message_size = socket_limit(max_frame_text);
    if (!m_zmq_binary_input)
        m_zmq_binary_input = bind(type::pull, m_config.binary.input, frame_sized);
    if (!m_zmq_binary_tmp_input)
        m_zmq_binary_tmp_input = bind(type::pull, m_config.binary.tmp_input, frame_sized);
    if (!m_zmq_binary_output)
        m_zmq_binary_output = bind(type::pub, m_config.binary.output);
    if (!m_zmq_binary_tmp_output) {
        // Downlink messages are for the peer connected now: a reboot queued for a
        // peer that connects hours later would reach the node long after it was meant.
        zmq::socket::options connected_peers_only;
        connected_peers_only.immediate = true;
        const auto& endpoint = m_config.binary.tmp_output;
        m_zmq_binary_tmp_output =
            manager.connect(type::push, endpoint, m_security->connect_options(endpoint, connected_peers_only));
    }
    if (!m_zmq_json_input) {
        zmq::socket::options short_queue;
        short_queue.receive_queue = request_queue;
        short_queue.max_message_size = socket_limit(max_request_text);
        m_zmq_json_input = bind(type::pull, m_config.json.input, short_queue);
    }
    if (!m_zmq_json_output) {
        zmq::socket::options document_queue;
        document_queue.send_queue = m_config.json.output_hwm;
        m_zmq_json_output = bind(type::pub, m_config.json.output, document_queue);
    }
    m_initialization_timer->stop();
    on_start();
    m_supervision.ready(m_statistics.summary() + m_statistics.liveness());
}

void application::reload() {
    reload_parameters();
    // A refused folder is logged there and leaves the keys in force.
    (void)reload_authorized_keys();
}

void application::reload_parameters() {
    const auto& file_name = m_config.parameters.config_file;
    parameters::config::ptr registry;
    try {
        registry = parameters::config::load_file(m_logger, file_name);
    } catch (...) {
        m_logger.error("reload: parameter file %1% refused, the parameters in use stay: %2%") % file_name %
            libs::core::exception_to_string();
        return;
    }
    warn_of_skipped_parameters(*registry);
    std::size_t count = 0;
    registry->for_each_parameter([&count](const parameters::descriptor&) {
        ++count;
        return true;
    });
    // The converter refers to the registry: both are replaced, the old converter
    // before the registry it refers to, and downlink numbering goes on where it was.
    m_converter = std::make_unique<converter>(m_logger, *this, *registry, m_converter->next_sequence_number());
    m_parameter_config = std::move(registry);
    m_logger.info("reload: %1% parameters from %2%") % count % file_name;
}

void application::warn_of_skipped_parameters(const parameters::config& registry) {
    for (const auto& entry : registry.skipped_entries())
        m_logger.warning("parameter file %1%: %2%") % m_config.parameters.config_file % entry;
}

void application::on_start() {
    m_zmq_binary_input->set_receive_callback([this](zmq::message& message) { on_binary_input(message); });
    m_zmq_binary_tmp_input->set_receive_callback([this](zmq::message& message) { on_raw_input(message); });
    m_zmq_json_input->set_receive_callback([this](zmq::message& message) { on_json_input(message); });
}

template <typename F>
void application::counting_failures(F&& convert) {
    const int before = std::uncaught_exceptions();
    const auto count = libs::core::execute_on_scope_exit([this, before]() noexcept {
        if (std::uncaught_exceptions() > before)
            m_statistics.on_conversion_failed();
    });
    convert();
}

void application::on_binary_input(zmq::message& message) {
    const auto text = message.string_view();
    m_statistics.on_frame_received();
    if (text.size() > max_frame_text) {
        m_statistics.on_conversion_failed();
        m_logger.error("binary_input: frame of %1% bytes dropped, longer than %2%") % text.size() % max_frame_text;
        return;
    }
    m_logger.debug("binary_input: %1%") % libs::core::excerpt(text);
    counting_failures([&] { m_converter->convert(binary_message{text}); });
}

void application::on_raw_input(zmq::message& message) {
    if (!message.more())
        return;
    m_statistics.on_frame_received();
    auto data = m_zmq_binary_tmp_input->receive_more();
    if (data.more()) {
        // Take the rest of the message off the socket before dropping it whole.
        std::size_t parts = 2;
        for (auto rest = m_zmq_binary_tmp_input->receive_more();; rest = m_zmq_binary_tmp_input->receive_more()) {
            ++parts;
            if (!rest.more())
                break;
        }
        m_statistics.on_conversion_failed();
        m_logger.error("tmp_input: message of %1% parts dropped, expected 2") % parts;
        return;
    }
    if (message.size() > max_raw_part || data.size() > max_raw_part) {
        m_statistics.on_conversion_failed();
        m_logger.error("tmp_input: message dropped, part of %1% bytes exceeds %2%") %
            std::max(message.size(), data.size()) % max_raw_part;
        return;
    }

    std::string hex;
    hex.reserve(8 + 2 * (message.size() + data.size()));
    append_hex(hex, message.size(), 4);
    for (const auto byte : message.string_view())
        append_hex(hex, static_cast<unsigned char>(byte), 2);
    append_hex(hex, data.size(), 4);
    for (const auto byte : data.string_view())
        append_hex(hex, static_cast<unsigned char>(byte), 2);
    counting_failures([&] { m_converter->convert(binary_message{hex}); });
}

void application::on_json_input(zmq::message& message) { handle_request(message.string_view(), "json_input"); }

void application::handle_request(boost::string_view text, const char* source) {
    m_statistics.on_request_received();
    if (text.size() > max_request_text) {
        m_statistics.on_json_parse_failed();
        m_logger.error("%1%: request of %2% bytes dropped, longer than %3%") % source % text.size() % max_request_text;
        return;
    }
    m_logger.debug("%1%: %2%") % source % libs::core::excerpt(text);
    auto parsed = libs::core::json::try_parse(text);
    if (!parsed.ok) {
        m_statistics.on_json_parse_failed();
        m_logger.error("json: '%1%', parse error: '%2%'") % libs::core::excerpt(text) % parsed.error;
        return;
    }
    counting_failures([&] {
        // Only an object is a request; anything else, null included, is refused
        // like a request that fails to convert.
        if (!parsed.result.isObject())
            throw libs::core::exception("Request is not a JSON object", CORE_CURRENT_LOCATION);
        m_converter->convert(parsed.result);
    });
}

void application::on_message(const binary_message& message) {
    m_zmq_binary_output->send(zmq::message(message.m_hex));
    m_statistics.on_downlink_sent();
    std::string prefixed;
    prefixed.reserve(5 + message.m_hex.size());
    prefixed += "#win ";
    prefixed.append(message.m_hex.data(), message.m_hex.size());
    // The raw output must never stall the loop: what it cannot queue is dropped.
    if (!m_zmq_binary_tmp_output->try_send(zmq::message(prefixed))) {
        m_statistics.on_tmp_output_dropped();
        warn_tmp_output_dropped();
    }
    if (m_mqtt)
        m_mqtt->publish_downlink(message.m_hex);
}

void application::warn_tmp_output_dropped() {
    const auto now = std::chrono::steady_clock::now();
    if (m_tmp_output_warned_once && now - m_tmp_output_warned < drop_warning_interval)
        return;
    m_logger.warning("tmp_output: %1% downlink messages dropped so far, no peer ready to take them") %
        m_statistics.tmp_output_dropped();
    m_tmp_output_warned = now;
    m_tmp_output_warned_once = true;
}

void application::on_message(boost::string_view topic, const Json::Value& document) {
    m_output_buffer.clear();
    m_output_buffer += '~';
    m_output_buffer.append(topic.data(), topic.size());
    m_output_buffer += ' ';
    libs::core::json::append_to_string(document, m_output_buffer);
    m_zmq_json_output->send(zmq::message(boost::string_view(m_output_buffer)));
    m_statistics.on_document_published(topic);
    if (m_mqtt) {
        // The same bytes as on the JSON output, after "~<topic> ".
        const boost::string_view rendered(m_output_buffer);
        const char* mac_begin = nullptr;
        const char* mac_end = nullptr;
        static constexpr char mac_key[] = "mac";
        const auto* mac = document.find(mac_key, mac_key + 3);
        if (!mac || !mac->getString(&mac_begin, &mac_end))
            mac_begin = mac_end = nullptr;
        m_mqtt->publish_document(topic, boost::string_view(mac_begin, static_cast<std::size_t>(mac_end - mac_begin)),
                                 rendered.substr(topic.size() + 2));
    }
}

void application::report_statistics() {
    const auto line = m_statistics.summary() + m_statistics.liveness();
    m_logger.info("%1%") % line;
    m_supervision.status(line);
}

void application::write_statistics_textfile() {
    try {
        write_file_atomically(*m_config.statistics.textfile, m_statistics.prometheus_text());
    } catch (const libs::core::exception& e) {
        m_logger.error("statistics: %1%") % e.error();
    }
}

}  // namespace orx
