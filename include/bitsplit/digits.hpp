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
BITSPLIT_ALWAYS_INLINE constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    detail::reverse_at_run_time(buffer, length);
    return;
  }
#endif
  detail::reverse_bytewise(buffer, length);
}

namespace detail {

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
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(T value, char* buffer,
                                                                     std::int32_t width,
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
  const auto magnitude = static_cast<Magnitude>(static_cast<std::make_unsigned_t<T> >(value));
  const std::uint32_t count = width > 0 ? static_cast<std::uint32_t>(width) : 0;
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    return detail::convert_at_run_time(magnitude, buffer, count, static_cast<std::uint32_t>(base));
  }
#endif
  return detail::convert_portably(magnitude, buffer, count, static_cast<std::uint32_t>(base));
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
