#include "runtime/runtime_fixture.hpp"

#include "core/zmq/curve_options.hpp"
#include "core/zmq/zap_handler.hpp"

#include <gmock/gmock.h>
#include <boost/algorithm/string/replace.hpp>

#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>

namespace security_test {
namespace {

namespace zmq = orx::libs::core::zmq;
using exception = orx::libs::core::exception;
using namespace std::chrono_literals;
using ::testing::HasSubstr;

void write_file(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
}

// {P} and {S} stand for the keys of a pair, {O} for another public key, {Z} for {P}
// with a NUL in place of its 21st character; mode 0 leaves the file out.
struct secret_file_case {
    std::string text;
    mode_t mode;
    std::string error;
};
class secret_key_files : public ::testing::TestWithParam<secret_file_case> {};

TEST_P(secret_key_files, are_read_or_refused_naming_the_file) {
    const auto keys = zmq::generate_curve_key_pair();
    auto text = GetParam().text;
    boost::replace_all(text, "{P}", zmq::to_z85(keys.public_key));
    boost::replace_all(text, "{S}", zmq::to_z85(keys.secret_key));
    boost::replace_all(text, "{O}", zmq::to_z85(zmq::generate_curve_key_pair().public_key));
    auto with_nul = zmq::to_z85(keys.public_key);
    with_nul[20] = '\0';
    boost::replace_all(text, "{Z}", with_nul);
    orx::test::temp_dir dir;
    const auto path = dir.file("gw.key_secret");
    if (GetParam().mode != 0)
        write_file(path, text, GetParam().mode);
    std::string error;
    try {
        EXPECT_EQ(zmq::read_secret_key_file(path).secret_key, keys.secret_key);
    } catch (const exception& e) {
        error = e.error();
    }
    EXPECT_EQ(error.empty(), GetParam().error.empty());
    EXPECT_THAT(error, HasSubstr(GetParam().error.empty() ? "" : "Key file " + path + ": " + GetParam().error));
}

const std::string good =
    "#   a comment\n\nmetadata\n    name = \"gw 1\"   # of the gateways\ncurve\n"
    "    public-key = \"{P}\"\r\n    secret-key = '{S}'  \n";
const std::string curve = "curve\n    public-key = \"{P}\"\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    files, secret_key_files,
    ::testing::Values(secret_file_case{good, 0600, ""}, secret_file_case{good, 0640, "is open to group or others"},
                      secret_file_case{good, 0604, "is open to group or others"},
                      secret_file_case{"curve\n    public-key = \"{O}\"\n    secret-key = \"{S}\"\n", 0600,
                                       "public-key is not the public key of its secret-key"},
                      secret_file_case{curve, 0600, "no secret-key in its curve section"},
                      secret_file_case{"public-key = \"{P}\"\nsecret-key = \"{S}\"\n", 0600, "no public-key"},
                      secret_file_case{curve + "  secret-key = \"{S}\"\n", 0600, "line 3: wrong indentation"},
                      secret_file_case{"curve\n    public-key = \"{P}0\"\n", 0600, "public-key is not 40 Z85"},
                      secret_file_case{"curve\n    public-key = \"{Z}\"\n    secret-key = \"{S}\"\n", 0600,
                                       "public-key is not 40 Z85"},
                      secret_file_case{curve + "    secret-key = \"~~~~~00000000000000000000000000000000000\"\n",
                                       0600, "secret-key is not 40 Z85"}));
// clang-format on

TEST(keygen, writes_a_pair_that_reads_back_and_is_never_overwritten) {
    orx::test::temp_dir dir;
    const auto keygen = std::string(TARNWICK_BINARY_DIR) + "/tools/tarnwick-keygen ";
    const auto run = [](std::string command) { return WEXITSTATUS(std::system((command + " 2>/dev/null").c_str())); };
    ASSERT_EQ(run(keygen + dir.file("gw")), 0);
    struct stat status {};
    ::stat(dir.file("gw.key_secret").c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const auto keys = zmq::read_secret_key_file(dir.file("gw.key_secret"));
    EXPECT_EQ(run(keygen + dir.file("gw")), 1);
    // Every regular file of the folder holds this public key, the sub-folder is passed over.
    ::mkdir(dir.file("folder").c_str(), 0700);
    EXPECT_EQ(zmq::read_authorized_keys(dir.path()), zmq::curve_key_set{keys.public_key});
    write_file(dir.file("notes"), "curve\n    public-key = \"short\"\n", 0644);
    EXPECT_THAT([&] { zmq::read_authorized_keys(dir.path()); },
                ::testing::ThrowsMessage<exception>(HasSubstr("notes: public-key is not 40")));
}

// near_miss: only a key that differs from the client's in its last byte is
// authorized; revoked: the client's key is replaced by another before it connects.
enum class client { authorized, unknown, near_miss, revoked, plain };

class curve_channel : public runtime_test::loop_test, public ::testing::WithParamInterface<client> {};

// A PUSH client sends one message to a CURVE server PULL socket over TCP; the
// loop stops at the first delivery or refusal.
TEST_P(curve_channel, admits_authorized_keys_only_and_reports_each_refusal) {
    const auto kind = GetParam();
    const auto server_keys = zmq::generate_curve_key_pair();
    const auto client_keys = zmq::generate_curve_key_pair();
    auto almost = client_keys.public_key;
    almost.back() ^= 1;
    const auto other = zmq::generate_curve_key_pair().public_key;
    std::vector<std::string> refused;
    const auto authorized = kind == client::near_miss ? almost
                            : kind == client::unknown ? other
                                                      : client_keys.public_key;
    auto handler = zmq::zap_handler::create(*m_loop, {authorized}, [&](const zmq::zap_handler::refusal& r) {
        refused.push_back(r.address);
        m_loop->stop();
    });
    if (kind == client::revoked)
        handler->set_authorized({other});

    zmq::asio_socket server(m_loop->get_io_context(), ZMQ_PULL);
    zmq::make_curve_server(server, server_keys.secret_key);
    auto watch = handler->watch_refusals(server);
    server.bind("tcp://127.0.0.1:!");
    std::string endpoint;
    server.get_option(ZMQ_LAST_ENDPOINT, endpoint);
    zmq::asio_socket sender(m_loop->get_io_context(), ZMQ_PUSH);
    sender.set_option(ZMQ_LINGER, 0);
    if (kind != client::plain)
        zmq::make_curve_client(sender, client_keys, server_keys.public_key);
    sender.connect(endpoint);
    zmq::message hello("hello");
    sender.send(hello, ZMQ_DONTWAIT);

    std::vector<std::string> received;
    server.async_receive([&](const boost::system::error_code& error, zmq::message& part) {
        if (!error)
            received.push_back(part.string_view().to_string());
        m_loop->stop();
    });
    EXPECT_TRUE(run_loop(5s));
    const bool admitted = kind == client::authorized;
    EXPECT_EQ(received, admitted ? std::vector<std::string>{"hello"} : std::vector<std::string>{});
    EXPECT_THAT(refused, ::testing::SizeIs(admitted ? 0 : 1));
    EXPECT_THAT(refused, ::testing::Each(HasSubstr("127.0.0.1")));
}

INSTANTIATE_TEST_SUITE_P(clients, curve_channel,
                         ::testing::Values(client::authorized, client::unknown, client::near_miss, client::revoked,
                                           client::plain));

}  // namespace
}  // namespace security_test
