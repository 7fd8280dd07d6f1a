// SHA-256, HMAC-SHA256 and Base64, for signing the messages sent to a group
// robot. Written here because the Windows build's libcurl uses the system's
// TLS and brings no hashing library along.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorvik {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The SHA-256 digest of `data` (FIPS 180-4).
Sha256Digest Sha256(std::string_view data);

// The HMAC of `message` under `key` with SHA-256 (RFC 2104).
Sha256Digest HmacSha256(std::string_view key, std::string_view message);

// `data` in standard Base64 with padding (RFC 4648, section 4).
std::string Base64(std::string_view data);

// Lower-case hex of a digest.
std::string HexOf(const Sha256Digest& digest);

}  // namespace sorvik
