#ifndef BITSPLIT_DETAIL_READ_WORDS_HPP
#define BITSPLIT_DETAIL_READ_WORDS_HPP

// Eight digit characters at a time in one 64-bit word, the inverse of
// words.hpp. Byte i of a character word, counting from the least significant,
// is the word's digit i counting from the most significant: the order of the
// text, as a little-endian load gives it.
//
// One kernel a family of bases, written once: `misfits(chars)` sets the top
// bit of each byte that is not a digit of the base (and may set others, but
// is 0 exactly when every byte is a digit), and `value(chars)` is the number
// that eight digits make. Neither branches, so a word costs the same whatever
// its characters.

#include <cstdint>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

inline constexpr std::uint64_t top_bits = 0x80 * each_byte;
inline constexpr std::uint64_t case_bits = 0x20 * each_byte;  // Lower case is upper case with it.

// The top bit of each byte of `chars` that lies outside [low, high], for
// bytes below 0x80 (a byte from 0x80 up is a misfit of its own; its carry
// may spoil the next byte's answer, which then no longer matters). Adding
// 0x80 - low to a byte sets its top bit exactly when it is at least low, and
// adding 0x7f - high exactly when it is above high; neither carries.
BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t outside(std::uint64_t chars, std::uint8_t low,
                                                       std::uint8_t high) noexcept {
  return (~(chars + (0x80U - low) * each_byte) | (chars + (0x7fU - high) * each_byte)) & top_bits;
}

// The number that eight digit values make, one a byte, the most significant
// in the low byte: neighbouring bytes combine into pairs in 16-bit lanes,
// pairs into fours in 32-bit lanes, and the fours into one. With digits
// below 36 a pair stays below 1296 and four digits below 36^4 < 2^32, so no
// lane reaches the next.
BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t eight_digits_value(
    std::uint64_t digits, std::uint64_t base, std::uint64_t base_squared,
    std::uint64_t base_fourth) noexcept {
  const std::uint64_t pairs =
      (digits & 0x00ff00ff00ff00ffU) * base + ((digits >> 8U) & 0x00ff00ff00ff00ffU);
  const std::uint64_t fours =
      (pairs & 0x0000ffff0000ffffU) * base_squared + ((pairs >> 16U) & 0x0000ffff0000ffffU);
  return (fours & 0xffffffffU) * base_fourth + (fours >> 32U);
}

// The same for a base of at most 16, in three multiplies: each multiplies a
// lane's high half by the base's power and adds its low half in the lane's
// upper part, and at most 16 * 15 + 15 = 255, 256 * 255 + 255 = 65535 and
// 2^32 - 1 stay in it. What spills into the next lane is masked off.
template <std::uint64_t base>
BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t eight_small_digits_value(
    std::uint64_t digits) noexcept {
  static_assert(base <= 16);
  constexpr std::uint64_t squared = base * base;
  const std::uint64_t pairs = ((digits * ((base << 8U) + 1)) >> 8U) & 0x00ff00ff00ff00ffU;
  const std::uint64_t fours = ((pairs * ((squared << 16U) + 1)) >> 16U) & 0x0000ffff0000ffffU;
  return (fours * ((squared * squared << 32U) + 1)) >> 32U;
}

// base^8, the weight of one word of digits against the next.
constexpr std::uint64_t eighth_power(std::uint64_t base) noexcept {
  const std::uint64_t fourth = base * base * base * base;
  return fourth * fourth;
}

// A base from 2 to 10 that the compiler knows: its digits only, as for
// octal, where the any-base kernel would also turn letters into values.
template <std::uint32_t known_base>
struct SmallBaseChars {
  static_assert(known_base >= 2 && known_base <= 10);
  static constexpr std::uint32_t base = known_base;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t misfits(
      std::uint64_t chars) noexcept {
    return (chars & top_bits) | outside(chars, '0', '0' + base - 1);
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t value(
      std::uint64_t chars) noexcept {
    return eight_small_digits_value<base>(chars & (0x0f * each_byte));
  }
};

// '0' and '1'. The multiply gathers bit 0 of byte i at bit 63 - i: each
// byte's bit lands on a place of its own, so nothing carries.
struct BinaryChars {
  static constexpr std::uint32_t base = 2;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t misfits(
      std::uint64_t chars) noexcept {
    return (chars & top_bits) | outside(chars, '0', '1');
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t value(
      std::uint64_t chars) noexcept {
    return ((chars & each_byte) * 0x8040201008040201U) >> 56U;
  }
};

// '0' to '7'.
struct OctalChars {
  static constexpr std::uint32_t base = 8;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t misfits(
      std::uint64_t chars) noexcept {
    return (chars & top_bits) | outside(chars, '0', '7');
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t value(
      std::uint64_t chars) noexcept {
    return eight_small_digits_value<8>(chars & (7 * each_byte));
  }
};

// '0' to '9'.
struct DecimalChars {
  static constexpr std::uint32_t base = 10;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t misfits(
      std::uint64_t chars) noexcept {
    return (chars & top_bits) | outside(chars, '0', '9');
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t value(
      std::uint64_t chars) noexcept {
    return eight_small_digits_value<10>(chars & (0x0f * each_byte));
  }
};

// '0' to '9' and 'a' to 'f' in either case. The low four bits of a letter
// are 1 to 6 and its bit 6 is set, which a digit's never is: adding 9 for it
// gives 10 to 15.
struct HexChars {
  static constexpr std::uint32_t base = 16;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t misfits(
      std::uint64_t chars) noexcept {
    return (chars & top_bits) | (outside(chars, '0', '9') & outside(chars | case_bits, 'a', 'f'));
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t value(
      std::uint64_t chars) noexcept {
    const std::uint64_t digits = (chars & (0x0f * each_byte)) + ((chars >> 6U) & each_byte) * 9;
    return eight_small_digits_value<16>(digits);
  }
};

// Any base from 2 to 36: '0' to '9', then letters in either case, each
// turned into its value and held below the base. Setting bit 5 makes a
// letter lower case, and 'a' - 10 lies 0x27 past '0'.
struct AnyBaseChars {
  std::uint32_t base = 10;
  std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t letters(
      std::uint64_t chars) noexcept {
    return (~outside(chars | case_bits, 'a', 'z') & top_bits) >> 7U;  // 1 in each letter's byte.
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr std::uint64_t digits(
      std::uint64_t chars) noexcept {
    const std::uint64_t letter_bytes = letters(chars);
    return (chars | (letter_bytes << 5U)) - zero_chars - letter_bytes * 0x27;
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t misfits(
      std::uint64_t chars) const noexcept {
    const std::uint64_t not_alphanumeric =
        outside(chars, '0', '9') & outside(chars | case_bits, 'a', 'z');
    // Adding 0x80 - base to a digit below 36 sets its top bit exactly when
    // it is the base or above.
    const std::uint64_t too_high = (digits(chars) + (0x80U - base) * each_byte) & top_bits;
    return (chars & top_bits) | not_alphanumeric | too_high;
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t value(
      std::uint64_t chars) const noexcept {
    const std::uint64_t squared = std::uint64_t{base} * base;
    return eight_digits_value(digits(chars), base, squared, squared * squared);
  }
};

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_READ_WORDS_HPP
