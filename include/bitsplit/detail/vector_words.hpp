#ifndef BITSPLIT_DETAIL_VECTOR_WORDS_HPP
#define BITSPLIT_DETAIL_VECTOR_WORDS_HPP

// Kernels for bases 2 and 16 in 16-byte registers, for formats known at
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
#include <cstdint>

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
// `word` and the one after it.
BITSPLIT_ALWAYS_INLINE inline void put_printed(__m128i digits, std::uint64_t* word) noexcept {
  const auto first = static_cast<std::uint64_t>(_mm_cvtsi128_si64(digits));
  const auto second =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(digits, digits)));
  word[0] = byte_swapped(second);
  word[1] = byte_swapped(first);
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

// The kernels of a known base 2 or 16.
using BinaryKnownDigits = BinaryVectorDigits;
using HexKnownDigits = HexVectorDigits;

#else

using BinaryKnownDigits = BinaryDigits;
using HexKnownDigits = HexDigits;

#endif  // BITSPLIT_HAS_VECTOR_WORDS

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_VECTOR_WORDS_HPP
