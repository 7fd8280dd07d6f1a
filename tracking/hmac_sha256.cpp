#include "hmac_sha256.h"

#include <cstring>

namespace sorvik {
namespace {

constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::size_t kBlockBytes = 64;

std::uint32_t RotateRight(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

struct Sha256State {
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

    void Block(const std::uint8_t* block) {
        std::uint32_t w[64];
        for (std::size_t i = 0; i < 16; ++i)
            w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 |
                   static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
                   static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 =
                RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 =
                RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6],
                      k = h[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
            const std::uint32_t choose = (e & f) ^ (~e & g);
            const std::uint32_t t1 = k + s1 + choose + kRoundConstants[i] + w[i];
            const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
            const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
            const std::uint32_t t2 = s0 + majority;
            k = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += k;
    }
};

}  // namespace

Sha256Digest Sha256(std::string_view data) {
    Sha256State state;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    std::size_t whole = data.size() - data.size() % kBlockBytes;
    for (std::size_t at = 0; at < whole; at += kBlockBytes) state.Block(bytes + at);

    // The rest, the 0x80 byte, zeros and the length in bits: one or two
    // blocks.
    std::uint8_t tail[2 * kBlockBytes] = {};
    const std::size_t rest = data.size() - whole;
    if (rest != 0) std::memcpy(tail, bytes + whole, rest);
    tail[rest] = 0x80;
    const std::size_t tailBytes = rest + 9 <= kBlockBytes ? kBlockBytes : 2 * kBlockBytes;
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (std::size_t i = 0; i < 8; ++i)
        tail[tailBytes - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (std::size_t at = 0; at < tailBytes; at += kBlockBytes) state.Block(tail + at);

    Sha256Digest digest;
    for (std::size_t i = 0; i < 8; ++i)
        for (std::size_t j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<std::uint8_t>(state.h[i] >> (24 - 8 * j));
    return digest;
}

Sha256Digest HmacSha256(std::string_view key, std::string_view message) {
    // A key longer than a block is hashed first; a shorter one is padded
    // with zeros.
    std::string block(kBlockBytes, '\0');
    if (key.size() > kBlockBytes) {
        const Sha256Digest hashed = Sha256(key);
        std::memcpy(block.data(), hashed.data(), hashed.size());
    } else if (!key.empty()) {
        std::memcpy(block.data(), key.data(), key.size());
    }
    std::string inner(kBlockBytes, '\0'), outer(kBlockBytes, '\0');
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        inner[i] = static_cast<char>(block[i] ^ 0x36);
        outer[i] = static_cast<char>(block[i] ^ 0x5c);
    }
    inner.append(message.data(), message.size());
    const Sha256Digest innerDigest = Sha256(inner);
    outer.append(reinterpret_cast<const char*>(innerDigest.data()), innerDigest.size());
    return Sha256(outer);
}

std::string Base64(std::string_view data) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((data.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < data.size(); at += 3) {
        const std::size_t left = data.size() - at;
        std::uint32_t group = static_cast<std::uint8_t>(data[at]) << 16;
        if (left > 1)
            group |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at + 1])) << 8;
        if (left > 2) group |= static_cast<std::uint8_t>(data[at + 2]);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

std::string HexOf(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace sorvik
