#ifndef BITSPLIT_DETAIL_WRITE_HPP
#define BITSPLIT_DETAIL_WRITE_HPP

// Writing in a format that has passed its checks, with groups or without:
// the one body of the terminated format forms and of to_fixed_chars.

#include <cstddef>
#include <cstdint>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/convert.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/grouped.hpp"
#include "bitsplit/detail/kernels.hpp"

namespace bitsplit::detail {

// The formatted digits of `value` at `buffer`, ended as `Ending` says: what
// Ending::ended returns, or null when `value` has more digits than the
// width. `format` is digit_format, usable.
template <typename Magnitude, typename Format, typename Ending>
BITSPLIT_ALWAYS_INLINE constexpr char* write_formatted(Magnitude value, char* buffer,
                                                       const Format& format,
                                                       Ending ending) noexcept {
  const std::uint32_t count = count_of(format.width);
  const auto base = static_cast<std::uint32_t>(format.base);
  const std::uint32_t letter_gap = letter_gap_of(format);
  if (format.group == 0 || count == 0) {
    return convert(value, buffer, count, base, letter_gap, ending);
  }
  return convert_grouped(value, buffer, count, base, letter_gap,
                         static_cast<std::uint32_t>(format.group), format.separator, ending);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_WRITE_HPP
