#pragma once

#include "binary_message.hpp"
#include "channel_security.hpp"
#include "config.hpp"
#include "converter.hpp"
#include "mqtt_link.hpp"
#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"
#include "statistics.hpp"
#include "supervision.hpp"

#include <core/events_loop.hpp>
#include <core/logger.hpp>
#include <core/periodic_timer.hpp>
#include <core/scope_guard.hpp>
#include <core/zmq/socket.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace orx {

// Owns the parameter registry, the converter and the six channels; feeds what
// arrives on the inputs to the converter and writes its output to the outputs.
class application : public processed_messages_handler {
public:
    application(libs::core::events_loop& events_loop, const config& configuration, libs::core::logger& logger,
                supervision& supervision);

    void on_message(const binary_message& message) override;
    void on_message(boost::string_view topic, const Json::Value& document) override;

    // Installs the three receive handlers once every channel exists.
    void on_start();

    const statistics& get_statistics() const { return m_statistics; }

    // Reads what can change while running (the parameter file) again; what is
    // refused leaves the running state as it was. Call between two messages, on
    // the loop's thread.
    void reload();
    // Reads the folder of authorized client keys again and admits exactly those
    // from the next connection on; on failure keeps the keys in force and returns
    // (and logs) why. Nothing to do without a "security" group.
    boost::optional<std::string> reload_authorized_keys() { return m_security->reload_authorized_keys(); }

private:
    void initialize();
    void reload_parameters();
    void warn_of_skipped_parameters(const parameters::config& registry);
    void on_binary_input(libs::core::zmq::message& message);
    void on_raw_input(libs::core::zmq::message& message);
    void on_json_input(libs::core::zmq::message& message);
    // A request from the JSON input or the MQTT link; `source` names it in the log.
    void handle_request(boost::string_view text, const char* source);
    void warn_tmp_output_dropped();
    void report_statistics();
    void write_statistics_textfile();
    // Counts a conversion that leaves by an exception, which goes on to the loop.
    template <typename F>
    void counting_failures(F&& convert);

    // Declared in the order of what must outlive what; members release in reverse.
    libs::core::logger& m_logger;
    libs::core::events_loop& m_events_loop;
    const config& m_config;
    supervision& m_supervision;
    statistics m_statistics;
    bool m_tmp_output_warned_once = false;
    std::chrono::steady_clock::time_point m_tmp_output_warned{};
    std::string m_output_buffer;
    std::unique_ptr<parameters::config> m_parameter_config;
    std::unique_ptr<converter> m_converter;
    // Configures every channel, so it outlives them.
    std::unique_ptr<channel_security> m_security;
    libs::core::zmq::socket::ptr m_zmq_binary_input;
    libs::core::zmq::socket::ptr m_zmq_binary_tmp_input;
    libs::core::zmq::socket::ptr m_zmq_binary_output;
    libs::core::zmq::socket::ptr m_zmq_binary_tmp_output;
    libs::core::zmq::socket::ptr m_zmq_json_input;
    libs::core::zmq::socket::ptr m_zmq_json_output;
    libs::core::periodic_timer::ptr m_initialization_timer;
    libs::core::periodic_timer::ptr m_statistics_timer;
    libs::core::periodic_timer::ptr m_textfile_timer;
    // Writes the textfile once more when the service stops, so that a stop between
    // two periodic writes keeps the last counts; armed once the start succeeded.
    libs::core::scope_guard m_last_textfile_write;
    // Released first, while the channels are still open, so that its flush at stop
    // is counted in the last statistics.
    std::unique_ptr<mqtt_link> m_mqtt;
};

}  // namespace orx
