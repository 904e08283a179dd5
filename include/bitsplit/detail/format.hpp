#ifndef BITSPLIT_DETAIL_FORMAT_HPP
#define BITSPLIT_DETAIL_FORMAT_HPP

// What a format means before any digit is made or read: its length, and
// whether it can be written and read back. The writer and the reader both ask
// here, so that they take and refuse the same formats.

#include <cstddef>
#include <cstdint>
#include <span>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"

namespace bitsplit::detail {

BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t count_of(std::int32_t width) noexcept {
  return width > 0 ? static_cast<std::uint32_t>(width) : 0;
}

BITSPLIT_ALWAYS_INLINE constexpr bool has_room(std::span<char> buffer,
                                               std::int32_t width) noexcept {
  return buffer.size() > count_of(width);
}

BITSPLIT_ALWAYS_INLINE constexpr bool is_digit_of(char character, std::int32_t base) noexcept {
  const auto is_among = [&](char first, std::int32_t value_of_first) noexcept {
    return character >= first && character - first + value_of_first < base;
  };
  return (character <= '9' && is_among('0', 0)) || (character <= 'z' && is_among('a', 10)) ||
         (character <= 'Z' && is_among('A', 10));
}

// Whether the base, the group and the separator make a format that can be
// read back: no separator that could pass for a digit or end the string.
// `Format` is digit_format, which the public header defines.
template <typename Format>
BITSPLIT_ALWAYS_INLINE constexpr bool is_usable(const Format& format) noexcept {
  return format.base >= 2 && format.base <= max_base && format.group >= 0 &&
         (format.group == 0 ||
          (format.separator != '\0' && !is_digit_of(format.separator, format.base)));
}

template <typename Format>
BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t letter_gap_of(const Format& format) noexcept {
  return format.letters == decltype(format.letters)::upper ? upper_letter_gap : lower_letter_gap;
}

// The separators between groups of `group` in `count` (at least 1) digits,
// (count - 1) / group: for the groups of 2 to 36, which are every group in
// practice, a multiply by the base table's reciprocal rather than a division.
BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t separator_count(std::uint32_t count,
                                                               std::uint32_t group) noexcept {
  const std::uint32_t after_first = count - 1;
  if (BITSPLIT_IS_KNOWN(after_first / group)) {
    return after_first / group;  // Folded, so that the grouped loops have a known count.
  }
  if (group >= 2 && group <= max_base) {
    return reciprocals[group].digit.quotient(after_first);
  }
  return group == 1 ? after_first : after_first / group;
}

// The characters of `count` digits in groups of `group` (0: none).
BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t grouped_size(std::uint32_t count,
                                                            std::uint32_t group) noexcept {
  return group == 0 || count == 0 ? count : count + separator_count(count, group);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_FORMAT_HPP
