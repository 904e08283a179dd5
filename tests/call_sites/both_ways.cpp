// One run-time write and one run-time read: what an unoptimised build
// compiles for them.

#include <cstdint>
#include <string_view>
#include <system_error>

#include "bitsplit/digits.hpp"

char* write_any(std::uint32_t value, char* buffer, const bitsplit::digit_format& format) {
  return bitsplit::to_fixed_digits(value, buffer, format);
}
std::errc read_any(std::string_view text, std::uint32_t& value,
                   const bitsplit::digit_format& format) {
  return bitsplit::from_fixed_digits(text, value, format).ec;
}
