#ifndef BITSPLIT_DETAIL_WORDS_HPP
#define BITSPLIT_DETAIL_WORDS_HPP

// Digits eight at a time in one 64-bit word (SWAR: SIMD within a register).
// Byte i of a digit word, counting from the least significant, is the
// character of the word's digit i, counting from the least significant.
//
// One kernel a family of bases, written once for every magnitude type:
// `step(rest, count)` gives a DigitStep, the low digits of `rest` (at least
// `count` of 1 to 8, and any byte past its digits '0') and what is left of
// `rest` past them. Everything passes in registers, and every step but the
// any-base one is inlined whatever else the caller's function inlines (that
// one is a loop, which forced into an unrolled caller took twice as long).

#include <cstdint>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"

namespace bitsplit::detail {

inline constexpr std::uint64_t each_byte = 0x0101010101010101U;
inline constexpr std::uint64_t zero_chars = 0x30 * each_byte;  // "00000000"

template <typename Magnitude>
struct DigitStep {
  std::uint64_t word = zero_chars;
  Magnitude rest = 0;
};

// `rest` >> `bits`, and 0 when that is all of Magnitude's bits.
template <std::uint32_t bits, typename Magnitude>
constexpr Magnitude shifted_down(Magnitude rest) noexcept {
  if constexpr (sizeof(Magnitude) * 8 > bits) {
    return rest >> bits;
  } else {
    return 0;
  }
}

// The low 8 bits as base-2 digits. The multiply puts a copy of the byte in
// every byte, the mask keeps bit i in byte i, and adding 0x7f to a byte sets
// its top bit exactly when a lower bit is set, with no carry into the next.
struct BinaryDigits {
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t /*count*/) noexcept {
    const std::uint64_t kept =
        (static_cast<std::uint64_t>(rest & 0xffU) * each_byte) & 0x8040201008040201U;
    return {(((kept + 0x7f * each_byte) >> 7U) & each_byte) | zero_chars, shifted_down<8>(rest)};
  }
};

// The low 24 bits as eight base-8 digits: halves of 12 bits go to 32-bit
// lanes, their halves of 6 bits to 16-bit lanes, and the digits of 3 bits to
// bytes.
struct OctalDigits {
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t /*count*/) noexcept {
    auto word = static_cast<std::uint64_t>(rest & 0xffffffU);
    word = (word & 0xfffU) | ((word & 0xfff000U) << 20U);
    word = (word & 0x0000003f0000003fU) | ((word & 0x00000fc000000fc0U) << 10U);
    word = (word & 0x0007000700070007U) | ((word & 0x0038003800380038U) << 5U);
    return {word | zero_chars, shifted_down<24>(rest)};
  }
};

// The low 32 bits as eight base-16 digits, spread to bytes in the same way.
// Adding 6 to a digit carries into bit 4 exactly for 10 to 15, which then get
// the letter gap (lower_letter_gap or upper_letter_gap): one multiply either
// way, so that upper case costs what lower case does.
struct HexDigits {
  std::uint64_t letter_gap = lower_letter_gap;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t /*count*/) const noexcept {
    auto word = static_cast<std::uint64_t>(rest & 0xffffffffU);
    word = (word | (word << 16U)) & 0x0000ffff0000ffffU;
    word = (word | (word << 8U)) & 0x00ff00ff00ff00ffU;
    word = (word | (word << 4U)) & 0x0f0f0f0f0f0f0f0fU;
    const std::uint64_t letters = ((word + 6 * each_byte) >> 4U) & each_byte;
    return {word + zero_chars + letter_gap * letters, shifted_down<32>(rest)};
  }
};

// The low eight decimal digits: the two groups of four go to 32-bit lanes,
// each splits by 100 into two 16-bit lanes and each of those by 10 into two
// bytes. n / 100 == n * 5243 >> 19 for n < 43699 and n / 10 == n * 103 >> 10
// for n < 179, and no lane's product reaches the next lane.
struct DecimalDigits {
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t count) noexcept {
    if constexpr (sizeof(Magnitude) > 8) {
      // Above 64 bits a division is a library call: one a step, and none
      // once the rest fits in 64 bits, as it does for the last 20 digits.
      if ((rest >> 64U) == 0) {
        const DigitStep<std::uint64_t> low = step(static_cast<std::uint64_t>(rest), count);
        return {low.word, low.rest};
      }
    }
    const Magnitude quotient = rest / 100'000'000U;
    const auto low = static_cast<std::uint32_t>(rest - quotient * 100'000'000U);
    std::uint64_t word = (low % 10'000U) | (std::uint64_t{low / 10'000U} << 32U);
    const std::uint64_t hundreds = ((word * 5243) >> 19U) & 0x0000007f0000007fU;
    word += hundreds * (0x10000 - 100);
    const std::uint64_t tens = ((word * 103) >> 10U) & 0x000f000f000f000fU;
    word += tens * (0x100 - 10);
    return {word | zero_chars, quotient};
  }
};

// Any base from 2 to 36, two digits at a time by the reciprocal of the
// base's square, so that the chain of multiplies is half as long, and the
// pair split by the base's: only the `count` digits asked for. Adding 118 to
// a digit sets its top bit exactly for 10 to 35, which then get the letter
// gap.
struct AnyBaseDigits {
  BaseReciprocals reciprocals;
  std::uint64_t letter_gap = lower_letter_gap;

  template <typename Magnitude>
  [[nodiscard]] constexpr DigitStep<Magnitude> step(Magnitude rest,
                                                    std::uint32_t count) const noexcept {
    const std::uint32_t digits = count < 8 ? count : 8;
    std::uint64_t word = 0;
    std::uint32_t index = 0;
    for (; index + 2 <= digits; index += 2) {
      const Magnitude quotient = reciprocals.pair.quotient(rest);
      const auto pair = static_cast<std::uint32_t>(rest - quotient * reciprocals.pair.divisor);
      const std::uint32_t high = reciprocals.digit.quotient(pair);
      const std::uint32_t low = pair - high * reciprocals.digit.divisor;
      word |= std::uint64_t{low | (high << 8U)} << (8 * index);
      rest = quotient;
    }
    if (index < digits) {
      const Magnitude quotient = reciprocals.digit.quotient(rest);
      word |= static_cast<std::uint64_t>(rest - quotient * reciprocals.digit.divisor)
              << (8 * index);
      rest = quotient;
    }
    const std::uint64_t letters = ((word + 118 * each_byte) >> 7U) & each_byte;
    return {word + zero_chars + letter_gap * letters, rest};
  }
};

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_WORDS_HPP
