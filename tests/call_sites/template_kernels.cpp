// The template form in every kernel, each in straight-line code: bases
// outside the word families, a count below a word, 64-bit values, the
// unterminated form and reading in any base.

#include <charconv>
#include <cstdint>
#include <span>
#include <string_view>
#include <system_error>

#include "bitsplit/digits.hpp"

using bitsplit::digit_format;

char* base7(std::int32_t value, std::span<char, 13> buffer) {
  return bitsplit::to_fixed_digits<digit_format{.width = 12, .base = 7}>(value, buffer);
}
char* dec2(std::int32_t value, char (&buffer)[3]) {
  return bitsplit::to_fixed_digits<digit_format{.width = 2, .base = 10}>(value, buffer);
}
char* oct22(std::uint64_t value, char (&buffer)[23]) {
  return bitsplit::to_fixed_digits<digit_format{.width = 22, .base = 8}>(value, buffer);
}
char* dec20_in_threes(std::uint64_t value, char (&buffer)[27]) {
  return bitsplit::to_fixed_digits<digit_format{
      .width = 20, .base = 10, .group = 3, .separator = ','}>(value, buffer);
}
std::to_chars_result base36(char* first, char* last, std::int32_t value) {
  return bitsplit::to_fixed_chars<digit_format{.width = 6, .base = 36}>(first, last, value);
}
bool read_base36(std::string_view text, std::int32_t& value) {
  return bitsplit::from_fixed_digits<digit_format{.width = 6, .base = 36}>(text, value).ec ==
         std::errc{};
}
