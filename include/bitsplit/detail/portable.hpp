#ifndef BITSPLIT_DETAIL_PORTABLE_HPP
#define BITSPLIT_DETAIL_PORTABLE_HPP

// The plain code: what runs at compile time and under BITSPLIT_PORTABLE, and
// the twin that every run-time kernel is held to.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace bitsplit::detail {

inline constexpr std::int32_t max_base = 36;
inline constexpr std::string_view lower_digit_chars = "0123456789abcdefghijklmnopqrstuvwxyz";
inline constexpr std::string_view upper_digit_chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// How far the letters lie past the character after '9' ('0' + 10): the word
// kernels add it to each digit of 10 or more.
inline constexpr std::uint32_t lower_letter_gap = 'a' - '0' - 10;
inline constexpr std::uint32_t upper_letter_gap = 'A' - '0' - 10;

constexpr std::string_view digit_chars_for(std::uint32_t letter_gap) noexcept {
  return letter_gap == upper_letter_gap ? upper_digit_chars : lower_digit_chars;
}

// Writes the low `count` digits of `rest` in `base`, least significant first,
// and returns what is left of `rest`. `Base` is std::uint32_t, or an
// std::integral_constant so that the divisions become shifts or multiplies.
template <typename Magnitude, typename Base>
constexpr Magnitude write_low_digits(Magnitude rest, char* buffer, std::uint32_t count, Base base,
                                     std::string_view digit_chars) noexcept {
  for (std::uint32_t index = 0; index < count; ++index) {
    buffer[index] = digit_chars[static_cast<std::size_t>(rest % base)];
    rest /= base;
  }
  return rest;
}

template <std::uint32_t base>
inline constexpr std::integral_constant<std::uint32_t, base> fixed_base{};

// The same, with the common bases fixed at compile time.
template <typename Magnitude>
constexpr Magnitude write_low_digits_portably(Magnitude rest, char* buffer, std::uint32_t count,
                                              std::uint32_t base,
                                              std::string_view digit_chars) noexcept {
  switch (base) {
    case 2:
      return write_low_digits(rest, buffer, count, fixed_base<2>, digit_chars);
    case 8:
      return write_low_digits(rest, buffer, count, fixed_base<8>, digit_chars);
    case 10:
      return write_low_digits(rest, buffer, count, fixed_base<10>, digit_chars);
    case 16:
      return write_low_digits(rest, buffer, count, fixed_base<16>, digit_chars);
    default:
      return write_low_digits(rest, buffer, count, base, digit_chars);
  }
}

// Writes the low `count` (at least 1) digits of `rest` in order, with
// `separator` between groups of `group` counted from the right, so that the
// last character lands just before `end`, and returns what is left of `rest`.
template <typename Magnitude>
constexpr Magnitude write_grouped_digits_portably(Magnitude rest, char* end, std::uint32_t count,
                                                  std::uint32_t base, std::string_view digit_chars,
                                                  std::uint32_t group, char separator) noexcept {
  for (std::uint32_t index = 0, in_group = 0; index < count; ++index, ++in_group) {
    if (in_group == group) {
      *--end = separator;
      in_group = 0;
    }
    *--end = digit_chars[static_cast<std::size_t>(rest % base)];
    rest /= base;
  }
  return rest;
}

// The value of `character` as a digit, '0' to '9', then 'a' to 'z' or 'A' to
// 'Z'; max_base for any other character.
constexpr std::uint32_t digit_value(char character) noexcept {
  if (character >= '0' && character <= '9') {
    return static_cast<std::uint32_t>(character - '0');
  }
  if (character >= 'a' && character <= 'z') {
    return static_cast<std::uint32_t>(character - 'a' + 10);
  }
  if (character >= 'A' && character <= 'Z') {
    return static_cast<std::uint32_t>(character - 'A' + 10);
  }
  return max_base;
}

// Where reading a text stopped and why, and the value it holds when `error`
// is std::errc{}.
template <typename Magnitude>
struct ReadOutcome {
  std::size_t stop = 0;  // The first character that breaks the format, or the text's size.
  std::errc error{};
  Magnitude value = 0;
};

// Reads `count` digits in `base`, with `separator` between groups of `group`
// counted from the right (0: no groups), from the `size` characters at
// `text`, left to right, and stops at the first character that breaks that
// layout. Digits that make more than `largest` are out of range.
template <typename Magnitude>
constexpr ReadOutcome<Magnitude> read_digits_portably(const char* text, std::size_t size,
                                                      std::uint32_t count, std::uint32_t base,
                                                      std::uint32_t group, char separator,
                                                      Magnitude largest) noexcept {
  const Magnitude limit = largest / base;
  const auto last_digit = static_cast<std::uint32_t>(largest % base);
  Magnitude value = 0;
  bool too_large = false;
  std::size_t place = 0;
  // Digits to go in the current group: the first holds what the others leave.
  std::uint32_t in_group = group == 0 ? count : (count - 1) % group + 1;
  for (std::uint32_t index = 0; index < count; ++index, --in_group) {
    if (in_group == 0) {
      if (place == size || text[place] != separator) {
        return {place, std::errc::invalid_argument};
      }
      ++place;
      in_group = group;
    }
    const std::uint32_t digit = place == size ? max_base : digit_value(text[place]);
    if (digit >= base) {
      return {place, std::errc::invalid_argument};
    }
    ++place;
    too_large = too_large || value > limit || (value == limit && digit > last_digit);
    value = value * base + digit;  // Wraps once too large, which is then all that counts.
  }
  if (place != size) {
    return {place, std::errc::invalid_argument};
  }
  if (too_large) {
    return {size, std::errc::result_out_of_range};
  }
  return {size, std::errc{}, value};
}

// Swaps characters from both ends inwards.
constexpr void reverse_bytewise(char* buffer, std::uint32_t length) noexcept {
  for (std::uint32_t front = 0, back = length; back - front >= 2; ++front, --back) {
    const char swapped = buffer[front];
    buffer[front] = buffer[back - 1];
    buffer[back - 1] = swapped;
  }
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_PORTABLE_HPP
