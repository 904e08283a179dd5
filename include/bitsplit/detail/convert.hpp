#ifndef BITSPLIT_DETAIL_CONVERT_HPP
#define BITSPLIT_DETAIL_CONVERT_HPP

// The conversion of a magnitude (std::uint32_t, std::uint64_t or uint128) at run
// time and in plain code. Without groups each ends in one call to
// reverse_char; with groups the digits go straight to their places.

#include <cstddef>
#include <cstdint>

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

template <typename Magnitude>
struct ConvertInFamily {
  Magnitude value;
  char* buffer;
  std::uint32_t count;

  template <typename Family>
  BITSPLIT_ALWAYS_INLINE char* operator()(const Family& family) const noexcept {
    return convert_in_family(family, value, buffer, count);
  }
};

template <typename Magnitude>
// NOLINTNEXTLINE(readability-non-const-parameter): the visitor writes through `buffer`.
BITSPLIT_ALWAYS_INLINE inline char* convert_in_base(Magnitude value, char* buffer,
                                                    std::uint32_t count, std::uint32_t base,
                                                    std::uint32_t letter_gap) noexcept {
  return visit_family(base, letter_gap, ConvertInFamily<Magnitude>{value, buffer, count});
}

// Out of line for a base known only at run time: one switch serves every
// such call, and it jumps straight to its family's conversion.
template <typename Magnitude>
BITSPLIT_NOINLINE char* convert_out_of_line(Magnitude value, char* buffer, std::uint32_t count,
                                            std::uint32_t base, std::uint32_t letter_gap) noexcept {
  return convert_in_base(value, buffer, count, base, letter_gap);
}

template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_at_run_time(Magnitude value, char* buffer,
                                                        std::uint32_t count, std::uint32_t base,
                                                        std::uint32_t letter_gap) noexcept {
  if (BITSPLIT_IS_KNOWN(base) && BITSPLIT_IS_KNOWN(letter_gap)) {
    return convert_in_base(value, buffer, count, base, letter_gap);
  }
  return convert_out_of_line(value, buffer, count, base, letter_gap);
}

// Least significant digit first; once the value runs out the same loop
// writes the zero fill.
template <typename Magnitude>
constexpr char* convert_portably(Magnitude value, char* buffer, std::uint32_t count,
                                 std::uint32_t base, std::uint32_t letter_gap) noexcept {
  return write_low_digits_portably(value, buffer, count, base, digit_chars_for(letter_gap)) == 0
             ? terminate_and_reverse(buffer, count)
             : nullptr;
}

// The separators between groups of `group` in `count` (at least 1) digits,
// (count - 1) / group: for the groups of 2 to 36, which are every group in
// practice, a multiply by the base table's reciprocal rather than a division.
BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t separator_count(std::uint32_t count,
                                                               std::uint32_t group) noexcept {
  const std::uint32_t after_first = count - 1;
  if (BITSPLIT_IS_KNOWN(after_first / group)) {
    return after_first / group;  // Folded, so that write_known_groups' loop has a known count.
  }
  if (group >= 2 && group <= max_base) {
    return reciprocals[group].digit.quotient(after_first);
  }
  return group == 1 ? after_first : after_first / group;
}

// Where a grouped conversion of `count` (at least 1) digits puts its
// terminator.
BITSPLIT_ALWAYS_INLINE constexpr std::uint32_t grouped_size(std::uint32_t count,
                                                            std::uint32_t group) noexcept {
  return count + separator_count(count, group);
}

// Grouped digits go straight to their places, right to left and in order, so
// that no reversal has to move them past the separators.
template <typename Magnitude>
constexpr char* convert_grouped_portably(Magnitude value, char* buffer, std::uint32_t count,
                                         std::uint32_t base, std::uint32_t letter_gap,
                                         std::uint32_t group, char separator) noexcept {
  const std::uint32_t size = grouped_size(count, group);
  if (write_grouped_digits_portably(value, buffer + size, count, base, digit_chars_for(letter_gap),
                                    group, separator) != 0) {
    return nullptr;
  }
  buffer[size] = '\0';
  return buffer;
}

// Stores the low `length` (1 to 8) bytes of `word`, the least significant
// last, to end just before `end`. With 8 bytes of room one store does it; the
// bytes it also writes before them are left for the next store. With less,
// pieces of 4, 2 and 1 byte: a loop over the bytes would end in a mispredicted
// branch.
BITSPLIT_ALWAYS_INLINE inline void store_run_before(char* end, std::uint32_t length,
                                                    std::uint64_t word,
                                                    std::ptrdiff_t room) noexcept {
  if (room >= 8) {
    store_high_byte_first(end - 8, word);
    return;
  }
  if ((length & 4U) != 0) {
    end -= 4;
    store_high_byte_first(end, static_cast<std::uint32_t>(word));
    word >>= 32U;
  }
  if ((length & 2U) != 0) {
    end -= 2;
    store_high_byte_first(end, static_cast<std::uint16_t>(word));
    word >>= 16U;
  }
  if ((length & 1U) != 0) {
    end[-1] = static_cast<char>(word);
  }
}

// A value's digits, least significant first, handed out a few at a time from
// the kernel's words of eight.
template <typename Family, typename Magnitude>
struct DigitSource {
  Family family{};
  Magnitude rest = 0;
  std::uint32_t unmade = 0;     // Digits not yet made.
  std::uint64_t pending = 0;    // Digits made but not yet taken, in the low bytes.
  std::uint32_t available = 0;  // How many.
  bool fits = true;             // Whether the made digits past the count were zeros.

  // The next `count` (1 to 7, at most available + unmade) digits, in the low
  // bytes.
  BITSPLIT_ALWAYS_INLINE std::uint64_t take(std::uint32_t count) noexcept {
    if (available >= count) {
      const std::uint64_t digits = pending;
      pending >>= 8 * count;
      available -= count;
      return digits;
    }
    const std::uint32_t made = unmade < 8 ? unmade : 8;
    const DigitStep<Magnitude> step = family.step(rest, made);
    if (made < 8) {
      fits = (step.word >> (8 * made)) == (zero_chars >> (8 * made));
    }
    rest = step.rest;
    unmade -= made;
    const std::uint64_t digits = pending | (step.word << (8 * available));
    pending = step.word >> (8 * (count - available));
    available += made - count;
    return digits;
  }
};

// For a format the compiler knows, with groups of at most 7: each group and
// the separator before it in one store, unrolled into straight-line code.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_known_groups(const Family& family, Magnitude value,
                                                      char* buffer, std::uint32_t count,
                                                      std::uint32_t group,
                                                      char separator) noexcept {
  DigitSource<Family, Magnitude> source{family, value, count};
  char* end = buffer + grouped_size(count, group);
  const std::uint32_t whole_groups = separator_count(count, group);
  const std::uint64_t digit_mask = (std::uint64_t{1} << (8 * group)) - 1;
  const std::uint64_t shifted_separator = std::uint64_t{static_cast<unsigned char>(separator)}
                                          << (8 * group);
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < whole_groups; ++index) {
    store_run_before(end, group + 1, (source.take(group) & digit_mask) | shifted_separator,
                     end - buffer);
    end -= group + 1;
  }
  const std::uint32_t first_group = count - whole_groups * group;
  store_run_before(end, first_group, source.take(first_group), end - buffer);
  return source.fits && source.rest == 0;
}

// For any format: a word of digits at a time, stored in runs between the
// separators. At run time this branches less than taking group by group.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_grouped_in_runs(const Family& family, Magnitude value,
                                                         char* buffer, std::uint32_t count,
                                                         std::uint32_t group,
                                                         char separator) noexcept {
  char* end = buffer + grouped_size(count, group);
  Magnitude rest = value;
  std::uint32_t to_separator = group;
  bool fits = true;
  for (std::uint32_t left = count; left > 0;) {
    const std::uint32_t digits = left < 8 ? left : 8;
    const DigitStep<Magnitude> step = family.step(rest, digits);
    if (digits < 8) {
      fits = (step.word >> (8 * digits)) == (zero_chars >> (8 * digits));
    }
    rest = step.rest;
    left -= digits;
    std::uint64_t word = step.word;
    for (std::uint32_t in_word = digits;;) {
      if (to_separator == 0) {
        *--end = separator;
        to_separator = group;
      }
      const std::uint32_t run = in_word < to_separator ? in_word : to_separator;
      store_run_before(end, run, word, end - buffer);
      end -= run;
      to_separator -= run;
      in_word -= run;
      if (in_word == 0) {
        break;
      }
      word >>= 8 * run;  // run < 8 here, as digits were left over.
    }
  }
  return fits && rest == 0;
}

// Writes what convert_grouped_portably does, and returns whether that is all
// of the value's digits.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_grouped_in_words(const Family& family, Magnitude value,
                                                          char* buffer, std::uint32_t count,
                                                          std::uint32_t group,
                                                          char separator) noexcept {
  if (group <= 7 && BITSPLIT_IS_KNOWN(count) && BITSPLIT_IS_KNOWN(group)) {
    return write_known_groups(family, value, buffer, count, group, separator);
  }
  return write_grouped_in_runs(family, value, buffer, count, group, separator);
}

template <typename Magnitude>
struct WriteGroupedInFamily {
  Magnitude value;
  char* buffer;
  std::uint32_t count;
  std::uint32_t group;
  char separator;

  template <typename Family>
  BITSPLIT_ALWAYS_INLINE bool operator()(const Family& family) const noexcept {
    return write_grouped_in_words(family, value, buffer, count, group, separator);
  }
};

template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_grouped_here(Magnitude value, char* buffer,
                                                         std::uint32_t count, std::uint32_t base,
                                                         std::uint32_t letter_gap,
                                                         std::uint32_t group,
                                                         char separator) noexcept {
  if (!visit_family(base, letter_gap,
                    WriteGroupedInFamily<Magnitude>{value, buffer, count, group, separator})) {
    return nullptr;
  }
  buffer[grouped_size(count, group)] = '\0';
  return buffer;
}

// Out of line for a format known only at run time: one copy serves every
// such call.
template <typename Magnitude>
BITSPLIT_NOINLINE char* convert_grouped_out_of_line(Magnitude value, char* buffer,
                                                    std::uint32_t count, std::uint32_t base,
                                                    std::uint32_t letter_gap, std::uint32_t group,
                                                    char separator) noexcept {
  return convert_grouped_here(value, buffer, count, base, letter_gap, group, separator);
}

// A format the compiler knows folds into straight-line code.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline char* convert_grouped_at_run_time(
    Magnitude value, char* buffer, std::uint32_t count, std::uint32_t base,
    std::uint32_t letter_gap, std::uint32_t group, char separator) noexcept {
  if (BITSPLIT_IS_KNOWN(count) && BITSPLIT_IS_KNOWN(base) && BITSPLIT_IS_KNOWN(letter_gap) &&
      BITSPLIT_IS_KNOWN(group) && BITSPLIT_IS_KNOWN(separator)) {
    return convert_grouped_here(value, buffer, count, base, letter_gap, group, separator);
  }
  return convert_grouped_out_of_line(value, buffer, count, base, letter_gap, group, separator);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_CONVERT_HPP
