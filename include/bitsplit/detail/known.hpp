#ifndef BITSPLIT_DETAIL_KNOWN_HPP
#define BITSPLIT_DETAIL_KNOWN_HPP

// Writing and reading in a format given as a template argument. Every choice
// that hangs on the format is made by `if constexpr` or folds from constants
// in the code, so only the format's own code is instantiated, with any
// compiler and at any optimisation level, and an optimised build turns it
// into straight-line code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/grouped.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/read.hpp"
#include "bitsplit/detail/read_words.hpp"
#include "bitsplit/detail/reciprocal.hpp"
#include "bitsplit/detail/vector_groups.hpp"
#include "bitsplit/detail/vector_words.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

// What fixed_text's filling constructor asks for, so that it is not taken
// for a constructor of the public interface.
struct TextKey {
  explicit TextKey() = default;
};

// Whether a format given as a template argument is one that the function
// forms take; if not, the compiler says why.
template <auto format>
consteval bool check_known_format() {
  static_assert(format.base >= 2 && format.base <= max_base,
                "bitsplit: a format's base must be 2 to 36");
  static_assert(format.group >= 0, "bitsplit: a format's group must not be negative");
  static_assert(format.group == 0 || format.separator != '\0',
                "bitsplit: a grouped format's separator must not be '\\0'");
  static_assert(format.group == 0 || !is_digit_of(format.separator, format.base),
                "bitsplit: a grouped format's separator must not be a digit of its base");
  return true;
}

// `Magnitude` / base^`power`, and 0 once base^`power` is past Magnitude's
// largest value.
template <std::uint32_t base, std::uint32_t power, typename Magnitude>
BITSPLIT_ALWAYS_INLINE constexpr Magnitude quotient_by_power(Magnitude value) noexcept {
  constexpr auto divisor = [] {
    Magnitude result = 1;
    for (std::uint32_t done = 0; done < power; ++done) {
      if (result > std::numeric_limits<Magnitude>::max() / base) {
        return Magnitude{0};
      }
      result *= base;
    }
    return result;
  }();
  if constexpr (divisor == 0) {
    return 0;
  } else {
    return value / divisor;
  }
}

// Pair p (below base^2) of a 32-bit lane of `pairs` as its digits, the low
// one in byte 2p: the high digit is (p * m) >> 16 for m = 2^16 / base
// rounded up, exact as p * (m * base - 2^16) < 36^2 * 36 < 2^16, and no
// lane's product reaches the next.
template <std::uint32_t base>
BITSPLIT_ALWAYS_INLINE constexpr std::uint64_t split_pairs(std::uint64_t pairs) noexcept {
  constexpr std::uint64_t reciprocal = ((std::uint64_t{1} << 16U) + base - 1) / base;
  const std::uint64_t high = ((pairs * reciprocal) >> 16U) & 0x000000ff000000ffU;
  const std::uint64_t both = (pairs - high * base) | (high << 8U);
  return (both & 0xffffU) | ((both >> 16U) & 0xffff0000U);
}

// Any base, its divisors known: each quotient by a power of the base is a
// multiply from the value itself, so that they are taken side by side rather
// than each waiting for the one before. A whole word takes its digits in
// pairs, pair p the quotient by base^(2p) less base^2 times the quotient by
// base^(2p + 2), split two at a time in one word; fewer digits (which pairs
// made slower: base 36 width 6 by a tenth) take digit i as the quotient by
// base^i less base times the next. Only the `count` digits asked for are
// made.
template <std::uint32_t base>
struct KnownBaseDigits {
  // Below 8 digits, the bytes past the count are '0' (a 128-bit rest that
  // takes the shared kernel leaves a rest, so the value fails anyway).
  static constexpr bool makes_only_the_count = true;
  std::uint64_t letter_gap = lower_letter_gap;

  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE constexpr DigitStep<Magnitude> step(
      Magnitude rest, std::uint32_t count) const noexcept {
    if constexpr (sizeof(Magnitude) > 8) {
      // A 128-bit division is a library call even by a constant: the shared
      // kernel's two digits a division serve better, until the rest fits in
      // 64 bits, as it does for the last words.
      if ((rest >> 64U) != 0) {
        return AnyBaseDigits{reciprocals[base], letter_gap}.step(rest, count);
      }
      const DigitStep<std::uint64_t> low = step(static_cast<std::uint64_t>(rest), count);
      return {low.word, low.rest};
    } else {
      const DigitStep<Magnitude> digits = count >= 8 ? in_pairs(rest) : one_by_one(rest, count);
      if constexpr (base <= 10) {
        return {digits.word | zero_chars, digits.rest};
      } else {
        const std::uint64_t letters = ((digits.word + 118 * each_byte) >> 7U) & each_byte;
        return {digits.word + zero_chars + letter_gap * letters, digits.rest};
      }
    }
  }

  // Eight digit values, not yet characters.
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr DigitStep<Magnitude> in_pairs(
      Magnitude rest) noexcept {
    std::array<std::uint64_t, 2> pairs{};  // 32-bit lanes: pairs 0 and 1, 2 and 3
    [&]<std::uint32_t... pair>(std::integer_sequence<std::uint32_t, pair...>)
        BITSPLIT_ALWAYS_INLINE_LAMBDA {
      ((pairs[pair / 2] |=
        static_cast<std::uint64_t>(quotient_by_power<base, 2 * pair>(rest) -
                                   quotient_by_power<base, 2 * pair + 2>(rest) * base * base)
        << (32 * (pair % 2))),
       ...);
    }
    (std::make_integer_sequence<std::uint32_t, 4>{});
    return {split_pairs<base>(pairs[0]) | (split_pairs<base>(pairs[1]) << 32U),
            quotient_by_power<base, 8>(rest)};
  }

  // The low `count` (below 8) digit values.
  template <typename Magnitude>
  [[nodiscard]] BITSPLIT_ALWAYS_INLINE static constexpr DigitStep<Magnitude> one_by_one(
      Magnitude rest, std::uint32_t count) noexcept {
    std::uint64_t word = 0;
    Magnitude left = rest;
    [&]<std::uint32_t... index>(std::integer_sequence<std::uint32_t, index...>)
        BITSPLIT_ALWAYS_INLINE_LAMBDA {
      const auto add_digit =
          [&]<std::uint32_t place>(std::integral_constant<std::uint32_t, place>)
              BITSPLIT_ALWAYS_INLINE_LAMBDA {
                if (place < count) {
                  const Magnitude above = quotient_by_power<base, place + 1>(rest);
                  const Magnitude here = quotient_by_power<base, place>(rest);
                  word |= static_cast<std::uint64_t>(here - above * base) << (8 * place);
                  left = above;
                }
              };
      (add_digit(std::integral_constant<std::uint32_t, index>{}), ...);
    }
    (std::make_integer_sequence<std::uint32_t, 8>{});
    return {word, left};
  }
};

#ifdef BITSPLIT_HAS_VECTOR_WORDS
using ShortDecimalKnownDigits = ShortDecimalVectorDigits;
#else
using ShortDecimalKnownDigits = KnownBaseDigits<10>;
#endif

// The writing kernel of a known base. A count below 8 in base 10 takes only
// its own digits, where the decimal word kernel would make eight.
template <std::uint32_t base, std::uint32_t count>
BITSPLIT_ALWAYS_INLINE constexpr auto known_writing_family(std::uint32_t letter_gap) noexcept {
  if constexpr (base == 2) {
    return BinaryKnownDigits{};
  } else if constexpr (base == 8) {
    return OctalDigits{};
  } else if constexpr (base == 10) {
    if constexpr (count >= 8) {
      return DecimalKnownDigits{};
    } else {
      return ShortDecimalKnownDigits{};
    }
  } else if constexpr (base == 16) {
    return HexKnownDigits{letter_gap};
  } else {
    return KnownBaseDigits<base>{letter_gap};
  }
}

template <std::uint32_t base>
BITSPLIT_ALWAYS_INLINE constexpr auto known_reading_family() noexcept {
  if constexpr (base == 2) {
    return BinaryKnownChars{};
  } else if constexpr (base == 16) {
    return HexKnownChars{};
  } else if constexpr (base <= 10) {
    return SmallBaseKnownChars<base>{};
  } else {
    return LetterBaseKnownChars<base>{};
  }
}

// write_formatted for a known format, which is usable.
template <auto format, typename Magnitude, typename Ending>
BITSPLIT_ALWAYS_INLINE constexpr char* write_known(Magnitude value, char* buffer,
                                                   Ending ending) noexcept {
  constexpr std::uint32_t count = count_of(format.width);
  constexpr auto base = static_cast<std::uint32_t>(format.base);
  constexpr std::uint32_t letter_gap = letter_gap_of(format);
  constexpr auto group = static_cast<std::uint32_t>(format.group);
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    const auto family = known_writing_family<base, count>(letter_gap);
    constexpr std::uint32_t size = grouped_size(count, group);
    if constexpr (group == 0 || count == 0) {
      return convert_here<true>(family, value, buffer, count, ending);
#ifdef BITSPLIT_HAS_VECTOR_WORDS
    } else if constexpr (writes_in_lanes<base, count, group, format.separator, sizeof value>) {
      return write_lane_groups<base, count, group, format.separator, letter_gap>(value, buffer)
                 ? Ending::ended(buffer, size)
                 : nullptr;
#endif
    } else {
      return write_grouped_in_words<true>(family, value, buffer, count, group, format.separator)
                 ? Ending::ended(buffer, size)
                 : nullptr;
    }
  }
#endif
  if constexpr (group == 0 || count == 0) {
    return convert_portably(value, buffer, count, base, letter_gap, ending);
  } else {
    return convert_grouped_portably(value, buffer, count, base, letter_gap, group, format.separator,
                                    ending);
  }
}

// read_digits for a known format, which is usable.
template <auto format, typename Magnitude>
BITSPLIT_ALWAYS_INLINE constexpr ReadOutcome<Magnitude> read_known(const char* text,
                                                                   std::size_t size,
                                                                   Magnitude largest) noexcept {
  constexpr std::uint32_t count = count_of(format.width);
  constexpr auto base = static_cast<std::uint32_t>(format.base);
  constexpr auto group = static_cast<std::uint32_t>(format.group);
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
#ifdef BITSPLIT_HAS_VECTOR_WORDS
    if constexpr (base == 2 && group != 0 &&
                  BinaryGroupReading<count, group, format.separator, Magnitude>::fits) {
      if (size == grouped_size(count, group)) {
        bool misfit = false;
        const std::uint64_t value =
            read_binary_groups<count, group, format.separator, Magnitude>(text, misfit);
        if (!misfit) {
          return value > largest
                     ? ReadOutcome<Magnitude>{size, std::errc::result_out_of_range}
                     : ReadOutcome<Magnitude>{size, std::errc{}, static_cast<Magnitude>(value)};
        }
      }
      return find_misfit(text, size, count, base, group, format.separator, largest);
    }
#endif
    return read_here<true>(known_reading_family<base>(), text, size, count, group, format.separator,
                           largest);
  }
#endif
  return read_digits_portably(text, size, count, base, group, format.separator, largest);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_KNOWN_HPP
