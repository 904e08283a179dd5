#ifndef BITSPLIT_DETAIL_MAGNITUDE_HPP
#define BITSPLIT_DETAIL_MAGNITUDE_HPP

// A value that is not negative, in the unsigned type the kernels take, so
// that unsigned arithmetic is exact and cheaper; and the way back.

#include <concepts>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "bitsplit/detail/compiler.hpp"

namespace bitsplit::detail {

template <typename T>
inline constexpr bool is_int128 =
#ifdef __SIZEOF_INT128__
    std::same_as<std::remove_cv_t<T>, int128> || std::same_as<std::remove_cv_t<T>, uint128>;
#else
    false;
#endif

// Not std::is_signed_v, which is false for __int128 in strict modes.
template <typename T>
inline constexpr bool is_signed_integer = static_cast<T>(-1) < static_cast<T>(0);

template <typename T>
BITSPLIT_ALWAYS_INLINE constexpr bool is_negative(T value) noexcept {
  if constexpr (is_signed_integer<T>) {
    return value < 0;
  } else {
    return false;
  }
}

// The unsigned type with at least T's bits that the kernels take.
template <typename T>
struct MagnitudeOf {
  using type = std::conditional_t<sizeof(T) <= 4, std::uint32_t, std::uint64_t>;
};
#ifdef __SIZEOF_INT128__
template <>
struct MagnitudeOf<int128> {
  using type = uint128;
};
template <>
struct MagnitudeOf<uint128> {
  using type = uint128;
};
#endif

template <typename T>
using magnitude_t = typename MagnitudeOf<std::remove_cv_t<T>>::type;

template <typename T>
BITSPLIT_ALWAYS_INLINE constexpr magnitude_t<T> magnitude_of(T value) noexcept {
  return static_cast<magnitude_t<T>>(value);
}

// T's largest value as its magnitude: std::numeric_limits does not know the
// 128-bit types in strict modes.
template <typename T>
inline constexpr magnitude_t<T> largest_magnitude =
    static_cast<magnitude_t<T>>(~magnitude_t<T>{0}) >>
    (8 * (sizeof(magnitude_t<T>) - sizeof(T)) + (is_signed_integer<T> ? 1 : 0));

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_MAGNITUDE_HPP
