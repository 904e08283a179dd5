#ifndef BITSPLIT_DETAIL_VECTOR_WORDS_HPP
#define BITSPLIT_DETAIL_VECTOR_WORDS_HPP

// Kernels for bases 2, 10 and 16 in 16-byte registers, for formats known at
// compile time on x86-64, where SSE2 is always there. Sixteen digits take
// about the instructions that eight take in a 64-bit word.
//
// A vector holds its digits most significant first, as they are printed, and
// each word a kernel gives is a byte-swapped half of it: the reversal's own
// byte swap then cancels, and the compiler stores the halves straight from
// the register. Elsewhere the word kernels (words.hpp) are the plain twins,
// and so they are unoptimised too, where the intrinsics would only add code.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/words.hpp"

#if defined(__SSE2__) && defined(__x86_64__) && defined(__OPTIMIZE__) && !defined(BITSPLIT_PORTABLE)
#define BITSPLIT_HAS_VECTOR_WORDS  // NOLINT(cppcoreguidelines-macro-usage): #if tests it.
#include <emmintrin.h>
#endif

namespace bitsplit::detail {

// The digits of a step that makes `words` digit words at once, each as in
// words.hpp, least significant first, and what is left of the value past
// them.
template <typename Magnitude, std::uint32_t words>
struct DigitRun {
  std::array<std::uint64_t, words> word{};
  Magnitude rest = 0;
};

// Whether `Family` makes several words a step: `run_words` of them, by
// `run_step(rest)`.
template <typename Family, typename Magnitude>
concept RunFamily = requires(const Family& family, Magnitude rest) {
  { family.run_step(rest) } -> std::same_as<DigitRun<Magnitude, Family::run_words>>;
};

#ifdef BITSPLIT_HAS_VECTOR_WORDS

// Puts the digit words of `digits`, 16 characters in printed order, at
// `word` and the one after it. Taken from memory rather than from the
// register's halves, so that g++ sees that the reversal puts the register
// back as it was, and stores it whole instead of rebuilding it with four
// shuffles.
BITSPLIT_ALWAYS_INLINE inline void put_printed(__m128i digits, std::uint64_t* word) noexcept {
  std::array<std::uint64_t, 2> halves{};
  std::memcpy(halves.data(), &digits, sizeof digits);
  word[0] = byte_swapped(halves[1]);
  word[1] = byte_swapped(halves[0]);
}

// Base 2, 32 digits a step: each of the four low bytes copied to eight
// lanes, every lane keeping its own bit, most significant first, and
// compared to it.
struct BinaryVectorDigits : BinaryDigits {
  static constexpr std::uint32_t run_words = 4;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static DigitRun<Magnitude, run_words> run_step(
      Magnitude rest) noexcept {
    __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(static_cast<std::uint32_t>(rest)));
    bytes = _mm_unpacklo_epi8(bytes, bytes);
    bytes = _mm_unpacklo_epi16(bytes, bytes);  // 32-bit lane i: byte i four times
    const __m128i bits = _mm_set1_epi64x(0x0102040810204080);
    const __m128i zeros = _mm_set1_epi8('0');
    DigitRun<Magnitude, run_words> run{{}, shifted_down<32>(rest)};
    const auto put = [&](__m128i copies, std::uint64_t* word) BITSPLIT_ALWAYS_INLINE_LAMBDA {
      put_printed(_mm_sub_epi8(zeros, _mm_cmpeq_epi8(_mm_and_si128(copies, bits), bits)), word);
    };
    put(_mm_shuffle_epi32(bytes, 0x05), &run.word[0]);  // bytes 1, 1, 0, 0
    put(_mm_shuffle_epi32(bytes, 0xaf), &run.word[2]);  // bytes 3, 3, 2, 2
    return run;
  }
};

// Base 16: the bytes most significant first, each split into its high and
// low nibble, and 10 to 15 given the letter gap.
struct HexVectorDigits {
  std::uint64_t letter_gap = lower_letter_gap;

  [[nodiscard]] BITSPLIT_ALWAYS_INLINE __m128i printed(__m128i bytes) const noexcept {
    const __m128i nibble = _mm_set1_epi8(0x0f);
    const __m128i low = _mm_and_si128(bytes, nibble);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
    const __m128i values = _mm_unpacklo_epi8(high, low);
    const __m128i letters = _mm_cmpgt_epi8(values, _mm_set1_epi8(9));
    const __m128i gap = _mm_and_si128(letters, _mm_set1_epi8(static_cast<char>(letter_gap)));
    return _mm_add_epi8(_mm_add_epi8(values, _mm_set1_epi8('0')), gap);
  }

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t /*count*/) const noexcept {
    const auto low = static_cast<std::uint32_t>(rest);
    const __m128i digits = printed(_mm_cvtsi32_si128(static_cast<int>(byte_swapped(low))));
    return {byte_swapped(static_cast<std::uint64_t>(_mm_cvtsi128_si64(digits))),
            shifted_down<32>(rest)};
  }

  // Sixteen digits a step.
  static constexpr std::uint32_t run_words = 2;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE DigitRun<Magnitude, run_words> run_step(
      Magnitude rest) const noexcept {
    const auto low = static_cast<std::uint64_t>(rest);
    DigitRun<Magnitude, run_words> run{{}, shifted_down<64>(rest)};
    put_printed(printed(_mm_cvtsi64_si128(static_cast<long long>(byte_swapped(low)))),
                run.word.data());
    return run;
  }
};

// Base 10: each eight digits split by 10^4 into halves, each half in four
// 16-bit lanes, lane i (i = 1 to 4) made the quotient by 10^(4 - i) by two
// multiplies that keep the high half, and digit i that less ten times the
// lane before. Of the half x, 4x is below 2^16; (4x * 8389) >> 16 >> 9,
// (4x * 5243) >> 16 >> 5 and (4x * 13108) >> 16 >> 3 are x / 1000, x / 100
// and x / 10 for every x below 10^4, and (4x * 2^15) >> 16 >> 1 is x. Of the
// word kernel's six scalar multiplies, which limit it, two are left.
struct DecimalVectorDigits {
  template <typename Magnitude>
  BITSPLIT_ALWAYS_INLINE static constexpr bool fits_64_bits(Magnitude rest) noexcept {
    if constexpr (sizeof(Magnitude) > 8) {
      return (rest >> 64U) == 0;
    } else {
      return true;
    }
  }

  // The digits of `halves`, each below 10^4, in printed order: four for each.
  template <std::size_t count>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static __m128i printed(
      const std::array<std::uint32_t, count>& halves) noexcept {
    static_assert(count == 2 || count == 4);
    const __m128i quotients =
        _mm_setr_epi16(8389, 5243, 13108, -0x8000, 8389, 5243, 13108, -0x8000);
    const __m128i shifts =
        _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -0x8000, 1 << 7, 1 << 11, 1 << 13, -0x8000);
    const auto digits_of = [&](std::uint32_t high,
                               std::uint32_t low) BITSPLIT_ALWAYS_INLINE_LAMBDA {
      __m128i lanes = _mm_cvtsi32_si128(static_cast<int>((high << 2U) | (low << 18U)));
      lanes = _mm_unpacklo_epi16(lanes, lanes);
      lanes = _mm_unpacklo_epi32(lanes, lanes);  // 4x of the high half four times, then low
      const __m128i leading = _mm_mulhi_epu16(_mm_mulhi_epu16(lanes, quotients), shifts);
      return _mm_sub_epi16(leading,
                           _mm_mullo_epi16(_mm_slli_epi64(leading, 16), _mm_set1_epi16(10)));
    };
    const __m128i first = digits_of(halves[0], halves[1]);
    const __m128i second =
        count == 4 ? digits_of(halves[count - 2], halves[count - 1]) : _mm_setzero_si128();
    return _mm_or_si128(_mm_packus_epi16(first, second), _mm_set1_epi8('0'));
  }

  // `value`, below 10^8, as its halves of four digits.
  BITSPLIT_ALWAYS_INLINE static constexpr std::array<std::uint32_t, 2> halves_of(
      std::uint32_t value) noexcept {
    const std::uint32_t high = value / 10'000U;
    return {high, value - high * 10'000U};
  }

  // The first eight characters of `text` as a digit word.
  BITSPLIT_ALWAYS_INLINE static std::uint64_t word_of(__m128i text) noexcept {
    return byte_swapped(static_cast<std::uint64_t>(_mm_cvtsi128_si64(text)));
  }

  // The low `count` (1 to 8) digits of `rest`, which fits in 64 bits, and
  // what is left past them: a count of 4 or less takes one half.
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static DigitStep<Magnitude> low_digits(
      Magnitude rest, std::uint32_t count) noexcept {
    constexpr std::array<std::uint32_t, 9> powers{
        1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000};
    using Narrow = std::conditional_t<(sizeof(Magnitude) > 8), std::uint64_t, Magnitude>;
    const auto narrow = static_cast<Narrow>(rest);
    const Narrow quotient = narrow / powers[count];
    const auto low = static_cast<std::uint32_t>(narrow - quotient * powers[count]);
    const std::uint64_t word =
        word_of(printed(count <= 4 ? std::array<std::uint32_t, 2>{0, low} : halves_of(low)));
    if (count == 8) {
      return {word, quotient};
    }
    // The bytes past the count are '0' in the lanes too; saying so spares
    // the caller's check of them (added: an or g++ turned into xors that
    // hid it).
    const std::uint64_t digits = (std::uint64_t{1} << (8 * count)) - 1;
    return {(word & digits) + (zero_chars & ~digits), quotient};
  }

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t count) noexcept {
    // A short leading word folds further in the word kernel, and above 64
    // bits that keeps the library calls to one a step.
    if (count < 8 || !fits_64_bits(rest)) {
      return DecimalDigits::step(rest, count);
    }
    return low_digits(rest, 8);
  }

  // Sixteen digits a step, from 64-bit magnitudes up.
  static constexpr std::uint32_t run_words = 2;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static DigitRun<Magnitude, run_words> run_step(
      Magnitude rest) noexcept {
    if (!fits_64_bits(rest)) {
      const DigitStep<Magnitude> low = step(rest, 8);
      const DigitStep<Magnitude> high = step(low.rest, 8);
      return {{low.word, high.word}, high.rest};
    }
    DigitRun<Magnitude, run_words> run{};
    const auto narrow = static_cast<std::uint64_t>(rest);
    const std::uint64_t quotient = narrow / 10'000'000'000'000'000U;
    const std::uint64_t sixteen = narrow - quotient * 10'000'000'000'000'000U;
    const std::uint64_t high = sixteen / 100'000'000U;
    const std::array<std::uint32_t, 2> first = halves_of(static_cast<std::uint32_t>(high));
    const std::array<std::uint32_t, 2> second =
        halves_of(static_cast<std::uint32_t>(sixteen - high * 100'000'000U));
    put_printed(printed(std::array{first[0], first[1], second[0], second[1]}), run.word.data());
    run.rest = static_cast<Magnitude>(quotient);
    return run;
  }
};

// Base 10, a count below 8: only the digits asked for, by the same lanes,
// one half of four digits or two.
struct ShortDecimalVectorDigits {
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t count) noexcept {
    if (!DecimalVectorDigits::fits_64_bits(rest)) {
      return DecimalDigits::step(rest, count);
    }
    return DecimalVectorDigits::low_digits(rest, count);
  }
};

// The kernels of a known base 2, 10 or 16.
using BinaryKnownDigits = BinaryVectorDigits;
using DecimalKnownDigits = DecimalVectorDigits;
using HexKnownDigits = HexVectorDigits;

#else

using BinaryKnownDigits = BinaryDigits;
using DecimalKnownDigits = DecimalDigits;
using HexKnownDigits = HexDigits;

#endif  // BITSPLIT_HAS_VECTOR_WORDS

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_VECTOR_WORDS_HPP
