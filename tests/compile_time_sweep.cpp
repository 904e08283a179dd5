// The sweep around every power of every base, run at compile time, so that the
// constant-evaluated code is held to the oracle's answers as the run-time code
// is. The build compiles this file once for each share of the sweep
// (BITSPLIT_SWEEP_SHARE of BITSPLIT_SWEEP_SHARES): a whole sweep in one
// compiler takes over a minute and 3.5 GB, and shares run side by side.
// Compiled alone it runs the whole sweep; a share past the last runs none,
// for tools that only read the code.
//
// std::int32_t in every base and width; in bases 10 and 16 at the edge widths,
// the styles too; every type at those in plain format, in four bases. At run
// time, digits_test sweeps every type in every base, width and style.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "conversion_check.hpp"

namespace {

#ifdef BITSPLIT_SWEEP_SHARES
constexpr std::size_t shares = BITSPLIT_SWEEP_SHARES;
constexpr std::size_t share = BITSPLIT_SWEEP_SHARE;
#else
constexpr std::size_t shares = 1;
constexpr std::size_t share = 0;
#endif

// The sweep's `job`th evaluation, in the share that runs it; each is a
// constant evaluation of its own, so that none reaches the compilers' step
// limits.
template <std::size_t job, typename T, std::int32_t base, bool every_width = true,
          std::size_t style_count = 0>
constexpr bool holds = [] {
  if constexpr (job % shares == share) {
    return !bitsplit_test::boundary_fault<T>(base, every_width, style_count);
  } else {
    return true;
  }
}();

// Base 2 has too many powers for a 128-bit type within the step limits.
template <typename T>
constexpr std::int32_t smallest_base_at_compile_time = sizeof(T) > 8 ? 10 : 2;

constexpr std::size_t bases = 35;
constexpr std::size_t styled_jobs = 2;

static_assert([]<std::int32_t... offset>(std::integer_sequence<std::int32_t, offset...>) {
  return (holds<offset, std::int32_t, 2 + offset> && ...);
}(std::make_integer_sequence<std::int32_t, bases>{}));

static_assert(holds<bases, std::int32_t, 10, false, bitsplit_test::checked_styles.size()> &&
              holds<bases + 1, std::int32_t, 16, false, bitsplit_test::checked_styles.size()>);

// Four jobs a type, each in another share, and the types' smallest bases,
// which take the longest, spread over the shares.
template <std::size_t index, std::size_t base_index>
constexpr std::size_t type_job = bases + styled_jobs + 4 * index + (index + base_index) % 4;

static_assert([]<typename... Types, std::size_t... index>(bitsplit_test::TypeList<Types...>,
                                                          std::index_sequence<index...>) {
  return ((holds<type_job<index, 0>, Types, smallest_base_at_compile_time<Types>, false> &&
           holds<type_job<index, 1>, Types, 10, false> &&
           holds<type_job<index, 2>, Types, 16, false> &&
           holds<type_job<index, 3>, Types, 36, false>)&&...);
}(bitsplit_test::checked_types{}, std::make_index_sequence<bitsplit_test::checked_types::size>{}));

}  // namespace
