// Deterministic pseudo-random values from a seed and a few integer keys:
// the same seed and keys give the same value in every process, so that the
// modules and the run-directory generator agree without sharing state.
#pragma once

#include <cstdint>

namespace vlq::mod {

inline uint64_t Mix64(uint64_t x)
{
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

inline uint64_t Hash(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0)
{
  return Mix64(Mix64(Mix64(Mix64(seed) ^ a) ^ b) ^ c);
}

// Uniform in [0, 1).
inline double Unit(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0)
{
  return static_cast<double>(Hash(seed, a, b, c) >> 11) * (1.0 / 9007199254740992.0);
}

// Uniform in [-1, 1).
inline double Signed(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0)
{
  return 2.0 * Unit(seed, a, b, c) - 1.0;
}

}  // namespace vlq::mod
