// A caller's array and a run-time width, a field in a line, and texts read
// back: the library's headers must not warn with -O2 -Wall -Wextra
// -Wpedantic.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "bitsplit/digits.hpp"

void print_hex(std::int32_t value, std::int32_t width) {
  char buffer[16];
  if (const char* digits = bitsplit::my_itoa(value, buffer, width, 16)) {
    std::puts(digits);
  }
}

// A MAC address read back, in either case.
bool read_mac(std::string_view text, std::uint64_t& address) {
  const bitsplit::digit_format mac{.width = 12, .base = 16, .group = 2, .separator = ':'};
  return bitsplit::from_fixed_digits(text, address, mac).ec == std::errc{};
}

std::int32_t read_any(std::string_view text, std::int32_t width, std::int32_t base) {
  std::int32_t value = -1;
  static_cast<void>(bitsplit::from_fixed_digits(text, value, width, base));
  return value;
}

// A record's field written in the middle of a line, with no terminator.
char* put_field(char* out, char* end, std::uint32_t offset) {
  const auto [next, error] = bitsplit::to_fixed_chars(out, end, offset, {.width = 8, .base = 16});
  return error == std::errc{} ? next : nullptr;
}

#ifdef __SIZEOF_INT128__
// A digest in upper-case hex, in groups of eight, through the library's name
// for the type, which needs no __extension__.
void print_digest(bitsplit::uint128 digest, std::int32_t width) {
  std::array<char, 40> buffer{};
  if (const char* digits = bitsplit::to_fixed_digits(
          digest, buffer,
          {.width = width, .base = 16, .letters = bitsplit::letter_case::upper, .group = 8})) {
    std::puts(digits);
  }
}
#endif
