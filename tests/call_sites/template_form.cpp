// Two writing and two reading calls of the template form, groups and upper
// case among them: each must compile to straight-line code, and the file to
// little code even unoptimised.

#include <array>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "bitsplit/digits.hpp"

using bitsplit::digit_format;

char* bin32_in_fours(std::int32_t value, char (&buffer)[40]) {
  return bitsplit::to_fixed_digits<digit_format{.width = 32, .base = 2, .group = 4}>(value, buffer);
}
char* upper_hex8(std::uint32_t value, std::array<char, 9>& buffer) {
  return bitsplit::to_fixed_digits<digit_format{
      .width = 8, .base = 16, .letters = bitsplit::letter_case::upper}>(value, buffer);
}
bool read_mac(std::string_view text, std::uint64_t& address) {
  return bitsplit::from_fixed_digits<digit_format{
             .width = 12, .base = 16, .group = 2, .separator = ':'}>(text, address)
             .ec == std::errc{};
}
bool read_dec10(std::string_view text, std::uint32_t& value) {
  return bitsplit::from_fixed_digits<digit_format{.width = 10, .base = 10}>(text, value).ec ==
         std::errc{};
}
