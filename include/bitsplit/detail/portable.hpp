#ifndef BITSPLIT_DETAIL_PORTABLE_HPP
#define BITSPLIT_DETAIL_PORTABLE_HPP

// The plain digit loops: what runs at compile time, under BITSPLIT_PORTABLE,
// and wherever no faster kernel applies.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace bitsplit::detail {

inline constexpr std::int32_t max_base = 36;
inline constexpr std::string_view digit_chars = "0123456789abcdefghijklmnopqrstuvwxyz";

// Writes the low `count` digits of `rest` in `base`, least significant first,
// and returns what is left of `rest`. `Magnitude` is std::uint32_t or
// std::uint64_t here and below.
template <typename Magnitude>
constexpr Magnitude write_low_digits(Magnitude rest, char* buffer, std::uint32_t count,
                                     std::uint32_t base) noexcept {
  for (std::uint32_t index = 0; index < count; ++index) {
    buffer[index] = digit_chars[static_cast<std::size_t>(rest % base)];
    rest /= base;
  }
  return rest;
}

// Every two-digit number in `base`, low digit first, as write_low_digits
// stores them.
template <std::uint32_t base>
inline constexpr auto digit_pairs = [] {
  std::array<char, std::size_t{2} * base * base> pairs{};
  for (std::uint32_t pair = 0; pair < base * base; ++pair) {
    pairs[2 * pair] = digit_chars[pair % base];
    pairs[2 * pair + 1] = digit_chars[pair / base];
  }
  return pairs;
}();

// The same for a base known at compile time: the divisions become shifts or
// multiplies, and each one yields two digits.
template <std::uint32_t base, typename Magnitude>
constexpr Magnitude write_low_digits(
    Magnitude rest, char* buffer, std::uint32_t count,
    std::integral_constant<std::uint32_t, base> /*base*/) noexcept {
  constexpr Magnitude pair_base = base * base;
  std::uint32_t index = 0;
  for (; count - index >= 2; index += 2) {
    const auto pair = static_cast<std::uint32_t>(rest % pair_base);
    rest /= pair_base;
    buffer[index] = digit_pairs<base>[2 * pair];
    buffer[index + 1] = digit_pairs<base>[2 * pair + 1];
  }
  return write_low_digits(rest, buffer + index, count - index, base);
}

template <std::uint32_t base>
inline constexpr std::integral_constant<std::uint32_t, base> fixed_base{};

// Writes the low `count` digits of `rest`, least significant first, with the
// common bases fixed at compile time, and returns what is left of `rest`.
template <typename Magnitude>
constexpr Magnitude write_low_digits_portably(Magnitude rest, char* buffer, std::uint32_t count,
                                              std::uint32_t base) noexcept {
  switch (base) {
    case 2:
      return write_low_digits(rest, buffer, count, fixed_base<2>);
    case 8:
      return write_low_digits(rest, buffer, count, fixed_base<8>);
    case 10:
      return write_low_digits(rest, buffer, count, fixed_base<10>);
    case 16:
      return write_low_digits(rest, buffer, count, fixed_base<16>);
    default:
      return write_low_digits(rest, buffer, count, base);
  }
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
