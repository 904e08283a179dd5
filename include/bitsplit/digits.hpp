#ifndef BITSPLIT_DIGITS_HPP
#define BITSPLIT_DIGITS_HPP

// One clear message, rather than pages of errors from the library headers.
// MSVC reports the language in _MSVC_LANG.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "bitsplit needs C++20 or later (for example -std=c++20)"
#else

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

#include "bitsplit/detail/pieces.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/reverse.hpp"
#include "bitsplit/detail/swar.hpp"

// Every routine here can run at compile time, allocates nothing, keeps no
// state and touches only the caller's buffer, so calls on different buffers
// may run concurrently.
//
// At run time they use word-wise kernels (bitsplit/detail/); at compile time,
// and at run time too when BITSPLIT_PORTABLE is defined, only the plain loops
// of bitsplit/detail/portable.hpp.

namespace bitsplit {

// Every standard integer type but bool and the character types (char,
// wchar_t, char8_t, char16_t, char32_t); signed char and unsigned char, as
// std::int8_t and std::uint8_t, are numbers here.
template <typename T>
concept digit_integer = std::integral<T> && sizeof(T) <= 8 &&
                        !std::same_as<std::remove_cv_t<T>, bool> &&
                        !std::same_as<std::remove_cv_t<T>, char> &&
                        !std::same_as<std::remove_cv_t<T>, wchar_t> &&
                        !std::same_as<std::remove_cv_t<T>, char8_t> &&
                        !std::same_as<std::remove_cv_t<T>, char16_t> &&
                        !std::same_as<std::remove_cv_t<T>, char32_t>;

// Reverses the first `length` characters of `buffer` in place.
//
// `buffer` must hold at least `length` characters. Nothing at index `length`
// or beyond is read or written, so a terminator there stays in place; a
// `length` of 0 touches nothing.
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if (length <= detail::piece_length<4>) {
      detail::reverse_in_pieces<4>(buffer, length);
    } else if (length <= detail::piece_length<8>) {
      detail::reverse_in_pieces<8>(buffer, length);
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
template <std::size_t word_count, std::uint32_t count>
inline char* finish_in_order(char* buffer, const DigitWords<word_count>& words) noexcept {
  store_digit_pieces(buffer, count, words);
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
}

// One instantiation for each kind of caller (`above_31_bits` or not), so
// that g++ inlines each into its single caller: shared out of line, it took
// the digit words through memory and base 2 ran at twice the time.
template <std::size_t word_count, bool above_31_bits, std::uint32_t... counts>
inline char* finish_in_order(char* buffer, std::uint32_t count, const DigitWords<word_count>& words,
                             std::integer_sequence<std::uint32_t, counts...> /*counts*/) noexcept {
  char* result = nullptr;
  static_cast<void>(
      ((count == counts && (result = finish_in_order<word_count, counts>(buffer, words), true)) ||
       ...));
  return result;
}

// The low digits on failure, or the whole result on success.
template <std::size_t word_count, bool above_31_bits = true>
inline char* finish(char* buffer, std::uint32_t count, const DigitWords<word_count>& words,
                    bool fits) noexcept {
  if (!fits) {
    store_digit_pieces(buffer, count, words);
    return nullptr;
  }
  return finish_in_order<word_count, above_31_bits>(
      buffer, count, words,
      std::make_integer_sequence<std::uint32_t, piece_length<word_count> + 1>{});
}

// The word kernels for a 32-bit magnitude and a count of at most 32;
// `above_31_bits` when it may be 2^31 or more.
template <bool above_31_bits>
inline char* convert_in_words(std::uint32_t value, char* buffer, std::uint32_t count,
                              std::uint32_t base) noexcept {
  DigitWords<4> words{};
  bool fits = false;
  switch (base) {
    case 2:
      fits = make_binary_words(value, count, words);
      break;
    case 8:
      fits = make_octal_words(value, count, words);
      break;
    case 10:
      fits = make_decimal_words(value, count, words);
      break;
    case 16:
      fits = make_hex_words(value, count, words);
      break;
    default:
      fits = make_reciprocal_words<above_31_bits>(value, count, base, words);
      break;
  }
  return finish<4, above_31_bits>(buffer, count, words, fits);
}

// The same for a 64-bit magnitude in base 2, 8, 10 or 16 and a count of at
// most 64.
inline char* convert_in_words(std::uint64_t value, char* buffer, std::uint32_t count,
                              std::uint32_t base) noexcept {
  DigitWords<8> words{};
  const bool fits = base == 2    ? make_binary_words(value, count, words)
                    : base == 8  ? make_octal_words(value, count, words)
                    : base == 10 ? make_decimal_words(value, count, words)
                                 : make_hex_words(value, count, words);
  return finish(buffer, count, words, fits);
}

// Converts a magnitude, std::uint32_t or std::uint64_t, for a base in 2..36.
template <typename Magnitude, bool above_31_bits = true>
constexpr char* convert(Magnitude value, char* buffer, std::int32_t width,
                        std::uint32_t base) noexcept {
  const std::uint32_t count = width > 0 ? static_cast<std::uint32_t>(width) : 0;
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if constexpr (sizeof(Magnitude) == 8) {
      if (value <= UINT32_MAX) {
        return convert(static_cast<std::uint32_t>(value), buffer, width, base);
      }
      if (count <= piece_length<8> && (base == 2 || base == 8 || base == 10 || base == 16)) {
        return convert_in_words(value, buffer, count, base);
      }
    } else if (count <= piece_length<4>) {
      return convert_in_words<above_31_bits>(value, buffer, count, base);
    }
  }
#endif
  // Least significant digit first; once the value runs out the same loop
  // writes the zero fill.
  if (write_low_digits_portably(value, buffer, count, base) != 0) {
    return nullptr;  // More digits than the width holds.
  }
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
}

constexpr bool has_room(std::span<char> buffer, std::int32_t width) noexcept {
  return buffer.size() > (width > 0 ? static_cast<std::size_t>(width) : 0);
}

}  // namespace detail

// Writes `value` in `base` as exactly `width` digits into `buffer`: most
// significant digit first, zeros on the left, and a zero byte at index
// `width`. Digits 10 to 35 are the letters 'a' to 'z'. Returns `buffer`.
//
// Unsigned types cover their whole range: to_fixed_digits(0xdeadbeefU, buffer,
// 8, 16) gives "deadbeef".
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
template <digit_integer T>
[[nodiscard]] constexpr char* to_fixed_digits(T value, char* buffer, std::int32_t width,
                                              std::int32_t base) noexcept {
  if (buffer == nullptr || base < 2 || base > detail::max_base) {
    return nullptr;
  }
  if constexpr (std::is_signed_v<T>) {
    if (value < 0) {
      return nullptr;
    }
  }
  // Non-negative from here on, so unsigned arithmetic is exact and cheaper.
  using Magnitude = std::conditional_t<sizeof(T) <= 4, std::uint32_t, std::uint64_t>;
  constexpr bool above_31_bits = sizeof(T) > 4 || (sizeof(T) == 4 && std::is_unsigned_v<T>);
  return detail::convert<Magnitude, above_31_bits>(static_cast<Magnitude>(value), buffer, width,
                                                   static_cast<std::uint32_t>(base));
}

// The same, into `buffer`, which knows its size: returns null and writes
// nothing when it holds fewer than `width` + 1 characters (1 when `width` is
// 0 or less). The way to call it from new code.
template <digit_integer T>
[[nodiscard]] constexpr char* to_fixed_digits(T value, std::span<char> buffer, std::int32_t width,
                                              std::int32_t base) noexcept {
  return detail::has_room(buffer, width) ? to_fixed_digits(value, buffer.data(), width, base)
                                         : nullptr;
}

// to_fixed_digits for std::int32_t, the routine's first form: the pointer
// version trusts the caller for room, the sized one checks it.
[[nodiscard]] constexpr char* my_itoa(std::int32_t value, char* buffer, std::int32_t width,
                                      std::int32_t base) noexcept {
  return to_fixed_digits(value, buffer, width, base);
}
[[nodiscard]] constexpr char* my_itoa(std::int32_t value, std::span<char> buffer,
                                      std::int32_t width, std::int32_t base) noexcept {
  return to_fixed_digits(value, buffer, width, base);
}

}  // namespace bitsplit

#endif  // C++20
#endif  // BITSPLIT_DIGITS_HPP
