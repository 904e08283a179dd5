#ifndef BITSPLIT_DETAIL_CONVERT_HPP
#define BITSPLIT_DETAIL_CONVERT_HPP

// The conversion of a magnitude (std::uint32_t or std::uint64_t) at run
// time and in plain code, each ending in one call to reverse_char.

#include <cstdint>
#include <limits>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/reverse.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit {
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept;  // digits.hpp
}  // namespace bitsplit

namespace bitsplit::detail {

// Terminates the `count` digits stored least significant first, and puts
// them in order.
BITSPLIT_ALWAYS_INLINE constexpr char* terminate_and_reverse(char* buffer,
                                                             std::uint32_t count) noexcept {
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
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

// Stores the low `count` digits of `value`, least significant first, a word
// at a time and then in front-aligned pieces, and returns whether that is
// all of its digits.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_low_digits_in_words(const Family& family, Magnitude value,
                                                             char* buffer,
                                                             std::uint32_t count) noexcept {
  Magnitude rest = value;
  std::uint32_t done = 0;
  if (BITSPLIT_IS_KNOWN(count)) {
    // Unrolled over the words that a magnitude's digits can fill, so that
    // each word folds into the reversal's store.
    BITSPLIT_UNROLL_8
    for (std::uint32_t index = 0; index < std::numeric_limits<Magnitude>::digits / 8; ++index) {
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
      // The word's digits past the count must be zeros.
      return step.rest == 0 && (step.word >> (8 * left)) == (zero_chars >> (8 * left));
    }
    store_low_byte_first(buffer + done, step.word);
    rest = step.rest;
    done += 8;
  }
}

template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_here(const Family& family, Magnitude value,
                                                 char* buffer, std::uint32_t count) noexcept {
  return write_low_digits_in_words(family, value, buffer, count)
             ? terminate_and_reverse(buffer, count)
             : nullptr;
}

// Out of line for a count known only at run time: one copy serves every
// such call in the family, and being small it saves few registers.
template <typename Family, typename Magnitude>
BITSPLIT_NOINLINE char* convert_out_of_line(Family family, Magnitude value, char* buffer,
                                            std::uint32_t count) noexcept {
  return convert_here(family, value, buffer, count);
}

// A known count folds into straight-line code.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_in_family(const Family& family, Magnitude value,
                                                      char* buffer, std::uint32_t count) noexcept {
  if (BITSPLIT_IS_KNOWN(count)) {
    return convert_here(family, value, buffer, count);
  }
  return convert_out_of_line(family, value, buffer, count);
}

// The one list of the bases with a word kernel of their own.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_in_base(Magnitude value, char* buffer,
                                                    std::uint32_t count,
                                                    std::uint32_t base) noexcept {
  switch (base) {
    case 2:
      return convert_in_family(BinaryDigits{}, value, buffer, count);
    case 8:
      return convert_in_family(OctalDigits{}, value, buffer, count);
    case 10:
      return convert_in_family(DecimalDigits{}, value, buffer, count);
    case 16:
      return convert_in_family(HexDigits{}, value, buffer, count);
    default:
      return convert_in_family(AnyBaseDigits{reciprocals[base]}, value, buffer, count);
  }
}

// Out of line for a base known only at run time: one switch serves every
// such call, and it jumps straight to its family's conversion.
template <typename Magnitude>
BITSPLIT_NOINLINE char* convert_out_of_line(Magnitude value, char* buffer, std::uint32_t count,
                                            std::uint32_t base) noexcept {
  return convert_in_base(value, buffer, count, base);
}

// `base` is in 2..36.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_at_run_time(Magnitude value, char* buffer,
                                                        std::uint32_t count,
                                                        std::uint32_t base) noexcept {
  if (BITSPLIT_IS_KNOWN(base)) {
    return convert_in_base(value, buffer, count, base);
  }
  return convert_out_of_line(value, buffer, count, base);
}

// Least significant digit first; once the value runs out the same loop
// writes the zero fill.
template <typename Magnitude>
constexpr char* convert_portably(Magnitude value, char* buffer, std::uint32_t count,
                                 std::uint32_t base) noexcept {
  return write_low_digits_portably(value, buffer, count, base) == 0
             ? terminate_and_reverse(buffer, count)
             : nullptr;
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_CONVERT_HPP
