#ifndef BITSPLIT_DETAIL_KERNELS_HPP
#define BITSPLIT_DETAIL_KERNELS_HPP

// Where a conversion's code is chosen. A format the compiler knows takes
// straight-line code; any other one of the out-of-line kernels, one for each
// family of bases, magnitude and way of writing or reading, all called the
// same way, from tables. A function form picks its kernel on each call; a
// prepared format picks it once. Either way a call is one out-of-line call.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/gather.hpp"
#include "bitsplit/detail/grouped.hpp"
#include "bitsplit/detail/known.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/read.hpp"
#include "bitsplit/detail/read_words.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

// A usable format in the kernels' terms: 20 bytes.
struct Layout {
  std::uint32_t count = 0;  // Digits.
  std::uint32_t size = 0;   // Characters: the digits and the separators.
  std::uint32_t group = 0;  // 0: no separators.
  std::uint8_t base = 10;
  std::uint8_t letter_gap = lower_letter_gap;
  char separator = '_';
  std::uint8_t kernel = 0;        // A function form's: the family's place in its tables.
  std::uint8_t read_kernel = 0;   // A prepared format's: its place in prepared_read_kernels,
  std::uint8_t write_kernel = 0;  // and in prepared_write_kernels.
};

// The families with word kernels of their own, and any other base; then
// places that differ from their family's only in writing without groups,
// where a count of a run or more takes the kernel that makes runs.
enum : std::uint8_t {
  binary_family,
  octal_family,
  decimal_family,
  hex_family,
  any_base_family,
  binary_runs,
  decimal_runs,
  hex_runs,
};
inline constexpr std::size_t family_count = 5;
inline constexpr std::size_t kernel_count = 8;

// The family of each place in the tables.
inline constexpr std::array<std::uint8_t, kernel_count> families_of_kernels = {
    binary_family,   octal_family,  decimal_family, hex_family,
    any_base_family, binary_family, decimal_family, hex_family};

inline constexpr auto families_of_bases = [] {
  std::array<std::uint8_t, max_base + 1> families{};
  families.fill(any_base_family);
  families[2] = binary_family;
  families[8] = octal_family;
  families[10] = decimal_family;
  families[16] = hex_family;
  return families;
}();

// `base` is in 2..36.
BITSPLIT_ALWAYS_INLINE constexpr std::uint8_t family_of(std::uint32_t base) noexcept {
  return families_of_bases[base];
}

// The place of the kernels for writing `count` digits in `base` without
// groups, for a prepared format, which chooses once: on x86-64, that of its
// family's runs where a run fits in the count, so that a shorter count,
// which callers convert most, takes a kernel with no code for runs (which
// slowed it by a tenth). The function forms keep to the family's: choosing
// on every call slowed their short counts by a tenth too.
struct WriteChoice {
  std::uint8_t kernel = 0;
  std::uint8_t run_kernel = 0;
  std::uint16_t run_digits = 0;
};

inline constexpr auto write_choices = [] {
  std::array<WriteChoice, max_base + 1> choices{};
  for (std::uint32_t base = 0; base <= max_base; ++base) {
    const std::uint8_t family = families_of_bases[base];
    choices[base] = {family, family, 0};
  }
#ifdef BITSPLIT_HAS_VECTOR_WORDS
  choices[2] = {binary_family, binary_runs, 8 * BinaryVectorDigits::run_words};
  choices[10] = {decimal_family, decimal_runs, 8 * DecimalVectorDigits::run_words};
  choices[16] = {hex_family, hex_runs, 8 * HexVectorDigits::run_words};
#endif
  return choices;
}();

// `base` is in 2..36.
BITSPLIT_ALWAYS_INLINE constexpr std::uint8_t plain_writing_kernel(std::uint32_t base,
                                                                   std::uint32_t count) noexcept {
  const WriteChoice choice = write_choices[base];
  return count >= choice.run_digits ? choice.run_kernel : choice.kernel;
}

#ifdef BITSPLIT_HAS_VECTOR_WORDS
// A word family's steps, and the runs of words of its twin in SSE2
// registers: with a count known only at run time, a lone word is made
// faster in a general register, and whole runs faster in the vector ones.
template <typename Words, typename Runs>
struct WordsAndRuns : Words {
  static constexpr std::uint32_t run_words = Runs::run_words;
  Runs runs;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE DigitRun<Magnitude, run_words> run_step(
      Magnitude rest) const noexcept {
    return runs.run_step(rest);
  }
};
#endif

#ifdef BITSPLIT_HAS_VECTOR_WORDS
using RunTimeBinaryDigits = WordsAndRuns<BinaryDigits, BinaryVectorDigits>;
using RunTimeDecimalDigits = WordsAndRuns<DecimalDigits, DecimalVectorDigits>;
using RunTimeHexDigits = WordsAndRuns<HexDigits, HexVectorDigits>;
BITSPLIT_ALWAYS_INLINE constexpr RunTimeHexDigits run_time_hex_digits(
    std::uint64_t letter_gap) noexcept {
  return {{letter_gap}, {letter_gap}};
}
#else
using RunTimeBinaryDigits = BinaryDigits;
using RunTimeDecimalDigits = DecimalDigits;
using RunTimeHexDigits = HexDigits;
BITSPLIT_ALWAYS_INLINE constexpr RunTimeHexDigits run_time_hex_digits(
    std::uint64_t letter_gap) noexcept {
  return {letter_gap};
}
#endif

template <std::uint8_t kernel>
BITSPLIT_ALWAYS_INLINE inline auto writing_family(const Layout& layout) noexcept {
  if constexpr (kernel == binary_family) {
    return BinaryDigits{};
  } else if constexpr (kernel == octal_family) {
    return OctalDigits{};
  } else if constexpr (kernel == decimal_family) {
    return DecimalDigits{};
  } else if constexpr (kernel == hex_family) {
    return HexDigits{layout.letter_gap};
  } else if constexpr (kernel == binary_runs) {
    return RunTimeBinaryDigits{};
  } else if constexpr (kernel == decimal_runs) {
    return RunTimeDecimalDigits{};
  } else if constexpr (kernel == hex_runs) {
    return run_time_hex_digits(layout.letter_gap);
  } else {
    return AnyBaseDigits{reciprocals[layout.base], layout.letter_gap};
  }
}

template <std::uint8_t family>
BITSPLIT_ALWAYS_INLINE inline auto reading_family(const Layout& layout) noexcept {
  static_assert(family < family_count);
  if constexpr (family == binary_family) {
    return BinaryChars{};
  } else if constexpr (family == octal_family) {
    return OctalChars{};
  } else if constexpr (family == decimal_family) {
    return DecimalChars{};
  } else if constexpr (family == hex_family) {
    return HexChars{};
  } else {
    return RunTimeAnyBaseChars{layout.base, eighth_power(layout.base)};
  }
}

template <std::uint8_t kernel, typename Magnitude, typename Ending>
BITSPLIT_NOINLINE char* write_plain(const Layout& layout, Magnitude value, char* buffer) noexcept {
  return convert_here<false>(writing_family<kernel>(layout), value, buffer, layout.count, Ending{});
}

template <std::uint8_t family, typename Magnitude, typename Ending>
BITSPLIT_NOINLINE char* write_grouped(const Layout& layout, Magnitude value,
                                      char* buffer) noexcept {
  return write_grouped_in_words<false>(writing_family<family>(layout), value, buffer, layout.count,
                                       layout.group, layout.separator)
             ? Ending::ended(buffer, layout.size)
             : nullptr;
}

// Texts without groups, the most common, take kernels of their own that
// carry no code for groups.
template <std::uint8_t family, typename Magnitude>
BITSPLIT_NOINLINE ReadOutcome<Magnitude> read_plain(const Layout& layout, const char* text,
                                                    std::size_t size, Magnitude largest) noexcept {
  return read_here<false>(reading_family<family>(layout), text, size, layout.count, 0, '_',
                          largest);
}

template <std::uint8_t family, typename Magnitude>
BITSPLIT_NOINLINE ReadOutcome<Magnitude> read_grouped(const Layout& layout, const char* text,
                                                      std::size_t size,
                                                      Magnitude largest) noexcept {
  return read_gathered(reading_family<family>(layout), text, size, layout.count, layout.group,
                       layout.separator, largest);
}

// A prepared format without groups whose count fills 1 to counted_words
// words reads with a kernel for its family and its count's words, which
// the compiler then unrolls as for a known format, the leading word's
// length alone left to run time.
inline constexpr std::uint32_t counted_words = 4;

// The base of each family with word kernels of its own, whose counted
// kernels are the known formats' kernels of that base.
inline constexpr std::array<std::uint32_t, any_base_family> bases_of_families = {2, 8, 10, 16};

template <std::uint8_t place, typename Magnitude>
BITSPLIT_NOINLINE ReadOutcome<Magnitude> read_counted(const Layout& layout, const char* text,
                                                      std::size_t size,
                                                      Magnitude largest) noexcept {
  return read_here<true, place % counted_words + 1>(
      known_reading_family<bases_of_families[place / counted_words]>(), text, size, layout.count, 0,
      '_', largest);
}

// Writing the same way: the count's words known, so that the reversal
// loads each piece where the conversion stored it.
template <std::uint8_t place, typename Magnitude, typename Ending>
BITSPLIT_NOINLINE char* write_counted(const Layout& layout, Magnitude value,
                                      char* buffer) noexcept {
  constexpr std::uint32_t words = place % counted_words + 1;
  const std::uint32_t leading = layout.count - 8 * (words - 1);
  BITSPLIT_ASSUME(leading - 1 < 8);
  const std::uint32_t count = 8 * (words - 1) + leading;
  // A whole word's kernel: the count is known only at run time.
  const auto family =
      known_writing_family<bases_of_families[place / counted_words], 8>(layout.letter_gap);
  return write_low_digits_by_words<words>(family, value, buffer, count)
             ? finish(buffer, count, Ending{})
             : nullptr;
}

template <typename Magnitude>
using WriteKernel = char* (*)(const Layout&, Magnitude, char*) noexcept;
template <typename Magnitude>
using ReadKernel = ReadOutcome<Magnitude> (*)(const Layout&, const char*, std::size_t,
                                              Magnitude) noexcept;

// The function forms' kernels by their family: one table for each way of
// writing or reading, so that a program takes only the kernels of the ways
// it calls. A prepared format has tables of its own (below), so that a
// program that calls only the function forms carries none of its kernels;
// but an optimised build reads through the prepared format's table, whose
// kernels by the count's words read up to twice as fast.
template <bool grouped, typename Magnitude, typename Ending>
inline constexpr auto write_kernels = [
]<std::uint8_t... family>(std::integer_sequence<std::uint8_t, family...>) {
  if constexpr (grouped) {
    return std::array<WriteKernel<Magnitude>, family_count>{
        write_grouped<family, Magnitude, Ending>...};
  } else {
    return std::array<WriteKernel<Magnitude>, family_count>{
        write_plain<family, Magnitude, Ending>...};
  }
}
(std::make_integer_sequence<std::uint8_t, family_count>{});

template <bool grouped, typename Magnitude>
inline constexpr auto read_kernels = [
]<std::uint8_t... family>(std::integer_sequence<std::uint8_t, family...>) {
  if constexpr (grouped) {
    return std::array<ReadKernel<Magnitude>, family_count>{read_grouped<family, Magnitude>...};
  } else {
    return std::array<ReadKernel<Magnitude>, family_count>{read_plain<family, Magnitude>...};
  }
}
(std::make_integer_sequence<std::uint8_t, family_count>{});

// A prepared format's reading kernels: those by family and count's words,
// then the families' for other counts, then the families' for groups.
inline constexpr std::size_t counted_kernels = family_count * counted_words;

// The most words that a Magnitude's value fills in the family's base, up
// to counted_words: a count of more words has only '0' to add, and takes
// the family's kernel. Any other base keeps its family's: its own kernels
// read a tenth faster, for twice the size of the others. So do 128-bit
// values, rare enough not to pay for sixteen kernels of 128-bit arithmetic
// (a tenth of the sampled run's compile).
template <typename Magnitude>
inline constexpr auto counted_words_of = [] {
  std::array<std::uint32_t, family_count> words{};
  const std::array<std::uint32_t, family_count - 1> bases = {2, 8, 10, 16};
  for (std::size_t family = 0; family < bases.size() && sizeof(Magnitude) <= 8; ++family) {
    std::uint32_t digits = 0;
    for (Magnitude left = ~Magnitude{0}; left != 0; left /= bases[family]) {
      ++digits;
    }
    words[family] = std::min((digits + 7) / 8, counted_words);
  }
  return words;
}();

template <typename Magnitude>
inline constexpr auto prepared_read_kernels = [
]<std::uint8_t... place>(std::integer_sequence<std::uint8_t, place...>) {
  constexpr auto kernel_at = []<std::uint8_t at>() {
    if constexpr (at < counted_kernels) {
      if constexpr (at % counted_words < counted_words_of<Magnitude>[at / counted_words]) {
        return read_counted<at, Magnitude>;
      } else {
        return read_plain<at / counted_words, Magnitude>;
      }
    } else if constexpr (at < counted_kernels + family_count) {
      return read_plain<at - counted_kernels, Magnitude>;
    } else {
      return read_grouped<at - counted_kernels - family_count, Magnitude>;
    }
  };
  return std::array<ReadKernel<Magnitude>, counted_kernels + 2 * family_count>{
      kernel_at.template operator()<place>()...};
}
(std::make_integer_sequence<std::uint8_t, counted_kernels + 2 * family_count>{});

// A prepared format's writing kernels: those by family and count's words,
// then the places of write_kernels without groups, then with groups.
template <typename Magnitude, typename Ending>
inline constexpr auto prepared_write_kernels = [
]<std::uint8_t... place>(std::integer_sequence<std::uint8_t, place...>) {
  constexpr auto kernel_at = []<std::uint8_t at>() {
    if constexpr (at < counted_kernels) {
      if constexpr (at % counted_words < counted_words_of<Magnitude>[at / counted_words]) {
        return write_counted<at, Magnitude, Ending>;
      } else {
        return write_plain<at / counted_words, Magnitude, Ending>;
      }
    } else if constexpr (at < counted_kernels + kernel_count) {
      return write_plain<at - counted_kernels, Magnitude, Ending>;
    } else {
      return write_grouped<families_of_kernels[at - counted_kernels - kernel_count], Magnitude,
                           Ending>;
    }
  };
  return std::array<WriteKernel<Magnitude>, counted_kernels + kernel_count + family_count>{
      kernel_at.template operator()<place>()...};
}
(std::make_integer_sequence<std::uint8_t, counted_kernels + kernel_count + family_count>{});

// The place in prepared_write_kernels of a usable format's kernel. A count
// below a word takes its family's kernel too: a counted kernel makes a
// whole word, and stores and reloads it in pieces of a length known only
// at run time, a tenth slower.
template <typename Magnitude>
constexpr std::uint8_t prepared_write_kernel(std::uint32_t count, std::uint32_t base,
                                             std::uint32_t group) noexcept {
  const std::uint32_t family = family_of(base);
  if (group != 0) {
    return static_cast<std::uint8_t>(counted_kernels + kernel_count + family);
  }
  if (count < 8 || family == any_base_family || count > 8 * counted_words_of<Magnitude>[family]) {
    return static_cast<std::uint8_t>(counted_kernels + plain_writing_kernel(base, count));
  }
  return static_cast<std::uint8_t>(family * counted_words + (count + 7) / 8 - 1);
}

// The place in prepared_read_kernels of a usable format's kernel.
constexpr std::uint8_t prepared_read_kernel(std::uint32_t count, std::uint32_t base,
                                            std::uint32_t group) noexcept {
  const std::uint32_t family = family_of(base);
  if (group != 0) {
    return static_cast<std::uint8_t>(counted_kernels + family_count + family);
  }
  if (count == 0 || count > 8 * counted_words) {
    return static_cast<std::uint8_t>(counted_kernels + family);
  }
  return static_cast<std::uint8_t>(family * counted_words + (count + 7) / 8 - 1);
}

// Writes `value` as `layout` says, through its family's kernel: one
// indirect call, or a direct one where the compiler knows the family.
template <typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE inline char* write_by_kernel(const Layout& layout, Magnitude value,
                                                    char* buffer, Ending /*ending*/) noexcept {
  return layout.group == 0
             ? write_kernels<false, Magnitude, Ending>[layout.kernel](layout, value, buffer)
             : write_kernels<true, Magnitude, Ending>[layout.kernel](layout, value, buffer);
}

template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline ReadOutcome<Magnitude> read_by_kernel(const Layout& layout,
                                                                    const char* text,
                                                                    std::size_t size,
                                                                    Magnitude largest) noexcept {
  return layout.group == 0
             ? read_kernels<false, Magnitude>[layout.kernel](layout, text, size, largest)
             : read_kernels<true, Magnitude>[layout.kernel](layout, text, size, largest);
}

// The conversions of the function forms. At compile time, and everywhere
// with BITSPLIT_PORTABLE, the plain code; at run time straight-line code
// where the compiler knows the format, and the format's kernel where not.
// `base` is in 2..36.
template <typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE constexpr char* convert(Magnitude value, char* buffer, std::uint32_t count,
                                               std::uint32_t base, std::uint32_t letter_gap,
                                               Ending ending) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if constexpr (folds_known_formats) {
      if (BITSPLIT_IS_KNOWN(base) && BITSPLIT_IS_KNOWN(letter_gap) && BITSPLIT_IS_KNOWN(count)) {
        return convert_in_base(value, buffer, count, base, letter_gap, ending);
      }
    }
    return write_by_kernel(Layout{.count = count,
                                  .size = count,
                                  .base = static_cast<std::uint8_t>(base),
                                  .letter_gap = static_cast<std::uint8_t>(letter_gap),
                                  .kernel = family_of(base)},
                           value, buffer, ending);
  }
#endif
  return convert_portably(value, buffer, count, base, letter_gap, ending);
}

// `group` and `count` are at least 1.
template <typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE constexpr char* convert_grouped(Magnitude value, char* buffer,
                                                       std::uint32_t count, std::uint32_t base,
                                                       std::uint32_t letter_gap,
                                                       std::uint32_t group, char separator,
                                                       Ending ending) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if constexpr (folds_known_formats) {
      if (BITSPLIT_IS_KNOWN(count) && BITSPLIT_IS_KNOWN(base) && BITSPLIT_IS_KNOWN(letter_gap) &&
          BITSPLIT_IS_KNOWN(group) && BITSPLIT_IS_KNOWN(separator)) {
        return convert_grouped_here(value, buffer, count, base, letter_gap, group, separator,
                                    ending);
      }
    }
    return write_by_kernel(Layout{.count = count,
                                  .size = grouped_size(count, group),
                                  .group = group,
                                  .base = static_cast<std::uint8_t>(base),
                                  .letter_gap = static_cast<std::uint8_t>(letter_gap),
                                  .separator = separator,
                                  .kernel = family_of(base)},
                           value, buffer, ending);
  }
#endif
  return convert_grouped_portably(value, buffer, count, base, letter_gap, group, separator, ending);
}

// `group` is 0 for no groups. The test for a known format comes first and
// once, so that the code for it is all dropped together where the format is
// not known.
template <typename Magnitude>
BITSPLIT_ALWAYS_INLINE constexpr ReadOutcome<Magnitude> read_digits(
    const char* text, std::size_t size, std::uint32_t count, std::uint32_t base,
    std::uint32_t group, char separator, Magnitude largest) noexcept {
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    if constexpr (folds_known_formats) {
      if (BITSPLIT_IS_KNOWN(base) && BITSPLIT_IS_KNOWN(count) && BITSPLIT_IS_KNOWN(group) &&
          BITSPLIT_IS_KNOWN(separator)) {
        return visit_reading_family(base, [&](const auto& family) BITSPLIT_ALWAYS_INLINE_LAMBDA {
          return read_here<true>(family, text, size, count, group, separator, largest);
        });
      }
    }
    const Layout layout{.count = count,
                        .group = group,
                        .base = static_cast<std::uint8_t>(base),
                        .separator = separator,
                        .kernel = family_of(base)};
    if constexpr (optimised_build) {
      // A prepared format's kernel, chosen anew: a few instructions, which
      // a count's known words repay many times over.
      return prepared_read_kernels<Magnitude>[prepared_read_kernel(count, base, group)](
          layout, text, size, largest);
    } else {
      return read_by_kernel(layout, text, size, largest);
    }
  }
#endif
  return read_digits_portably(text, size, count, base, group, separator, largest);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_KERNELS_HPP
