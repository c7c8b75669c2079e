// The MD5 digest, from the system's library: CryptoAPI on Windows, nettle on the host.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

using Md5Digest = std::array<uint8_t, 16>;

// The digest of the bytes; nothing when the system's provider cannot be used.
std::optional<Md5Digest> md5Of(const std::string& bytes);
