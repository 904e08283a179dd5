#ifndef BITSPLIT_DIGITS_HPP
#define BITSPLIT_DIGITS_HPP

// One clear message, rather than pages of errors from the library headers.
// MSVC reports the language in _MSVC_LANG.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "bitsplit needs C++20 or later (for example -std=c++20)"
#else

#include <array>
#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/grouped.hpp"
#include "bitsplit/detail/kernels.hpp"
#include "bitsplit/detail/known.hpp"
#include "bitsplit/detail/magnitude.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/read.hpp"
#include "bitsplit/detail/reverse.hpp"
#include "bitsplit/detail/write.hpp"

// Every routine here can run at compile time, allocates nothing, keeps no
// state and touches only the caller's buffer, so calls on different buffers
// may run concurrently.
//
// At run time they use word-wise kernels (bitsplit/detail/); at compile time,
// and at run time too when BITSPLIT_PORTABLE is defined, only the plain loops
// of bitsplit/detail/portable.hpp. A call whose width and base the compiler
// knows becomes straight-line code; any other makes one out-of-line call, to
// the kernel of its base's family (bitsplit/detail/kernels.hpp).

namespace bitsplit {

#ifdef __SIZEOF_INT128__
// The 128-bit integers, where the compiler has them, under names that a
// caller's -Wpedantic build takes without a warning.
using int128 = detail::int128;
using uint128 = detail::uint128;
#endif

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
  return detail::grouped_size(detail::count_of(format.width),
                              format.group > 0 ? static_cast<std::uint32_t>(format.group) : 0);
}

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
  if (buffer == nullptr || !detail::is_usable(digit_format{.width = width, .base = base}) ||
      detail::is_negative(value)) {
    return nullptr;
  }
  return detail::convert(detail::magnitude_of(value), buffer, detail::count_of(width),
                         static_cast<std::uint32_t>(base), detail::lower_letter_gap,
                         detail::Terminated{});
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
  const std::size_t size = formatted_size(format);
  if (buffer.size() <= size || !detail::is_usable(format) || detail::is_negative(value)) {
    return nullptr;
  }
  return detail::write_formatted(detail::magnitude_of(value), buffer.data(), format,
                                 detail::Terminated{});
}

// The same with a pointer: the caller promises formatted_size(format) + 1
// characters at `buffer`, and a null `buffer` gives null.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(
    T value, char* buffer, const digit_format& format) noexcept {
  return buffer != nullptr
             ? to_fixed_digits(value, std::span<char>(buffer, formatted_size(format) + 1), format)
             : nullptr;
}

// Writes `value` into [first, last) as to_fixed_digits does for `format`,
// but with no terminator, in the shape of std::to_chars: for records, lines
// and fields, where the next character is the caller's. Nothing outside
// [first, first + formatted_size(format)) is read or written.
//
//   char line[80];
//   auto [end, ec] = to_fixed_chars(line, line + sizeof line, 0x1f0, {.width = 8, .base = 16});
//   // ec == std::errc{}, end == line + 8, and line starts "000001f0"
//
// Returns:
// - on success, {first + formatted_size(format), std::errc{}}, with the
//   digits, and the separators of a grouped format, at [first, ptr);
// - {last, std::errc::invalid_argument} when `value` is negative or
//   to_fixed_digits refuses the format; nothing is written;
// - {last, std::errc::value_too_large} when [first, last) holds fewer than
//   formatted_size(format) characters; nothing is written;
// - {last, std::errc::value_too_large} when `value` has more digits than
//   the width. The first formatted_size(format) characters then hold what
//   to_fixed_digits leaves there: without groups, the low-order digits
//   least significant first; with groups, the low-order digits most
//   significant first and grouped. Treat them as no result.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::to_chars_result to_fixed_chars(
    char* first, char* last, T value, const digit_format& format) noexcept {
  if (!detail::is_usable(format) || detail::is_negative(value)) {
    return {last, std::errc::invalid_argument};
  }
  const std::size_t size = formatted_size(format);
  if (last - first < static_cast<std::ptrdiff_t>(size)) {
    return {last, std::errc::value_too_large};
  }
  // An empty range may be two null pointers, whose end would read as a
  // failure: there only 0 fits.
  if (size == 0) {
    return value == 0 ? std::to_chars_result{first, std::errc{}}
                      : std::to_chars_result{last, std::errc::value_too_large};
  }
  char* const end =
      detail::write_formatted(detail::magnitude_of(value), first, format, detail::Unterminated{});
  return end != nullptr ? std::to_chars_result{end, std::errc{}}
                        : std::to_chars_result{last, std::errc::value_too_large};
}

// The same for `width` digits in `base`, lower case and no groups.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::to_chars_result to_fixed_chars(
    char* first, char* last, T value, std::int32_t width, std::int32_t base) noexcept {
  return to_fixed_chars(first, last, value, digit_format{.width = width, .base = base});
}

// Reads back what to_fixed_digits writes for `format`: exactly
// formatted_size(format) characters, with `format.separator` where the
// writer puts one and a digit of `format.base` at every other place. Digits
// above 9 may be in either case, whatever `format.letters` says; no sign,
// prefix, blank or terminator is taken. A width of 0 or less takes only the
// empty text, as 0. Nothing outside `text` is read.
//
// Returns, in the shape of std::from_chars:
// - on success, {text.data() + text.size(), std::errc{}}, and sets `value`;
// - std::errc::invalid_argument when the text breaks the format, with `ptr`
//   at the first character that does, reading from the left: a character
//   that is not a digit of the base where a digit belongs, anything but the
//   separator where the separator belongs, the text's end when it is too
//   short, or the first character past formatted_size(format) when it is too
//   long. A format that to_fixed_digits refuses (base outside 2 to 36,
//   negative group, a separator that is '\0' or a digit of the base) gives
//   it with `ptr` == text.data();
// - std::errc::result_out_of_range, with `ptr` at the text's end, when the
//   digits are well formed but their value is above T's largest.
// On either error `value` is left alone.
//
//   from_fixed_digits("00:1A:2b:3C:4D:5E", value,
//                     {.width = 12, .base = 16, .group = 2, .separator = ':'})
//     sets value to 0x1a2b3c4d5e;
//   from_fixed_digits("00ff:", value, 4, 16) gives invalid_argument with ptr
//     at the ':' (index 4), where std::from_chars would read 255.
//
// What to_fixed_digits writes for a value, this gives back; and a value it
// gives, written in the text's letter case, gives the text back.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::from_chars_result from_fixed_digits(
    std::string_view text, T& value, const digit_format& format) noexcept {
  if (!detail::is_usable(format)) {
    return {text.data(), std::errc::invalid_argument};
  }
  const auto outcome = detail::read_digits(text.data(), text.size(), detail::count_of(format.width),
                                           static_cast<std::uint32_t>(format.base),
                                           static_cast<std::uint32_t>(format.group),
                                           format.separator, detail::largest_magnitude<T>);
  if (outcome.error == std::errc{}) {
    value = static_cast<T>(outcome.value);
  }
  return {text.data() + outcome.stop, outcome.error};
}

// The same for `width` digits in `base`, with no groups: the inverse of the
// four-argument to_fixed_digits.
template <digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::from_chars_result from_fixed_digits(
    std::string_view text, T& value, std::int32_t width, std::int32_t base) noexcept {
  return from_fixed_digits(text, value, digit_format{.width = width, .base = base});
}

// Formats known at compile time. Each form above has a twin that takes the
// format as a template argument and gives the same results:
//
//   constexpr bitsplit::digit_format mac{.width = 12, .base = 16, .group = 2, .separator = ':'};
//   std::array<char, 18> buffer;
//   bitsplit::to_fixed_digits<mac>(0x001a2b3c4d5eU, buffer);   // "00:1a:2b:3c:4d:5e"
//   std::uint64_t address;
//   bitsplit::from_fixed_digits<mac>(text, address);
//
// Its code is chosen from the format when it is compiled, by any compiler
// and at any optimisation level, and only that code is instantiated; an
// optimised build makes it straight-line code. A format that the function
// forms refuse does not compile, and neither does a buffer whose size the
// compiler knows to be short.

// A known format's text by value: its formatted_size(format) characters and
// a terminator, with no allocation. to_fixed_digits<format>(value) gives it.
template <std::size_t Size>
class fixed_text {
 public:
  // For to_fixed_digits<format>(value): `write` fills the characters and the
  // terminator.
  template <typename Write>
  constexpr fixed_text(detail::TextKey /*key*/, const Write& write) noexcept {
    write(std::span<char, Size + 1>(chars_));
  }

  [[nodiscard]] constexpr std::string_view view() const noexcept { return {chars_.data(), Size}; }
  [[nodiscard]] constexpr const char* c_str() const noexcept { return chars_.data(); }
  [[nodiscard]] static constexpr std::size_t size() noexcept { return Size; }

  friend constexpr bool operator==(const fixed_text&, const fixed_text&) = default;

 private:
  std::array<char, Size + 1> chars_{};
};

// to_fixed_digits(value, buffer, format) into a buffer of N characters, which
// must have room for formatted_size(format) + 1.
template <digit_format format, digit_integer T, std::size_t N>
requires(N != std::dynamic_extent) [[nodiscard]] BITSPLIT_ALWAYS_INLINE
    constexpr char* to_fixed_digits(T value, std::span<char, N> buffer) noexcept {
  static_assert(detail::check_known_format<format>());
  static_assert(N > formatted_size(format),
                "bitsplit: the buffer has no room for the format's characters and a terminator");
  if (detail::is_negative(value)) {
    return nullptr;
  }
  return detail::write_known<format>(detail::magnitude_of(value), buffer.data(),
                                     detail::Terminated{});
}
// NOLINTBEGIN(*-avoid-c-arrays): a caller's array, whose size the call checks.
template <digit_format format, digit_integer T, std::size_t N>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(T value,
                                                                     char (&buffer)[N]) noexcept {
  return to_fixed_digits<format>(value, std::span<char, N>(buffer));
}
// NOLINTEND(*-avoid-c-arrays)
template <digit_format format, digit_integer T, std::size_t N>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr char* to_fixed_digits(
    T value, std::array<char, N>& buffer) noexcept {
  return to_fixed_digits<format>(value, std::span<char, N>(buffer));
}

// The text itself, or nothing when `value` is negative or has more digits
// than the width.
template <digit_format format, digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::optional<fixed_text<formatted_size(format)> >
to_fixed_digits(T value) noexcept {
  constexpr std::size_t size = formatted_size(format);
  bool fits = false;
  const fixed_text<size> text(detail::TextKey{}, [&](std::span<char, size + 1> chars) {
    fits = to_fixed_digits<format>(value, chars) != nullptr;
  });
  if (!fits) {
    return std::nullopt;
  }
  return text;
}

// to_fixed_chars(first, last, value, format).
template <digit_format format, digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::to_chars_result to_fixed_chars(
    char* first, char* last, T value) noexcept {
  static_assert(detail::check_known_format<format>());
  constexpr std::size_t size = formatted_size(format);
  if (detail::is_negative(value)) {
    return {last, std::errc::invalid_argument};
  }
  if (last - first < static_cast<std::ptrdiff_t>(size)) {
    return {last, std::errc::value_too_large};
  }
  if constexpr (size == 0) {
    return value == 0 ? std::to_chars_result{first, std::errc{}}
                      : std::to_chars_result{last, std::errc::value_too_large};
  } else {
    char* const end =
        detail::write_known<format>(detail::magnitude_of(value), first, detail::Unterminated{});
    return end != nullptr ? std::to_chars_result{end, std::errc{}}
                          : std::to_chars_result{last, std::errc::value_too_large};
  }
}

// from_fixed_digits(text, value, format).
template <digit_format format, digit_integer T>
[[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::from_chars_result from_fixed_digits(
    std::string_view text, T& value) noexcept {
  static_assert(detail::check_known_format<format>());
  const auto outcome =
      detail::read_known<format>(text.data(), text.size(), detail::largest_magnitude<T>);
  if (outcome.error == std::errc{}) {
    value = static_cast<T>(outcome.value);
  }
  return {text.data() + outcome.stop, outcome.error};
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

// Formats chosen at run time and used for many values.
#include "bitsplit/prepared_format.hpp"

#endif  // C++20
#endif  // BITSPLIT_DIGITS_HPP
