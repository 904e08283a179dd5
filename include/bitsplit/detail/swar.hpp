#ifndef BITSPLIT_DETAIL_SWAR_HPP
#define BITSPLIT_DETAIL_SWAR_HPP

// Eight digits at a time in one 64-bit word (SWAR: SIMD within a register),
// for bases 2, 8, 16 and 10. Byte i of each word, counting from the least
// significant, is the character of the digit of base^i.

#include <array>
#include <cstddef>
#include <cstdint>

#include "bitsplit/detail/pieces.hpp"

namespace bitsplit::detail {

// The low 8 bits of `bits` as base-2 digits. The multiply puts a copy of the
// byte in every byte, the mask keeps bit i in byte i, and adding 0x7f to a
// byte sets its top bit exactly when a lower bit is set, with no carry into
// the next byte.
constexpr std::uint64_t binary_digit_word(std::uint32_t bits) noexcept {
  const std::uint64_t kept = ((bits & 0xffU) * each_byte) & 0x8040201008040201U;
  return (((kept + 0x7f * each_byte) >> 7U) & each_byte) | zero_chars;
}

// The low 24 bits of `bits` as eight base-8 digits: halves of 12 bits go to
// 32-bit lanes, their halves of 6 bits to 16-bit lanes, and the digits of 3
// bits to bytes.
constexpr std::uint64_t octal_digit_word(std::uint32_t bits) noexcept {
  std::uint64_t word = bits & 0xffffffU;
  word = (word & 0xfffU) | ((word & 0xfff000U) << 20U);
  word = (word & 0x0000003f0000003fU) | ((word & 0x00000fc000000fc0U) << 10U);
  word = (word & 0x0007000700070007U) | ((word & 0x0038003800380038U) << 5U);
  return word | zero_chars;
}

// `bits` as eight base-16 digits, spread to bytes in the same way. Adding 6
// to a digit carries into bit 4 exactly for 10 to 15, which then get the 39
// that lie between '0' + 10 and 'a'.
constexpr std::uint64_t hex_digit_word(std::uint32_t bits) noexcept {
  std::uint64_t word = bits;
  word = (word | (word << 16U)) & 0x0000ffff0000ffffU;
  word = (word | (word << 8U)) & 0x00ff00ff00ff00ffU;
  word = (word | (word << 4U)) & 0x0f0f0f0f0f0f0f0fU;
  const std::uint64_t letters = ((word + 6 * each_byte) >> 4U) & each_byte;
  return word + zero_chars + 39 * letters;
}

// Two four-digit decimal numbers, `low` and `high`, as eight base-10 digits.
// Each 32-bit lane splits by 100 into two 16-bit lanes, and each of those by
// 10 into two bytes: n / 100 == n * 5243 >> 19 for n < 43699 and n / 10 ==
// n * 103 >> 10 for n < 179, and no lane's product reaches the next lane.
constexpr std::uint64_t decimal_digit_word(std::uint32_t low, std::uint32_t high) noexcept {
  std::uint64_t word = low | (std::uint64_t{high} << 32U);
  const std::uint64_t hundreds = ((word * 5243) >> 19U) & 0x0000007f0000007fU;
  word += hundreds * (0x10000 - 100);
  const std::uint64_t tens = ((word * 103) >> 10U) & 0x000f000f000f000fU;
  word += tens * (0x100 - 10);
  return word | zero_chars;
}

// Each kernel puts every digit of `value` in `words`, zeros beyond them, and
// returns whether `value` has at most `count` digits.

inline bool make_binary_words(std::uint32_t value, std::uint32_t count,
                              DigitWords<4>& words) noexcept {
  words = {binary_digit_word(value), binary_digit_word(value >> 8U),
           binary_digit_word(value >> 16U), binary_digit_word(value >> 24U)};
  return count >= 32 || (value >> count) == 0;
}

inline bool make_octal_words(std::uint32_t value, std::uint32_t count,
                             DigitWords<4>& words) noexcept {
  words = {octal_digit_word(value), octal_digit_word(value >> 24U), zero_chars, zero_chars};
  return count >= 11 || (value >> (3 * count)) == 0;
}

inline bool make_hex_words(std::uint32_t value, std::uint32_t count,
                           DigitWords<4>& words) noexcept {
  words = {hex_digit_word(value), zero_chars, zero_chars, zero_chars};
  return count >= 8 || (value >> (4 * count)) == 0;
}

inline bool make_decimal_words(std::uint32_t value, std::uint32_t count,
                               DigitWords<4>& words) noexcept {
  constexpr std::array<std::uint32_t, 10> powers = {
      1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};
  // Both quotients straight from the value, side by side rather than one
  // after the other.
  const std::uint32_t top = value / 100'000'000;
  const std::uint32_t middle = value / 10'000 % 10'000;
  const std::uint32_t top_tens = top / 10;
  words = {decimal_digit_word(value % 10'000, middle),
           zero_chars | (top - 10 * top_tens) | (top_tens << 8U), zero_chars, zero_chars};
  return count >= powers.size() || value < powers[count];
}

// The same for 64-bit values, in eight words.

inline bool make_binary_words(std::uint64_t value, std::uint32_t count,
                              DigitWords<8>& words) noexcept {
  for (std::size_t index = 0; index < words.size(); ++index) {
    words[index] = binary_digit_word(static_cast<std::uint32_t>(value >> (8 * index)));
  }
  return count >= 64 || (value >> count) == 0;
}

inline bool make_octal_words(std::uint64_t value, std::uint32_t count,
                             DigitWords<8>& words) noexcept {
  words = {octal_digit_word(static_cast<std::uint32_t>(value)),
           octal_digit_word(static_cast<std::uint32_t>(value >> 24U)),
           octal_digit_word(static_cast<std::uint32_t>(value >> 48U)),
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars};
  return count >= 22 || (value >> (3 * count)) == 0;
}

inline bool make_hex_words(std::uint64_t value, std::uint32_t count,
                           DigitWords<8>& words) noexcept {
  words = {hex_digit_word(static_cast<std::uint32_t>(value)),
           hex_digit_word(static_cast<std::uint32_t>(value >> 32U)),
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars};
  return count >= 16 || (value >> (4 * count)) == 0;
}

inline bool make_decimal_words(std::uint64_t value, std::uint32_t count,
                               DigitWords<8>& words) noexcept {
  constexpr auto powers = [] {
    std::array<std::uint64_t, 20> table{1};
    for (std::size_t index = 1; index < table.size(); ++index) {
      table[index] = table[index - 1] * 10;
    }
    return table;
  }();
  // Groups of eight digits straight from the value, side by side.
  const auto low = static_cast<std::uint32_t>(value % 100'000'000);
  const auto middle = static_cast<std::uint32_t>(value / 100'000'000 % 100'000'000);
  const auto top = static_cast<std::uint32_t>(value / 10'000'000'000'000'000);
  words = {decimal_digit_word(low % 10'000, low / 10'000),
           decimal_digit_word(middle % 10'000, middle / 10'000),
           decimal_digit_word(top, 0),
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars,
           zero_chars};
  return count >= powers.size() || value < powers[count];
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_SWAR_HPP
