#include "zap_handler_impl.hpp"

#include "core/exception.hpp"

#include <boost/system/system_error.hpp>

#include <cstring>

namespace orx::libs::core::zmq {

namespace {

constexpr const char* zap_endpoint = "inproc://zeromq.zap.01";
constexpr boost::string_view zap_version = "1.0";
constexpr boost::string_view curve_mechanism = "CURVE";

// The parts of a request after the envelope that a REP socket strips.
enum zap_part : std::size_t {
    part_version,
    part_request_id,
    part_domain,
    part_address,
    part_identity,
    part_mechanism,
    part_credentials
};

std::string text_of(const std::vector<message>& request, std::size_t index) {
    return index < request.size() ? request[index].string_view().to_string() : std::string();
}

}  // namespace

struct zap_handler_impl::answer {
    boost::string_view status;
    std::string text;
    std::string user_id;
};

zap_handler::ptr zap_handler::create(events_loop& loop, curve_key_set authorized, refusal_callback on_refusal,
                                     accept_failure_callback on_accept_failure) {
    return std::make_unique<zap_handler_impl>(loop, std::move(authorized), std::move(on_refusal),
                                              std::move(on_accept_failure));
}

zap_handler_impl::zap_handler_impl(events_loop& loop, curve_key_set authorized, refusal_callback on_refusal,
                                   accept_failure_callback on_accept_failure)
    : m_io_context(loop.get_io_context()), m_reports(std::make_shared<const watch_reports>(
                                               watch_reports{std::move(on_refusal), std::move(on_accept_failure)})),
      m_authorized(std::move(authorized)), m_socket(m_io_context, ZMQ_REP) {
    m_socket.set_option(ZMQ_LINGER, 0);
    boost::system::error_code error;
    m_socket.bind(zap_endpoint, error);
    if (error)
        throw exception(std::string("ZAP handler: bind to ") + zap_endpoint + ": " + error.message(),
                        CORE_CURRENT_LOCATION);
    receive_request();
}

zap_handler_impl::~zap_handler_impl() {
    // Frees the endpoint at once, so that another handler may follow this one.
    zmq_unbind(m_socket.native_handle(), zap_endpoint);
}

void zap_handler_impl::set_authorized(curve_key_set authorized) {
    std::lock_guard<std::mutex> lock(m_authorized_mutex);
    m_authorized.swap(authorized);
}

zap_handler::watch::ptr zap_handler_impl::watch_refusals(asio_socket& server) {
    return std::make_unique<refusal_watch>(m_io_context, server, m_reports);
}

void zap_handler_impl::receive_request() {
    m_socket.async_receive([this](const boost::system::error_code& error, message& first) {
        if (error)
            return;
        std::vector<message> request;
        request.push_back(std::move(first));
        boost::system::error_code ignored;
        while (request.back().more() && !ignored) {
            request.emplace_back();
            m_socket.receive(request.back(), ZMQ_DONTWAIT, ignored);
        }
        const auto result = decide(request);
        reply(request, result);
        auto reports = m_reports;
        const auto client = text_of(request, part_address);
        receive_request();
        if (result.status != "200")
            reports->on_refusal({client, result.text});
    });
}

zap_handler_impl::answer zap_handler_impl::decide(const std::vector<message>& request) {
    if (request.size() <= part_mechanism || request[part_version].string_view() != zap_version)
        return {"400", "malformed ZAP request", {}};
    if (request[part_mechanism].string_view() != curve_mechanism)
        return {"400", "the client does not use CURVE", {}};
    curve_key key{};
    if (request.size() != part_credentials + 1 || request[part_credentials].size() != key.size())
        return {"400", "malformed CURVE credentials", {}};
    std::memcpy(key.data(), request[part_credentials].data(), key.size());
    bool authorized = false;
    {
        std::lock_guard<std::mutex> lock(m_authorized_mutex);
        authorized = m_authorized.count(key) != 0;
    }
    if (!authorized)
        return {"400", "key " + to_z85(key) + " is not authorized", {}};
    return {"200", "OK", to_z85(key)};
}

// Version, the request id as it came, status code, status text, user id and no
// metadata.
void zap_handler_impl::reply(const std::vector<message>& request, const answer& result) {
    const std::string parts[] = {zap_version.to_string(),
                                 text_of(request, part_request_id),
                                 result.status.to_string(),
                                 result.text,
                                 result.user_id,
                                 std::string()};
    boost::system::error_code ignored;
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        message part(parts[i]);
        m_socket.send(part, i + 1 < std::size(parts) ? ZMQ_SNDMORE : 0, ignored);
    }
}

}  // namespace orx::libs::core::zmq
