#ifndef BITSPLIT_DETAIL_VECTOR_CHARS_HPP
#define BITSPLIT_DETAIL_VECTOR_CHARS_HPP

// Reading kernels in 16-byte registers on x86-64 (see vector_words.hpp):
// sixteen characters checked and combined in about the instructions that
// eight take in a 64-bit word, for formats known at compile time, and a
// word at a time for any base, known or chosen at run time. The
// character-word kernels (read_words.hpp) are the plain twins.

#include <array>
#include <concepts>
#include <cstdint>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/read_words.hpp"
#include "bitsplit/detail/vector_words.hpp"

namespace bitsplit::detail {

// What a step over a run of words of characters found: not 0 when a
// character is not a digit of the base, and the value of its digits in
// pieces, the most significant first, each worth the family's
// `piece_factor` times the next.
template <std::uint32_t pieces>
struct CharRun {
  std::uint64_t misfits = 0;
  std::array<std::uint64_t, pieces> value{};
};

// Whether `Family` reads `run_words` words of characters a step, by
// `run(chars)` from the text at `chars`, all of which it may read.
template <typename Family>
concept CharRunFamily = requires(const Family& family, const char* chars) {
  Family::run_words;
  { family.run(chars).misfits } -> std::convertible_to<std::uint64_t>;
};

#ifdef BITSPLIT_HAS_VECTOR_WORDS

// The intrinsics take this pointer type for unaligned loads too.
// NOLINTBEGIN(cppcoreguidelines-pro-type-reinterpret-cast)
BITSPLIT_ALWAYS_INLINE inline __m128i load_sixteen(const char* chars) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars));
}
// Eight characters in the low half, zeros above.
BITSPLIT_ALWAYS_INLINE inline __m128i load_eight(const char* chars) noexcept {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(chars));
}
// NOLINTEND(cppcoreguidelines-pro-type-reinterpret-cast)

// The eight characters of `first` (as a little-endian load gives them), then
// the eight at `next`, or those of `second`.
BITSPLIT_ALWAYS_INLINE inline __m128i join_eight(std::uint64_t first, const char* next) noexcept {
  return _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(first)), load_eight(next));
}
BITSPLIT_ALWAYS_INLINE inline __m128i join_eight(std::uint64_t first,
                                                 std::uint64_t second) noexcept {
  return _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(first)),
                            _mm_cvtsi64_si128(static_cast<long long>(second)));
}

// The runs of sixteen characters of a family that reads them from a
// register by `Family::run_of`: loaded from the text, or a word already in
// a register (a short leading word behind its '0' fill, or one gathered
// from between separators) and the eight characters at a pointer or in a
// word.
template <typename Family>
struct SixteenCharRuns {
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<2> run(const char* chars) noexcept {
    return Family::run_of(load_sixteen(chars));
  }

  template <typename Next>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<2> run_after(std::uint64_t first,
                                                                   Next next) noexcept {
    return Family::run_of(join_eight(first, next));
  }
};

// A mask with the top bit of each byte of `chars` whose value less `low` is
// above `span` (unsigned, so that bytes below `low` are too).
BITSPLIT_ALWAYS_INLINE inline int outside_lanes(__m128i chars, char low, char span) noexcept {
  const __m128i offset = _mm_sub_epi8(chars, _mm_set1_epi8(low));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(span)), offset)) ^
         0xffff;
}

// '0' and '1', 32 a step: bit 0 of each character, gathered from the
// bytes' top bits once the characters are in reverse order.
struct BinaryVectorChars : BinaryChars {
  static constexpr std::uint32_t run_words = 4;
  static constexpr std::uint64_t piece_factor = std::uint64_t{1} << 32U;

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static std::uint32_t sixteen_bits(__m128i chars) noexcept {
    // Words in reverse order, then the bytes within each: bit 0 of the high
    // byte goes to bit 7, and of the low byte to bit 15.
    __m128i reversed = _mm_shuffle_epi32(chars, 0x1b);
    reversed = _mm_shufflehi_epi16(_mm_shufflelo_epi16(reversed, 0xb1), 0xb1);
    reversed = _mm_or_si128(_mm_srli_epi16(reversed, 1), _mm_slli_epi16(reversed, 15));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(reversed));
  }

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<1> run(const char* chars) noexcept {
    const __m128i high = load_sixteen(chars);
    const __m128i low = load_sixteen(chars + 16);
    const __m128i zeros = _mm_set1_epi8('0');
    const __m128i fits =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_andnot_si128(_mm_set1_epi8(1), high), zeros),
                      _mm_cmpeq_epi8(_mm_andnot_si128(_mm_set1_epi8(1), low), zeros));
    const std::uint32_t value = (sixteen_bits(high) << 16U) | sixteen_bits(low);
    return {static_cast<std::uint64_t>(_mm_movemask_epi8(fits) ^ 0xffff), {value}};
  }
};

// '0' to '9' and 'a' to 'f' in either case, sixteen a step, and a single
// word of eight in the low half of a register.
struct HexVectorChars : HexChars, SixteenCharRuns<HexVectorChars> {
  static constexpr std::uint32_t run_words = 2;
  static constexpr std::uint64_t piece_factor = word_factor;

  // A mask with a bit set for each character that is not a digit.
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static int lane_misfits(__m128i text) noexcept {
    return outside_lanes(text, '0', 9) &
           outside_lanes(_mm_or_si128(text, _mm_set1_epi8(0x20)), 'a', 5);
  }

  // Byte i is the value of digits 2i and 2i + 1, for i below 8.
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static __m128i packed_digits(__m128i text) noexcept {
    // A letter's low four bits are 1 to 6: 9 more makes its value.
    const __m128i letters =
        _mm_and_si128(_mm_cmpgt_epi8(text, _mm_set1_epi8('9')), _mm_set1_epi8(9));
    const __m128i digits = _mm_add_epi8(_mm_and_si128(text, _mm_set1_epi8(0x0f)), letters);
    // Each 16-bit lane holds two digits, the first in its low byte.
    const __m128i pairs = _mm_and_si128(
        _mm_or_si128(_mm_slli_epi16(digits, 4), _mm_srli_epi16(digits, 8)), _mm_set1_epi16(0xff));
    return _mm_packus_epi16(pairs, pairs);
  }

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<2> run_of(__m128i text) noexcept {
    const std::uint64_t value =
        byte_swapped(static_cast<std::uint64_t>(_mm_cvtsi128_si64(packed_digits(text))));
    return {static_cast<std::uint64_t>(lane_misfits(text)), {value >> 32U, value & 0xffffffffU}};
  }

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<1> run_single(const char* chars) noexcept {
    const __m128i text = load_eight(chars);
    const auto value =
        byte_swapped(static_cast<std::uint32_t>(_mm_cvtsi128_si32(packed_digits(text))));
    return {static_cast<std::uint64_t>(lane_misfits(text) & 0xff), {value}};
  }
};

// A base up to 10, sixteen a step and a lone word of eight: neighbouring
// digits combine in 16-bit lanes by a multiply, pairs in 32-bit lanes and
// fours, packed to 16 bits, in 32-bit lanes again by multiply-adds. Every
// factor and sum stays below 2^15, the most a signed 16-bit lane holds.
template <std::uint32_t known_base>
struct SmallBaseVectorChars : SmallBaseChars<known_base>,
                              SixteenCharRuns<SmallBaseVectorChars<known_base>> {
  static constexpr std::uint32_t run_words = 2;
  static constexpr std::uint64_t piece_factor = eighth_power(known_base);

  // The values of the first and the second eight digits in the two low
  // 32-bit lanes.
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static __m128i eights(__m128i text) noexcept {
    constexpr int base = known_base;
    const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    const __m128i pairs = _mm_add_epi16(
        _mm_mullo_epi16(_mm_and_si128(digits, _mm_set1_epi16(0xff)), _mm_set1_epi16(base)),
        _mm_srli_epi16(digits, 8));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32((base * base) | 0x10000));
    return _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                          _mm_set1_epi32((base * base * base * base) | 0x10000));
  }

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<2> run_of(__m128i text) noexcept {
    const auto value = static_cast<std::uint64_t>(_mm_cvtsi128_si64(eights(text)));
    return {static_cast<std::uint64_t>(outside_lanes(text, '0', known_base - 1)),
            {value & 0xffffffffU, value >> 32U}};
  }

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static CharRun<1> run_single(const char* chars) noexcept {
    const __m128i text = load_eight(chars);
    return {static_cast<std::uint64_t>(outside_lanes(text, '0', known_base - 1) & 0xff),
            {static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights(text)))}};
  }
};

// Any base from 2 to 36, a word at a time: each character's value, as a
// digit or a letter in either case, in a register's low half, and the eight
// values combined into two fours there; one multiply-add joins them. A base
// the compiler knows (LetterBaseVectorChars) folds its factors; a base
// chosen at run time (AnyBaseVectorChars) takes them from two multiplies.
struct LetterLanes {
  __m128i values;  // Each character's value; 36 or more for any other than a digit or a letter.
  int fits;        // A bit set for each character whose value is below the base.
};

[[nodiscard]] BITSPLIT_ALWAYS_INLINE inline LetterLanes letter_lanes(std::uint64_t chars,
                                                                     std::uint32_t base) noexcept {
  const __m128i text = _mm_cvtsi64_si128(static_cast<long long>(chars));
  const __m128i digits = _mm_sub_epi8(text, _mm_set1_epi8('0'));
  const __m128i letters = _mm_sub_epi8(_mm_or_si128(text, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
  const __m128i is_digit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
  // A byte past 'z' or before 'a' (case aside) is 26 or more past it, and
  // saturates rather than wrapping into a digit's value.
  const __m128i values =
      _mm_or_si128(_mm_and_si128(is_digit, digits),
                   _mm_andnot_si128(is_digit, _mm_adds_epu8(letters, _mm_set1_epi8(10))));
  const __m128i top = _mm_set1_epi8(static_cast<char>(base - 1));
  return {values, _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(values, top), values))};
}

[[nodiscard]] BITSPLIT_ALWAYS_INLINE inline std::uint64_t letter_lanes_value(
    __m128i values, std::uint32_t base) noexcept {
  const std::uint32_t squared = base * base;
  const __m128i pairs =
      _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(values, _mm_set1_epi16(0xff)),
                                    _mm_set1_epi16(static_cast<std::int16_t>(base))),
                    _mm_srli_epi16(values, 8));
  const auto fours = static_cast<std::uint64_t>(_mm_cvtsi128_si64(
      _mm_madd_epi16(pairs, _mm_set1_epi32(static_cast<int>(squared | 0x10000U)))));
  return (fours & 0xffffffffU) * (std::uint64_t{squared} * squared) + (fours >> 32U);
}

template <std::uint32_t known_base>
struct LetterBaseVectorChars {
  static_assert(known_base > 10 && known_base <= 36);
  static constexpr std::uint32_t base = known_base;
  static constexpr std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static std::uint64_t misfits(std::uint64_t chars) noexcept {
    return static_cast<std::uint64_t>(~letter_lanes(chars, base).fits & 0xff);
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static std::uint64_t value(std::uint64_t chars) noexcept {
    return letter_lanes_value(letter_lanes(chars, base).values, base);
  }
};

struct AnyBaseVectorChars {
  std::uint32_t base = 10;
  std::uint64_t word_factor = eighth_power(base);

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE std::uint64_t misfits(std::uint64_t chars) const noexcept {
    return static_cast<std::uint64_t>(~letter_lanes(chars, base).fits & 0xff);
  }
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE std::uint64_t value(std::uint64_t chars) const noexcept {
    return letter_lanes_value(letter_lanes(chars, base).values, base);
  }
};

using BinaryKnownChars = BinaryVectorChars;
using HexKnownChars = HexVectorChars;
template <std::uint32_t base>
using SmallBaseKnownChars = SmallBaseVectorChars<base>;
template <std::uint32_t base>
using LetterBaseKnownChars = LetterBaseVectorChars<base>;
using RunTimeAnyBaseChars = AnyBaseVectorChars;

#else

using BinaryKnownChars = BinaryChars;
using HexKnownChars = HexChars;
template <std::uint32_t base>
using SmallBaseKnownChars = SmallBaseChars<base>;
// Any base the plain way, its base a constant the compiler folds.
template <std::uint32_t known_base>
struct LetterBaseKnownChars : AnyBaseChars {
  constexpr LetterBaseKnownChars() noexcept : AnyBaseChars{known_base, eighth_power(known_base)} {}
};
using RunTimeAnyBaseChars = AnyBaseChars;

#endif  // BITSPLIT_HAS_VECTOR_WORDS

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_VECTOR_CHARS_HPP
