#ifndef BITSPLIT_DETAIL_READ_HPP
#define BITSPLIT_DETAIL_READ_HPP

// Reading a fixed-width text back into a magnitude, at run time and in plain
// code. The run-time path checks and combines a word of eight characters at
// a time and branches only once a text is done; a text that breaks the
// format is read again by the plain code, which finds the first character
// at fault.

#include <array>
#include <cstddef>
#include <cstdint>
#include <system_error>
#include <type_traits>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/read_words.hpp"
#include "bitsplit/detail/vector_chars.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

// The `length` (1 to 8) characters from `start` of the `size` at `text`, the
// first in the low byte and zeros above. One load wherever eight characters
// of the text lie around them; pieces of 4, 2 and 1 only in a text shorter
// than a word. Nothing outside the text is read.
BITSPLIT_ALWAYS_INLINE inline std::uint64_t load_run(const char* text, std::size_t size,
                                                     std::size_t start,
                                                     std::uint32_t length) noexcept {
  const std::uint32_t unused_bits = 8 * (8 - length);
  if (size - start >= 8) {
    return (load_low_byte_first<std::uint64_t>(text + start) << unused_bits) >> unused_bits;
  }
  if (start + length >= 8) {
    return load_low_byte_first<std::uint64_t>(text + start + length - 8) >> unused_bits;
  }
  std::uint64_t word = 0;
  std::uint32_t done = 0;
  if ((length & 4U) != 0) {
    word = load_low_byte_first<std::uint32_t>(text + start);
    done = 4;
  }
  if ((length & 2U) != 0) {
    word |= std::uint64_t{load_low_byte_first<std::uint16_t>(text + start + done)} << (8 * done);
    done += 2;
  }
  if ((length & 1U) != 0) {
    word |= std::uint64_t{static_cast<unsigned char>(text[start + done])} << (8 * done);
  }
  return word;
}

// Calls `step` with 0 to `count` - 1 in turn. For a count the compiler knows
// (`Known`), unrolled into straight-line code up to 16, the words of a
// 128-bit value's digits, so that everything `step` computes from its index
// folds; a plain loop otherwise, which carries no unrolled copies that the
// compiler would only drop late.
template <bool Known, typename Step>
BITSPLIT_ALWAYS_INLINE inline void repeat(std::uint32_t count, const Step& step) noexcept {
  if constexpr (Known) {
    BITSPLIT_UNROLL_WORDS
    for (std::uint32_t index = 0; index < count; ++index) {
      step(index);
    }
  } else {
    for (std::uint32_t index = 0; index < count; ++index) {
      step(index);
    }
  }
}

// The accumulator: 64 bits for a 32-bit magnitude, so that one word's value
// fits it.
template <typename Magnitude>
using Accumulator = std::conditional_t<sizeof(Magnitude) < 8, std::uint64_t, Magnitude>;

// value * factor + addend, noting in `too_large` when that wraps.
template <typename Number>
BITSPLIT_ALWAYS_INLINE constexpr Number multiply_add(Number value, Number factor, Number addend,
                                                     bool& too_large) noexcept {
#if BITSPLIT_HAS_BUILTIN(__builtin_mul_overflow) && BITSPLIT_HAS_BUILTIN(__builtin_add_overflow)
  Number product = 0;
  const bool wrapped = __builtin_mul_overflow(value, factor, &product);
  const bool carried = __builtin_add_overflow(product, addend, &product);
  too_large = too_large || wrapped || carried;
  return product;
#else
  too_large = too_large || value > (static_cast<Number>(~Number{0}) - addend) / factor;
  return value * factor + addend;
#endif
}

template <typename Magnitude>
struct Scan {
  Accumulator<Magnitude> value = 0;
  std::uint64_t misfits = 0;  // Not 0 when a character breaks the format.
  bool too_large = false;
};

// The digits and separators of a grouped text, left to right through the
// groups, each run of characters taken up to the end of its group or of the
// word being filled, so that no run spans two words, and each word handed
// to `add_word`; a wrong separator is noted in `misfits`. `pending` holds the
// first word's '0' fill, `have` characters.
template <bool Known, typename AddWord>
BITSPLIT_ALWAYS_INLINE inline void add_grouped_words(const AddWord& add_word,
                                                     std::uint64_t& misfits, const char* text,
                                                     std::size_t size, std::uint32_t count,
                                                     std::uint32_t group, char separator,
                                                     std::uint64_t pending,
                                                     std::uint32_t have) noexcept {
  std::size_t place = 0;
  const std::uint32_t separators = separator_count(count, group);
  const std::uint32_t runs_a_group = (group + 7) / 8 + 1;
  repeat<Known>(separators + 1, [&](std::uint32_t index) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    std::uint32_t left = group;
    if (index == 0) {
      left = count - separators * group;
    } else {
      misfits |= static_cast<unsigned char>(text[place++] ^ separator);
    }
    repeat<Known>(runs_a_group, [&](std::uint32_t /*run*/) BITSPLIT_ALWAYS_INLINE_LAMBDA {
      if (left == 0) {
        return;
      }
      const std::uint32_t length = 8 - have < left ? 8 - have : left;
      pending |= load_run(text, size, place, length) << (8 * have);
      place += length;
      left -= length;
      have += length;
      if (have == 8) {
        add_word(pending);
        pending = 0;
        have = 0;
      }
    });
  });
}

// Notes in `scan` whether its value is past `largest`, unless the compiler
// knows from `bound` that it cannot be.
template <bool Known, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline Scan<Magnitude> finish_scan(Scan<Magnitude> scan,
                                                          Accumulator<Magnitude> bound,
                                                          bool bound_wraps,
                                                          Magnitude largest) noexcept {
  if constexpr (Known) {
    if (BITSPLIT_IS_KNOWN(bound) && !bound_wraps && bound <= largest) {
      return scan;
    }
  }
  scan.too_large = scan.too_large || scan.value > largest;
  return scan;
}

// Adds what a run of `Family` found: its misfits, and its pieces' values.
template <typename Family, std::uint32_t pieces, typename AddValue>
BITSPLIT_ALWAYS_INLINE inline void add_run_of(const CharRun<pieces>& run, const AddValue& add_value,
                                              std::uint64_t& misfits) noexcept {
  misfits |= run.misfits;
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t piece = 0; piece < pieces; ++piece) {
    add_value(run.value[piece], Family::piece_factor);
  }
}

// The `words` words of a text without groups, by a family that reads runs
// of words: the leading word alone unless it is whole, then runs while they
// last, then single words.
template <typename Family, typename AddWord, typename AddValue>
BITSPLIT_ALWAYS_INLINE inline void add_in_runs(const Family& family, const AddWord& add_word,
                                               const AddValue& add_value, std::uint64_t& misfits,
                                               const char* text, std::size_t size,
                                               std::uint32_t words, std::uint32_t leading,
                                               std::uint64_t fill) noexcept {
  const auto add_run = [&](const auto& run) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    add_run_of<Family>(run, add_value, misfits);
  };
  std::uint32_t whole = words;
  std::size_t place = 0;
  if (leading != 8) {
    const std::uint64_t first = fill | load_run(text, size, 0, leading) << (8 * (8 - leading));
    whole -= 1;
    place = leading;
    // A short leading word that would leave one word over after the runs
    // joins the next in a run: one step instead of two of each kind.
    if constexpr (requires { family.run_after(first, text); }) {
      if (whole % Family::run_words == 1) {
        add_run(family.run_after(first, text + place));
        whole -= 1;
        place += 8;
      } else {
        add_word(first);
      }
    } else {
      add_word(first);
    }
  }
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < 16; ++index) {
    if (whole >= Family::run_words) {
      add_run(family.run(text + place));
      whole -= Family::run_words;
      place += std::size_t{8} * Family::run_words;
    }
  }
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < 16; ++index) {
    if (whole > 0) {
      if constexpr (requires { family.run_single(text); }) {
        add_run(family.run_single(text + place));
      } else {
        add_word(load_low_byte_first<std::uint64_t>(text + place));
      }
      whole -= 1;
      place += 8;
    }
  }
}

// Checks the `count` (at least 1) digits of a text of the right size, and the
// separators between their groups, a word at a time, and adds the words up
// from the most significant. The first word is the `count` % 8 leading
// digits behind '0' fill, so that every other is whole.
//
// Where the compiler knows the format (`Known`), it also knows the largest
// value each step can reach (`bound`), and so which steps can wrap or pass
// `largest`: only those are checked, and for most widths none is.
//
// `known_words`, where not 0, is the count's words, which the compiler then
// knows though the count itself it may not.
template <bool Known, std::uint32_t known_words = 0, typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline Scan<Magnitude> scan_in_words(const Family& family, const char* text,
                                                            std::size_t size, std::uint32_t count,
                                                            std::uint32_t group, char separator,
                                                            Magnitude largest) noexcept {
  using Number = Accumulator<Magnitude>;
  Scan<Magnitude> scan;
  const std::uint32_t words = known_words != 0 ? known_words : (count + 7) / 8;
  const std::uint32_t leading = count - 8 * (words - 1);  // 1 to 8
  // The largest value of each step: a leading word short of eight digits
  // stays below base^leading, which keeps a value whose digits cannot pass
  // `largest` (base 36 width 6 in 32 bits) free of checks.
  Number bound = 0;
  bool bound_wraps = false;
  bool first = true;
  const auto top_of = [&](Number factor) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    const bool short_first = first && leading != 8;
    first = false;
    if (!short_first) {
      return factor - 1;
    }
    Number power = 1;
    for (std::uint32_t digit = 0; digit < leading; ++digit) {
      power *= family.base;
    }
    return power - 1;
  };
  // A value of digits worth `factor` times the next: a word's, or a run's
  // piece.
  const auto add_value = [&](std::uint64_t value, Number factor) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    const auto word_value = static_cast<Number>(value);
    if constexpr (Known) {
      bound = multiply_add(bound, factor, top_of(factor), bound_wraps);
      if (BITSPLIT_IS_KNOWN(bound_wraps) && !bound_wraps) {
        scan.value = scan.value * factor + word_value;
        return;
      }
    }
    scan.value = multiply_add(scan.value, factor, word_value, scan.too_large);
  };
  const auto add_word = [&](std::uint64_t chars) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    scan.misfits |= family.misfits(chars);
    add_value(family.value(chars), static_cast<Number>(family.word_factor));
  };
  const std::uint64_t fill = leading == 8 ? 0 : zero_chars >> (8 * leading);
  if constexpr (Known && CharRunFamily<Family>) {
    if (group == 0) {
      add_in_runs(family, add_word, add_value, scan.misfits, text, size, words, leading, fill);
      return finish_scan<Known>(scan, bound, bound_wraps, largest);
    }
  }
  if constexpr (Known && requires { family.run_after(fill, fill); }) {
    if (group != 0) {
      // The words gathered from between the separators stay in registers,
      // and are read two at a time, as a text without groups is.
      std::array<std::uint64_t, 16> gathered{};
      std::uint32_t have_words = 0;
      add_grouped_words<Known>(
          [&](std::uint64_t chars)
              BITSPLIT_ALWAYS_INLINE_LAMBDA { gathered[have_words++] = chars; },
          scan.misfits, text, size, count, group, separator, fill, 8 - leading);
      BITSPLIT_UNROLL_WORDS
      for (std::uint32_t index = 0; index < gathered.size(); index += 2) {
        if (index + 1 < words) {
          add_run_of<Family>(family.run_after(gathered[index], gathered[index + 1]), add_value,
                             scan.misfits);
        } else if (index < words) {
          add_word(gathered[index]);
        }
      }
      return finish_scan<Known>(scan, bound, bound_wraps, largest);
    }
  }
  if (group == 0) {
    add_word(fill | load_run(text, size, 0, leading) << (8 * (8 - leading)));
    repeat<Known>(words - 1, [&](std::uint32_t index) BITSPLIT_ALWAYS_INLINE_LAMBDA {
      add_word(load_low_byte_first<std::uint64_t>(text + leading + std::size_t{8} * index));
    });
  } else {
    add_grouped_words<Known>(add_word, scan.misfits, text, size, count, group, separator, fill,
                             8 - leading);
  }
  return finish_scan<Known>(scan, bound, bound_wraps, largest);
}

#ifdef BITSPLIT_COUNT_PLAIN_READS
// For the tests, which define the macro: the texts that this thread's
// word-wise reader has handed to the plain one. A good text never should be.
inline thread_local std::uint64_t plain_reads = 0;  // NOLINT(*-avoid-non-const-global-variables)
#endif

// Out of line, as a text that breaks its format is rare.
template <typename Magnitude>
BITSPLIT_NOINLINE ReadOutcome<Magnitude> find_misfit(const char* text, std::size_t size,
                                                     std::uint32_t count, std::uint32_t base,
                                                     std::uint32_t group, char separator,
                                                     Magnitude largest) noexcept {
#ifdef BITSPLIT_COUNT_PLAIN_READS
  ++plain_reads;
#endif
  return read_digits_portably(text, size, count, base, group, separator, largest);
}

template <bool Known, std::uint32_t known_words = 0, typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline ReadOutcome<Magnitude> read_here(const Family& family,
                                                               const char* text, std::size_t size,
                                                               std::uint32_t count,
                                                               std::uint32_t group, char separator,
                                                               Magnitude largest) noexcept {
  if (count == 0 && size == 0) {
    return {};
  }
  if (size == grouped_size(count, group) && count != 0) {
    const Scan<Magnitude> scan =
        scan_in_words<Known, known_words>(family, text, size, count, group, separator, largest);
    if (scan.misfits == 0) {
      if (scan.too_large) {
        return {size, std::errc::result_out_of_range};
      }
      return {size, std::errc{}, static_cast<Magnitude>(scan.value)};
    }
  }
  return find_misfit(text, size, count, family.base, group, separator, largest);
}

// Calls `visit` with the reading kernel of `base`'s family, which is in
// 2..36.
template <typename Visit>
BITSPLIT_ALWAYS_INLINE inline auto visit_reading_family(std::uint32_t base,
                                                        const Visit& visit) noexcept {
  switch (base) {
    case 2:
      return visit(BinaryChars{});
    case 8:
      return visit(OctalChars{});
    case 10:
      return visit(DecimalChars{});
    case 16:
      return visit(HexChars{});
    default:
      return visit(AnyBaseChars{base, eighth_power(base)});
  }
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_READ_HPP
