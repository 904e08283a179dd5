#ifndef BITSPLIT_DIGITS_HPP
#define BITSPLIT_DIGITS_HPP

#include <cstdint>
#include <type_traits>

#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reverse.hpp"

// Both routines can run at compile time, allocate nothing, keep no state and
// touch only the caller's buffer, so calls on different buffers may run
// concurrently.
//
// At run time the reversal goes a word at a time (bitsplit/detail/); at
// compile time, and at run time too when BITSPLIT_PORTABLE is defined, both
// use only the plain loops of bitsplit/detail/portable.hpp.

namespace bitsplit {

// Reverses the first `length` characters of `buffer` in place.
//
// `buffer` must hold at least `length` characters. Nothing at index `length`
// or beyond is read or written, so a terminator there stays in place; a
// `length` of 0 touches nothing.
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    detail::reverse_in_words(buffer, length);
    return;
  }
#endif
  detail::reverse_bytewise(buffer, length);
}

// Writes `value` in `base` as exactly `width` digits into `buffer`: most
// significant digit first, zeros on the left, and a zero byte at index
// `width`. Digits 10 to 35 are the letters 'a' to 'z'. Returns `buffer`.
//
// The caller owns `buffer` and must give it room for `width` + 1 characters
// (one character when `width` is 0 or less). Nothing past index `width` is
// read or written, and index `width` is written only on success.
//
// A `width` of 0 or less gives the empty string for a `value` of 0. The digits
// are produced least significant first and put in order by one call to
// reverse_char on success.
//
// Returns null, and the caller must treat the buffer as holding no result:
// - when `buffer` is null, `value` is negative or `base` is outside 2 to 36;
//   then nothing is written;
// - when `value` has more digits than `width`; then the first `width` bytes
//   hold its low-order digits, least significant first, with no terminator.
constexpr char* my_itoa(std::int32_t value, char* buffer, std::int32_t width,
                        std::int32_t base) noexcept {
  if (buffer == nullptr || value < 0 || base < 2 || base > detail::max_base) {
    return nullptr;
  }
  // Non-negative from here on, so unsigned arithmetic is exact and cheaper.
  const auto rest = static_cast<std::uint32_t>(value);
  const auto divisor = static_cast<std::uint32_t>(base);
  const std::uint32_t count = width > 0 ? static_cast<std::uint32_t>(width) : 0;
  // Least significant digit first; once the value runs out the same loop
  // writes the zero fill.
  if (detail::write_low_digits_portably(rest, buffer, count, divisor) != 0) {
    return nullptr;  // More digits than the width holds.
  }
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
}

}  // namespace bitsplit

#endif  // BITSPLIT_DIGITS_HPP
