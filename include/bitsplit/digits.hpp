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

#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reverse.hpp"

// Every routine here can run at compile time, allocates nothing, keeps no
// state and touches only the caller's buffer, so calls on different buffers
// may run concurrently.
//
// At run time they use word-wise kernels (bitsplit/detail/); at compile time,
// and at run time too when BITSPLIT_PORTABLE is defined, only the plain loops
// of bitsplit/detail/portable.hpp. A call whose width and base the compiler
// knows becomes straight-line code; any other calls one shared function.

namespace bitsplit {

namespace detail {

template <typename T>
inline constexpr bool is_int128 =
#ifdef __SIZEOF_INT128__
    std::same_as<std::remove_cv_t<T>, int128> || std::same_as<std::remove_cv_t<T>, uint128>;
#else
    false;
#endif

}  // namespace detail

// Every standard integer type but bool and the character types (char,
// wchar_t, char8_t, char16_t, char32_t); signed char and unsigned char, as
// std::int8_t and std::uint8_t, are numbers here. Where the compiler has
// them, __int128 and unsigned __int128 too, in strict modes (-std=c++20) as
// in GNU ones.
template <typename T>
concept digit_integer =
    (std::integral<T> && sizeof(T) <= 8 && !std::same_as<std::remove_cv_t<T>, bool> &&
     !std::same_as<std::remove_cv_t<T>, char> && !std::same_as<std::remove_cv_t<T>, wchar_t> &&
     !std::same_as<std::remove_cv_t<T>, char8_t> && !std::same_as<std::remove_cv_t<T>, char16_t> &&
     !std::same_as<std::remove_cv_t<T>, char32_t>) ||
    detail::is_int128<T>;

// Reverses the first `length` characters of `buffer` in place.
//
// `buffer` must hold at least `length` characters. Nothing at index `length`
// or beyond is read or written, so a terminator there stays in place; a
// `length` of 0 touches nothing.
BITSPLIT_ALWAYS_INLINE constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    detail::reverse_at_run_time(buffer, length);
    return;
  }
#endif
  detail::reverse_bytewise(buffer, length);
}

// The case of the digits 10 to 35: 'a' to 'z' or 'A' to 'Z'.
enum class letter_case { lower, upper };

// How to_fixed_digits writes a value, for the overload that takes it. Built
// with designated initialisers: {.width = 32, .base = 2, .group = 4}.
struct digit_format {
  std::int32_t width = 0;  // Digits, not counting separators.
  std::int32_t base = 10;
  letter_case letters = letter_case::lower;
  std::int32_t group = 0;  // Digits per group, counted from the right; 0: no separators.
  char separator = '_';    // Between each two groups.
};

// The characters that a conversion with `format` writes, the terminator not
// counted: the width (0 when it is 0 or less), plus one separator between
// each two groups when `format.group` is above 0.
BITSPLIT_ALWAYS_INLINE constexpr std::size_t formatted_size(const digit_format& format) noexcept {
  if (format.width <= 0) {
    return 0;
  }
  const auto digits = static_cast<std::uint32_t>(format.width);
  return format.group > 0
             ? std::size_t{digits} +
                   detail::separator_count(digits, static_cast<std::uint32_t>(format.group))
             : digits;
}

namespace detail {

BITSPLIT_ALWAYS_INLINE constexpr bool has_room(std::span<char> buffer,
                                               std::int32_t width) noexcept {
  return buffer.size() > (width > 0 ? static_cast<std::size_t>(width) : 0);
}

BITSPLIT_ALWAYS_INLINE constexpr bool is_digit_of(char character, std::int32_t base) noexcept {
  const auto is_among = [&](char first, std::int32_t value_of_first) {
    return character >= first && character - first + value_of_first < base;
  };
  return (character <= '9' && is_among('0', 0)) || (character <= 'z' && is_among('a', 10)) ||
         (character <= 'Z' && is_among('A', 10));
}

// Whether the base, the group and the separator make a format that can be
// read back: no separator that could pass for a digit or end the string.
BITSPLIT_ALWAYS_INLINE constexpr bool is_usable(const digit_format& format) noexcept {
  return format.base >= 2 && format.base <= max_base && format.group >= 0 &&
         (format.group == 0 ||
          (format.separator != '\0' && !is_digit_of(format.separator, format.base)));
}

template <digit_integer T>
BITSPLIT_ALWAYS_INLINE constexpr bool is_negative(T value) noexcept {
  // Not std::is_signed_v, which is false for __int128 in strict modes.
  if constexpr (static_cast<T>(-1) < static_cast<T>(0)) {
    return value < 0;
  } else {
    return false;
  }
}

// The unsigned type with at least T's bits that the kernels take.
template <typename T>
struct MagnitudeOf {
  using type = std::conditional_t<sizeof(T) <= 4, std::uint32_t, std::uint64_t>;
};
#ifdef __SIZEOF_INT128__
template <>
struct MagnitudeOf<int128> {
  using type = uint128;
};
template <>
struct MagnitudeOf<uint128> {
  using type = uint128;
};
#endif

// A value that is not negative, in the unsigned type the kernels take, so
// that unsigned arithmetic is exact and cheaper.
template <digit_integer T>
BITSPLIT_ALWAYS_INLINE constexpr auto magnitude_of(T value) noexcept {
  return static_cast<typename MagnitudeOf<std::remove_cv_t<T> >::type>(value);
}

BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t letter_gap_of(letter_case letters) noexcept {
  return letters == letter_case::upper ? upper_letter_gap : lower_letter_gap;
}

// `base` is in 2..36.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE constexpr char* convert(Magnitude value, char* buffer, std::uint32_t count,
                                               std::uint32_t base,
                                               std::uint32_t letter_gap) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    return convert_at_run_time(value, buffer, count, base, letter_gap);
  }
#endif
  return convert_portably(value, buffer, count, base, letter_gap);
}

// The same with `separator` between groups of `group` (at least 1) digits,
// for a `count` of at least 1.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE constexpr char* convert_grouped(Magnitude value, char* buffer,
                                                       std::uint32_t count, std::uint32_t base,
                                                       std::uint32_t letter_gap,
                                                       std::uint32_t group,
                                                       char separator) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    return convert_grouped_at_run_time(value, buffer, count, base, letter_gap, group, separator);
  }
#endif
  return convert_grouped_portably(value, buffer, count, base, letter_gap, group, separator);
}

BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t count_of(std::int32_t width) noexcept {
  return width > 0 ? static_cast<std::uint32_t>(width) : 0;
}

}  // namespace detail

// Writes `value` in `base` as exactly `width` digits into `buffer`: most
// significant digit first, zeros on the left, and a zero byte at index
// `width`. Digits 10 to 35 are the letters 'a' to 'z'. Returns `buffer`.
//
// Unsigned types cover their whole range: to_fixed_digits(0xdeadbeefU, buffer,
// 8, 16) gives "deadbeef", and an unsigned __int128 takes up to 128 digits.
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
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(T value, char* buffer,
                                                                     std::int32_t width,
                                                                     std::int32_t base) noexcept {
  if (buffer == nullptr || base < 2 || base > detail::max_base || detail::is_negative(value)) {
    return nullptr;
  }
  return detail::convert(detail::magnitude_of(value), buffer, detail::count_of(width),
                         static_cast<std::uint32_t>(base), detail::lower_letter_gap);
}

// The same, into `buffer`, which knows its size: returns null and writes
// nothing when it holds fewer than `width` + 1 characters (1 when `width` is
// 0 or less). The way to call it from new code.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(T value,
                                                                     std::span<char> buffer,
                                                                     std::int32_t width,
                                                                     std::int32_t base) noexcept {
  return detail::has_room(buffer, width) ? to_fixed_digits(value, buffer.data(), width, base)
                                         : nullptr;
}

// Writes `value` into `buffer` as `format` asks: `format.width` digits in
// `format.base`, as the overload above does, with the digits 10 to 35 as 'A'
// to 'Z' when `format.letters` is letter_case::upper and, when `format.group`
// is above 0, `format.separator` between each two groups of `format.group`
// digits, counted from the right. The terminator follows at index
// formatted_size(format). Returns `buffer.data()`.
//
//   {.width = 32, .base = 2, .group = 4} gives, for 1'000'000,
//     "0000_0000_0000_1111_0100_0010_0100_0000";
//   {.width = 12, .base = 16, .letters = letter_case::upper, .group = 2,
//    .separator = ':'} gives "00:1A:2B:3C:4D:5E" for 0x001a2b3c4d5e.
//
// Returns null and writes nothing when `buffer` holds fewer than
// formatted_size(format) + 1 characters, `value` is negative, the base is
// outside 2 to 36, `group` is negative, or `group` is above 0 and the
// separator is '\0' or a digit of the base in either case.
//
// Returns null when `value` has more digits than the width, and writes
// nothing past index formatted_size(format). The caller must treat the
// buffer as holding no result; what it holds then:
// - without groups, the first `width` characters are the value's low-order
//   digits, least significant first, as the overload above leaves them;
// - with groups, the first formatted_size(format) characters are the
//   value's low-order digits, most significant first and grouped: what a
//   value of only those digits gives, without the terminator.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(
    T value, std::span<char> buffer, const digit_format& format) noexcept {
  if (buffer.size() <= formatted_size(format) || !detail::is_usable(format) ||
      detail::is_negative(value)) {
    return nullptr;
  }
  const std::uint32_t count = detail::count_of(format.width);
  const auto base = static_cast<std::uint32_t>(format.base);
  const std::uint32_t letter_gap = detail::letter_gap_of(format.letters);
  if (format.group == 0 || count == 0) {
    return detail::convert(detail::magnitude_of(value), buffer.data(), count, base, letter_gap);
  }
  return detail::convert_grouped(detail::magnitude_of(value), buffer.data(), count, base,
                                 letter_gap, static_cast<std::uint32_t>(format.group),
                                 format.separator);
}

// to_fixed_digits for std::int32_t, the routine's first form: the pointer
// version trusts the caller for room, the sized one checks it.
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* my_itoa(std::int32_t value, char* buffer,
                                                             std::int32_t width,
                                                             std::int32_t base) noexcept {
  return to_fixed_digits(value, buffer, width, base);
}
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* my_itoa(std::int32_t value,
                                                             std::span<char> buffer,
                                                             std::int32_t width,
                                                             std::int32_t base) noexcept {
  return to_fixed_digits(value, buffer, width, base);
}

}  // namespace bitsplit

#endif  // C++20
#endif  // BITSPLIT_DIGITS_HPP
