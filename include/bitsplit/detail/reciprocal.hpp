#ifndef BITSPLIT_DETAIL_RECIPROCAL_HPP
#define BITSPLIT_DETAIL_RECIPROCAL_HPP

// Division by a base, or its square, known only at run time, as a multiply
// and a shift made at compile time, instead of a hardware division.

#include <array>
#include <cstdint>
#include <limits>

#include "bitsplit/detail/portable.hpp"

namespace bitsplit::detail {

// n / divisor == ((n + increment) * multiplier) >> shift for every 32-bit n
// (reciprocal_is_exact proves it for each one made).
struct Reciprocal {
  std::uint32_t multiplier = 0;
  std::uint16_t divisor = 0;
  std::uint8_t shift = 0;
  std::uint8_t increment = 0;

  // `n` / `divisor` for any n: the multiply for 32-bit values, which are all
  // that a 32-bit type holds and what a wider one soon shrinks to, and a
  // hardware division above.
  template <typename Magnitude>
  [[nodiscard]] constexpr Magnitude quotient(Magnitude n) const noexcept {
    if (n > std::numeric_limits<std::uint32_t>::max()) {
      return n / divisor;
    }
    return static_cast<Magnitude>(
        ((std::uint64_t{static_cast<std::uint32_t>(n)} + increment) * multiplier) >> shift);
  }
};

inline constexpr std::uint64_t largest_dividend = std::numeric_limits<std::uint32_t>::max();

// The error bound that makes a reciprocal exact for every n up to N =
// largest_dividend, with n = q * divisor + r and 0 <= r < divisor:
// - rounded up (increment 0): multiplier * base = 2^shift + e, and
//   n * multiplier / 2^shift = n / divisor + n * e / (divisor * 2^shift),
//   which stays below q + 1 as long as n * e < 2^shift (r + n * e / 2^shift
//   < divisor);
// - rounded down (increment 1): multiplier * base = 2^shift - e with e > 0,
//   and (n + 1) * multiplier / 2^shift = q + (r + 1 - (n + 1) * e / 2^shift)
//   / divisor, which stays in [q, q + 1) as long as (n + 1) * e <= 2^shift;
// and (N + increment) * multiplier must fit in 64 bits.
constexpr bool reciprocal_is_exact(const Reciprocal& reciprocal) noexcept {
  const std::uint64_t power = std::uint64_t{1} << reciprocal.shift;
  const std::uint64_t product = std::uint64_t{reciprocal.multiplier} * reciprocal.divisor;
  const std::uint64_t largest = largest_dividend + reciprocal.increment;
  if (reciprocal.divisor < 2 || reciprocal.multiplier == 0 ||
      largest > std::numeric_limits<std::uint64_t>::max() / reciprocal.multiplier) {
    return false;
  }
  if (reciprocal.increment == 0) {
    const std::uint64_t error = product - power;
    return product >= power && (error == 0 || largest < power / error ||
                                (largest == power / error && power % error != 0));
  }
  const std::uint64_t error = power - product;
  return reciprocal.increment == 1 && product < power && largest <= power / error;
}

// The first shift from 32 up that gives an exact reciprocal, rounded up if
// that is exact and down otherwise.
constexpr Reciprocal reciprocal_of(std::uint32_t divisor) noexcept {
  for (std::uint32_t shift = 32; shift < 64; ++shift) {
    const std::uint64_t power = std::uint64_t{1} << shift;
    for (const std::uint8_t increment : {std::uint8_t{0}, std::uint8_t{1}}) {
      const std::uint64_t rounding = increment == 0 && power % divisor != 0 ? 1 : 0;
      const std::uint64_t multiplier = power / divisor + rounding;
      if (multiplier > std::numeric_limits<std::uint32_t>::max()) {
        continue;
      }
      const Reciprocal reciprocal{static_cast<std::uint32_t>(multiplier),
                                  static_cast<std::uint16_t>(divisor),
                                  static_cast<std::uint8_t>(shift), increment};
      if (reciprocal_is_exact(reciprocal)) {
        return reciprocal;
      }
    }
  }
  return {};
}

// A base's reciprocal and its square's, for a digit and for a pair of digits.
struct BaseReciprocals {
  Reciprocal digit;
  Reciprocal pair;
};

// Indexed by the base; 16 bytes each.
inline constexpr auto reciprocals = [] {
  std::array<BaseReciprocals, max_base + 1> table{};
  for (std::uint32_t base = 2; base <= max_base; ++base) {
    table[base] = {reciprocal_of(base), reciprocal_of(base * base)};
  }
  return table;
}();

static_assert(
    [] {
      for (std::uint32_t base = 2; base <= max_base; ++base) {
        if (!reciprocal_is_exact(reciprocals[base].digit) ||
            !reciprocal_is_exact(reciprocals[base].pair)) {
          return false;
        }
      }
      return true;
    }(),
    "every base from 2 to 36 and its square have a reciprocal exact for all 32-bit values");

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_RECIPROCAL_HPP
