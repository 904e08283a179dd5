#ifndef BITSPLIT_DIGITS_HPP
#define BITSPLIT_DIGITS_HPP

// One clear message, rather than pages of errors from the library headers.
// MSVC reports the language in _MSVC_LANG.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "bitsplit needs C++20 or later (for example -std=c++20)"
#else

#include <cstdint>
#include <type_traits>
#include <utility>

#include "bitsplit/detail/pieces.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/reverse.hpp"
#include "bitsplit/detail/swar.hpp"

// Both routines can run at compile time, allocate nothing, keep no state and
// touch only the caller's buffer, so calls on different buffers may run
// concurrently.
//
// At run time they use word-wise kernels (bitsplit/detail/); at compile time,
// and at run time too when BITSPLIT_PORTABLE is defined, only the plain loops
// of bitsplit/detail/portable.hpp.

namespace bitsplit {

// Reverses the first `length` characters of `buffer` in place.
//
// `buffer` must hold at least `length` characters. Nothing at index `length`
// or beyond is read or written, so a terminator there stays in place; a
// `length` of 0 touches nothing.
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if (length <= detail::max_piece_length) {
      detail::reverse_in_pieces(buffer, length);
    } else {
      detail::reverse_in_words(buffer, length);
    }
    return;
  }
#endif
  detail::reverse_bytewise(buffer, length);
}

namespace detail {

// Stores the digits, terminates them and puts them in order, with a count
// the compiler can see: it then folds each piece's store, load and byte swap
// into a single store.
template <std::uint32_t count>
inline char* finish_in_order(char* buffer, const DigitWords& words) noexcept {
  store_digit_pieces(buffer, count, words);
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
}

template <std::uint32_t... counts>
inline char* finish_in_order(char* buffer, std::uint32_t count, const DigitWords& words,
                             std::integer_sequence<std::uint32_t, counts...> /*counts*/) noexcept {
  char* result = nullptr;
  static_cast<void>(
      ((count == counts && (result = finish_in_order<counts>(buffer, words), true)) || ...));
  return result;
}

}  // namespace detail

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
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated() && count <= detail::max_piece_length) {
    detail::DigitWords words{};
    bool fits = false;
    switch (divisor) {
      case 2:
        fits = detail::make_binary_words(rest, count, words);
        break;
      case 8:
        fits = detail::make_octal_words(rest, count, words);
        break;
      case 10:
        fits = detail::make_decimal_words(rest, count, words);
        break;
      case 16:
        fits = detail::make_hex_words(rest, count, words);
        break;
      default:
        fits = detail::make_reciprocal_words(rest, count, divisor, words);
        break;
    }
    if (!fits) {
      detail::store_digit_pieces(buffer, count, words);
      return nullptr;
    }
    return detail::finish_in_order(
        buffer, count, words,
        std::make_integer_sequence<std::uint32_t, detail::max_piece_length + 1>{});
  }
#endif
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

#endif  // C++20
#endif  // BITSPLIT_DIGITS_HPP
