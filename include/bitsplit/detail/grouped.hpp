#ifndef BITSPLIT_DETAIL_GROUPED_HPP
#define BITSPLIT_DETAIL_GROUPED_HPP

// The conversion with separators between groups of digits, at run time and in
// plain code. The digits go right to left straight to their places, so that
// no reversal has to move them past the separators.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

template <typename Magnitude, typename Ending>
constexpr char* convert_grouped_portably(Magnitude value, char* buffer, std::uint32_t count,
                                         std::uint32_t base, std::uint32_t letter_gap,
                                         std::uint32_t group, char separator,
                                         Ending /*ending*/) noexcept {
  const std::uint32_t size = grouped_size(count, group);
  if (write_grouped_digits_portably(value, buffer + size, count, base, digit_chars_for(letter_gap),
                                    group, separator) != 0) {
    return nullptr;
  }
  return Ending::ended(buffer, size);
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
// of the value's digits. `Known`: the compiler knows `count` and `group`.
template <bool Known, typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_grouped_in_words(const Family& family, Magnitude value,
                                                          char* buffer, std::uint32_t count,
                                                          std::uint32_t group,
                                                          char separator) noexcept {
  if constexpr (Known) {
    if (group <= 7) {
      return write_known_groups(family, value, buffer, count, group, separator);
    }
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
    return write_grouped_in_words<true>(family, value, buffer, count, group, separator);
  }
};

template <typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE inline char* convert_grouped_here(Magnitude value, char* buffer,
                                                         std::uint32_t count, std::uint32_t base,
                                                         std::uint32_t letter_gap,
                                                         std::uint32_t group, char separator,
                                                         Ending /*ending*/) noexcept {
  if (!visit_family(base, letter_gap,
                    WriteGroupedInFamily<Magnitude>{value, buffer, count, group, separator})) {
    return nullptr;
  }
  return Ending::ended(buffer, grouped_size(count, group));
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_GROUPED_HPP
