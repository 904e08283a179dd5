// A caller's array and a run-time width: the library's headers must not warn
// with -O2 -Wall -Wextra -Wpedantic.

#include <array>
#include <cstdint>
#include <cstdio>

#include "bitsplit/digits.hpp"

void print_hex(std::int32_t value, std::int32_t width) {
  char buffer[16];
  if (const char* digits = bitsplit::my_itoa(value, buffer, width, 16)) {
    std::puts(digits);
  }
}

#ifdef __SIZEOF_INT128__
__extension__ using uint128 = unsigned __int128;

// A digest in upper-case hex, in groups of eight.
void print_digest(uint128 digest, std::int32_t width) {
  std::array<char, 40> buffer{};
  if (const char* digits = bitsplit::to_fixed_digits(
          digest, buffer,
          {.width = width, .base = 16, .letters = bitsplit::letter_case::upper, .group = 8})) {
    std::puts(digits);
  }
}
#endif
