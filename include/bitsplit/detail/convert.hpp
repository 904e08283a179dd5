#ifndef BITSPLIT_DETAIL_CONVERT_HPP
#define BITSPLIT_DETAIL_CONVERT_HPP

// The conversion of a magnitude (std::uint32_t, std::uint64_t or uint128)
// without groups, at run time and in plain code: the digits least significant
// first, then one call to reverse_char.

#include <cstdint>
#include <type_traits>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/reverse.hpp"
#include "bitsplit/detail/vector_words.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit {
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept;  // digits.hpp
}  // namespace bitsplit

namespace bitsplit::detail {

// How a conversion ends: with a terminator after the digits, returning the
// buffer, or with nothing past them, returning their end (to_fixed_chars).
// Types, so that each way compiles to code of its own and the terminated one
// stays as it was. Either way one pointer, null on failure, comes back from
// out-of-line code: a std::to_chars_result passed back through the calls
// made to_fixed_chars 1.4 times as slow as the terminated form.
struct Terminated {
  BITSPLIT_ALWAYS_INLINE static constexpr char* ended(char* buffer, std::uint32_t size) noexcept {
    buffer[size] = '\0';
    return buffer;
  }
};
struct Unterminated {
  BITSPLIT_ALWAYS_INLINE static constexpr char* ended(char* buffer, std::uint32_t size) noexcept {
    return buffer + size;
  }
};

// Ends the `count` digits stored least significant first as `Ending` says,
// and puts them in order.
template <typename Ending>
BITSPLIT_ALWAYS_INLINE constexpr char* finish(char* buffer, std::uint32_t count,
                                              Ending /*ending*/) noexcept {
  char* const result = Ending::ended(buffer, count);
  reverse_char(buffer, count);
  return result;
}

// Stores the next eight digits of `rest` at `buffer` + `done`, and moves both
// on.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline void store_next_word(const Family& family, Magnitude& rest,
                                                   char* buffer, std::uint32_t& done) noexcept {
  const DigitStep<Magnitude> step = family.step(rest, 8);
  store_low_byte_first(buffer + done, step.word);
  rest = step.rest;
  done += 8;
}

// Stores the next run of words of `rest` at `buffer` + `done`, and moves
// both on.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline void store_next_run(const Family& family, Magnitude& rest,
                                                  char* buffer, std::uint32_t& done) noexcept {
  const auto run = family.run_step(rest);
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < run.word.size(); ++index) {
    store_low_byte_first(buffer + done, run.word[index]);
    done += 8;
  }
  rest = run.rest;
}

// Whether a step's digits past the low `left` (below 8) are zeros, as they
// must be for the value to fit. A family that makes only the digits asked
// for says so (`makes_only_the_count`), and the check, which the compiler
// cannot fold through its letters, goes.
template <typename Family>
BITSPLIT_ALWAYS_INLINE constexpr bool zeros_past(std::uint64_t word, std::uint32_t left) noexcept {
  if constexpr (requires { Family::makes_only_the_count; }) {
    return true;
  } else {
    return (word >> (8 * left)) == (zero_chars >> (8 * left));
  }
}

// Stores the low `count` digits of `value`, least significant first, a word
// at a time and then in front-aligned pieces, and returns whether that is
// all of its digits. `Known`: the compiler knows `count`.
template <bool Known, typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_low_digits_in_words(const Family& family, Magnitude value,
                                                             char* buffer,
                                                             std::uint32_t count) noexcept {
  Magnitude rest = value;
  std::uint32_t done = 0;
  if constexpr (RunFamily<Family, Magnitude>) {
    constexpr std::uint32_t run_digits = 8 * Family::run_words;
    if constexpr (Known) {
      BITSPLIT_UNROLL_WORDS
      for (std::uint32_t index = 0; index < sizeof(Magnitude) * 8 / run_digits; ++index) {
        if (count - done >= run_digits) {
          store_next_run(family, rest, buffer, done);
        }
      }
    } else {
      while (count - done >= run_digits) {
        store_next_run(family, rest, buffer, done);
      }
    }
  }
  if constexpr (Known) {
    // Unrolled over the words that a magnitude's base-2 digits can fill, so
    // that each word folds into the reversal's store.
    BITSPLIT_UNROLL_WORDS
    for (std::uint32_t index = 0; index < sizeof(Magnitude); ++index) {
      if (count - done >= 8) {
        store_next_word(family, rest, buffer, done);
      }
    }
  }
  // One step serves the whole words and the last, so that a count known only
  // at run time takes one copy of the kernel.
  for (;;) {
    const std::uint32_t left = count - done;
    if (left == 0) {
      return rest == 0;
    }
    const DigitStep<Magnitude> step = family.step(rest, left < 8 ? left : 8);
    if (left < 8) {
      store_last_pieces(buffer + done, left, step.word);
      return step.rest == 0 && zeros_past<Family>(step.word, left);
    }
    store_low_byte_first(buffer + done, step.word);
    rest = step.rest;
    done += 8;
  }
}

// The same for a count whose words, `words`, the compiler knows, though not
// the count: the whole words, then the leading word's 1 to 8 digits as a
// whole word or in the pieces that follow the whole words.
template <std::uint32_t words, typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_low_digits_by_words(const Family& family, Magnitude value,
                                                             char* buffer,
                                                             std::uint32_t count) noexcept {
  Magnitude rest = value;
  std::uint32_t done = 0;
  constexpr std::uint32_t whole_words = words - 1;
  if constexpr (RunFamily<Family, Magnitude>) {
    BITSPLIT_UNROLL_WORDS
    for (std::uint32_t run = 0; run < whole_words / Family::run_words; ++run) {
      store_next_run(family, rest, buffer, done);
    }
  }
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < whole_words; ++index) {
    if (done < 8 * whole_words) {
      store_next_word(family, rest, buffer, done);
    }
  }
  const std::uint32_t left = count - done;
  const DigitStep<Magnitude> step = family.step(rest, left);
  if (left == 8) {
    store_low_byte_first(buffer + done, step.word);
    return step.rest == 0;
  }
  store_last_pieces(buffer + done, left, step.word);
  return step.rest == 0 && zeros_past<Family>(step.word, left);
}

template <bool Known, typename Family, typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE inline char* convert_here(const Family& family, Magnitude value,
                                                 char* buffer, std::uint32_t count,
                                                 Ending ending) noexcept {
  return write_low_digits_in_words<Known>(family, value, buffer, count)
             ? finish(buffer, count, ending)
             : nullptr;
}

// Calls `visit` with the kernel of `base`'s family: the one list of the bases
// with a word kernel of their own. `base` is in 2..36.
template <typename Visit>
BITSPLIT_ALWAYS_INLINE inline auto visit_family(std::uint32_t base, std::uint32_t letter_gap,
                                                const Visit& visit) noexcept {
  switch (base) {
    case 2:
      return visit(BinaryDigits{});
    case 8:
      return visit(OctalDigits{});
    case 10:
      return visit(DecimalDigits{});
    case 16:
      return visit(HexDigits{letter_gap});
    default:
      return visit(AnyBaseDigits{reciprocals[base], letter_gap});
  }
}

template <typename Magnitude, typename Ending>
struct ConvertInFamily {
  Magnitude value;
  char* buffer;
  std::uint32_t count;

  template <typename Family>
  BITSPLIT_ALWAYS_INLINE char* operator()(const Family& family) const noexcept {
    return convert_here<true>(family, value, buffer, count, Ending{});
  }
};

template <typename Magnitude, typename Ending>
// NOLINTNEXTLINE(readability-non-const-parameter): the visitor writes through `buffer`.
BITSPLIT_ALWAYS_INLINE inline char* convert_in_base(Magnitude value, char* buffer,
                                                    std::uint32_t count, std::uint32_t base,
                                                    std::uint32_t letter_gap,
                                                    Ending /*ending*/) noexcept {
  return visit_family(base, letter_gap, ConvertInFamily<Magnitude, Ending>{value, buffer, count});
}

// Least significant digit first; once the value runs out the same loop
// writes the zero fill.
template <typename Magnitude, typename Ending>
constexpr char* convert_portably(Magnitude value, char* buffer, std::uint32_t count,
                                 std::uint32_t base, std::uint32_t letter_gap,
                                 Ending ending) noexcept {
  return write_low_digits_portably(value, buffer, count, base, digit_chars_for(letter_gap)) == 0
             ? finish(buffer, count, ending)
             : nullptr;
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_CONVERT_HPP
