#include "core/zmq/curve_options.hpp"

#include <boost/system/system_error.hpp>

#include <cerrno>
#include <utility>

namespace orx::libs::core::zmq {

namespace {

// libzmq's option (still a draft in its API, so not in its stable header) that
// refuses clients when no ZAP handler answers, instead of admitting them all.
constexpr int zap_enforce_domain_option = 93;

}  // namespace

void make_curve_server(asio_socket& socket, const curve_key& secret_key, const std::string& zap_domain) {
    socket.set_option(ZMQ_CURVE_SERVER, 1);
    socket.set_option(ZMQ_CURVE_SECRETKEY, secret_key.data(), secret_key.size());
    // The handler is asked for every CURVE client once a domain is set; a request
    // must name one in any case.
    socket.set_option(ZMQ_ZAP_DOMAIN, zap_domain);
    try {
        socket.set_option(zap_enforce_domain_option, 1);
    } catch (const boost::system::system_error& e) {
        // A libzmq without the option still asks the running handler.
        if (e.code().value() != EINVAL)
            throw;
    }
}

void make_curve_client(asio_socket& socket, const curve_key_pair& own_keys, const curve_key& server_public_key) {
    socket.set_option(ZMQ_CURVE_SERVERKEY, server_public_key.data(), server_public_key.size());
    socket.set_option(ZMQ_CURVE_PUBLICKEY, own_keys.public_key.data(), own_keys.public_key.size());
    socket.set_option(ZMQ_CURVE_SECRETKEY, own_keys.secret_key.data(), own_keys.secret_key.size());
}

void make_curve_client(void* socket, const curve_key_pair& own_keys, const curve_key& server_public_key) {
    const std::pair<int, const curve_key*> keys[] = {{ZMQ_CURVE_SERVERKEY, &server_public_key},
                                                     {ZMQ_CURVE_PUBLICKEY, &own_keys.public_key},
                                                     {ZMQ_CURVE_SECRETKEY, &own_keys.secret_key}};
    for (const auto& [option, key] : keys)
        if (zmq_setsockopt(socket, option, key->data(), key->size()) != 0)
            throw boost::system::system_error(zmq_errno(), boost::system::system_category(), "zmq_setsockopt");
}

}  // namespace orx::libs::core::zmq
