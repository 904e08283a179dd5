#ifndef BITSPLIT_DETAIL_RECIPROCAL_HPP
#define BITSPLIT_DETAIL_RECIPROCAL_HPP

// Any base from 2 to 36: two digits per multiply by a reciprocal of base^2
// made at compile time, instead of a hardware division, and their two
// characters from the base's table of pairs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "bitsplit/detail/pieces.hpp"
#include "bitsplit/detail/portable.hpp"

namespace bitsplit::detail {

// n / divisor == n * multiplier >> shift for every n below 2^31; the
// kernel divides larger values in hardware.
struct Reciprocal {
  std::uint64_t multiplier = 0;
  std::uint32_t shift = 0;
};

// With multiplier = ceil(2^shift / d) = (2^shift + e) / d, where e < d,
// n * multiplier / 2^shift = n / d + n * e / (d * 2^shift), and the second
// term stays below 1 / d, too little to reach the next multiple of d, as long
// as n * e < 2^shift; n < 2^31 and e < d <= 2^(shift - 31) see to that. The
// multiplier is at most 2^32, so the product fits in 64 bits.
constexpr Reciprocal reciprocal_of(std::uint32_t divisor) noexcept {
  std::uint32_t shift = 31;
  while ((std::uint64_t{1} << (shift - 31)) < divisor) {
    ++shift;
  }
  return {((std::uint64_t{1} << shift) + divisor - 1) / divisor, shift};
}

inline constexpr auto pair_reciprocals = [] {
  std::array<Reciprocal, max_base + 1> reciprocals{};
  for (std::uint32_t base = 2; base <= max_base; ++base) {
    reciprocals[base] = reciprocal_of(base * base);
  }
  return reciprocals;
}();

template <std::uint32_t... bases>
constexpr auto pair_tables_of(std::integer_sequence<std::uint32_t, bases...> /*bases*/) noexcept {
  return std::array<const char*, sizeof...(bases)>{
      (bases < 2 ? nullptr : digit_pairs<(bases < 2 ? 2 : bases)>.data())...};
}

// digit_pairs of every base, indexed by the base.
inline constexpr auto pair_tables =
    pair_tables_of(std::make_integer_sequence<std::uint32_t, max_base + 1>{});

// Puts the low ceil(count / 8) * 8 digits of `value` in `base` in `words`,
// and returns whether `value` has at most `count` digits. `value` is below
// 2^31 unless `above_31_bits`.
template <bool above_31_bits>
inline bool make_reciprocal_words(std::uint32_t value, std::uint32_t count, std::uint32_t base,
                                  DigitWords<4>& words) noexcept {
  const Reciprocal reciprocal = pair_reciprocals[base];
  const char* pairs = pair_tables[base];
  const std::uint32_t pair_base = base * base;
  std::uint32_t rest = value;
  for (std::uint32_t index = 0; index < words.size(); ++index) {
    std::uint64_t word = zero_chars;
    if (8 * index < count) {
      word = 0;
      for (std::uint32_t shift = 0; shift < 64; shift += 16) {
        // Only the first pair of a value of 2^31 or more needs the division.
        const auto next =
            !above_31_bits || rest < (1U << 31U)
                ? static_cast<std::uint32_t>((rest * reciprocal.multiplier) >> reciprocal.shift)
                : rest / pair_base;
        const std::uint32_t pair = rest - next * pair_base;
        rest = next;
        const std::size_t pair_at = std::size_t{2} * pair;
        const std::uint32_t low = static_cast<unsigned char>(pairs[pair_at]);
        const std::uint32_t high = static_cast<unsigned char>(pairs[pair_at + 1]);
        word |= std::uint64_t{low | (high << 8U)} << shift;
      }
    }
    words[index] = word;
  }
  // It fits when nothing is left past the words, nor in the last word past
  // the count.
  const std::uint32_t past = count % 8;
  return rest == 0 && (past == 0 || (words[count / 8] >> (8 * past)) == (zero_chars >> (8 * past)));
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_RECIPROCAL_HPP
