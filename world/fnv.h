// 64-bit FNV-1a, the game's one fingerprint hash: of a frame's world, of a
// play's digest, of a trace, of a recording's file name.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint64_t kFnvBasis = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

// The hash fed with the low `bytes` bytes of value, little-endian.
constexpr uint64_t FeedFnv(uint64_t hash, uint64_t value, int bytes) {
  for (int byte = 0; byte < bytes; ++byte) hash = (hash ^ ((value >> (8 * byte)) & 0xFF)) * kFnvPrime;
  return hash;
}

// The hash fed with the bytes of text.
constexpr uint64_t FeedFnv(uint64_t hash, std::string_view text) {
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
  return hash;
}
