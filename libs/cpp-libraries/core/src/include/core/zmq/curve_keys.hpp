#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>

namespace orx::libs::core::zmq {

// A CURVE key as its 32 binary bytes; key files hold it as 40 Z85 characters.
using curve_key = std::array<std::uint8_t, 32>;
using curve_key_set = std::set<curve_key>;

struct curve_key_pair {
    curve_key public_key;
    curve_key secret_key;
};

// What a CURVE client needs: its own key pair and the public key of the server
// it connects to.
struct curve_client_keys {
    curve_key_pair own_keys;
    curve_key server_public_key;
};

// A fresh key pair from libzmq's generator.
curve_key_pair generate_curve_key_pair();

// The 40 Z85 characters of a key.
std::string to_z85(const curve_key& key);

// Key files are ZeroMQ certificates: a "metadata" and a "curve" section, the
// latter with `public-key = "..."` and, in a secret file, `secret-key = "..."`.
// Every failure raises orx::libs::core::exception naming the file.

// The public key of a key file (a public or a secret one).
curve_key read_public_key_file(const std::string& path);

// Both keys of a secret key file. Refused when the file is readable or writable
// by group or others, or when its public key is not the one of its secret key.
curve_key_pair read_secret_key_file(const std::string& path);

// The public keys of every regular file in `folder`.
curve_key_set read_authorized_keys(const std::string& folder);

// Writes `name`.key (the public key) and `name`.key_secret (both keys, mode
// 0600 from its creation). Neither file may exist already.
void write_key_files(const std::string& name, const curve_key_pair& keys);

}  // namespace orx::libs::core::zmq
