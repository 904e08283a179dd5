#include "bitsplit/digits.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "conversion_check.hpp"

// Each check is a constexpr function that returns the first fault it finds.
// It runs once in a static_assert and once as a test, so the compile-time and
// the run-time code of the routine are held to the same answers.

namespace {

using bitsplit::my_itoa;
using bitsplit::reverse_char;
using bitsplit_test::check_against_oracle;
using bitsplit_test::check_conversion;
using bitsplit_test::Fault;
using bitsplit_test::Outcome;
using bitsplit_test::sentinel;

struct Case {
  std::int32_t value, width, base;
  bool fits;
  std::string_view written;  // The first `width` bytes after the call.
};

constexpr std::string_view untouched = "****";

constexpr std::array known_answers = {
    Case{1'000'000, 32, 2, true, "00000000000011110100001001000000"},
    Case{4, 4, 2, true, "0100"},
    Case{1, 4, 2, true, "0001"},
    Case{7, 3, 2, true, "111"},
    Case{255, 3, 10, true, "255"},
    Case{42, 5, 10, true, "00042"},
    Case{0, 4, 2, true, "0000"},
    Case{0, 4, 36, true, "0000"},
    Case{0, 0, 10, true, ""},
    Case{0, -3, 10, true, ""},
    Case{255, 2, 16, true, "ff"},
    Case{10, 1, 16, true, "a"},
    Case{35, 1, 36, true, "z"},
    Case{INT32_MAX, 10, 10, true, "2147483647"},
    Case{INT32_MAX, 6, 36, true, "zik0zj"},
    // Too long: the low-order digits, least significant first, unterminated.
    Case{8, 3, 2, false, "000"},
    Case{1000, 3, 10, false, "000"},
    Case{1234, 2, 10, false, "43"},
    Case{255, 1, 16, false, "f"},
    Case{1'000'000, 16, 2, false, "0000001001000010"},
    Case{1, 0, 10, false, ""},
    Case{INT32_MAX, -1, 2, false, ""},
    // Refused: nothing is written.
    Case{-1, 4, 10, false, untouched},
    Case{-5, 3, 10, false, untouched.substr(1)},
    Case{INT32_MIN, 4, 2, false, untouched},
    Case{5, 4, 0, false, untouched},
    Case{0, 4, 1, false, untouched},
    Case{5, 4, -2, false, untouched},
    Case{5, 4, 37, false, untouched},
    Case{0, 4, 37, false, untouched},
    Case{5, 4, INT32_MIN, false, untouched},
};

// Checks each case against its literal answer, and the oracle against it too,
// since the sweep below trusts the oracle.
constexpr Fault known_answer_fault() {
  for (const auto& [value, width, base, fits, written] : known_answers) {
    Outcome expected{fits, {}};
    std::copy(written.begin(), written.end(), expected.bytes.begin());
    expected.bytes[written.size()] = fits ? '\0' : sentinel;

    const auto digits = bitsplit_test::is_refused(value, base)
                            ? bitsplit_test::Digits{}
                            : bitsplit_test::digits_of(value, base);
    if (bitsplit_test::expected_outcome(value, width, base, digits).bytes != expected.bytes) {
      return {"the oracle disagrees with the known answer", value, width, base};
    }
    std::array<char, 40> room{};
    if (const Fault fault = check_conversion(value, width, base, expected, room.data())) {
      return fault;
    }
  }
  if (my_itoa(5, nullptr, 4, 10) != nullptr || my_itoa(0, nullptr, 0, 2) != nullptr) {
    return {"accepted a null buffer"};
  }
  return {};
}

// Every base, values on both sides of each power of the base, every width
// from -1 to two past the longest value.
constexpr Fault boundary_fault(std::int32_t first_base, std::int32_t last_base) {
  for (std::int32_t base = first_base; base <= last_base; ++base) {
    std::array<std::int32_t, 100> values{0, 1, INT32_MAX - 1, INT32_MAX};
    std::size_t count = 4;
    for (std::int64_t power = base; power <= INT32_MAX; power *= base) {
      values[count++] = static_cast<std::int32_t>(power - 1);
      values[count++] = static_cast<std::int32_t>(power);
      values[count++] = static_cast<std::int32_t>(std::min<std::int64_t>(power + 1, INT32_MAX));
    }
    for (std::size_t index = 0; index < count; ++index) {
      for (std::int32_t width = -1; width <= 33; ++width) {
        if (const Fault fault = check_against_oracle(values[index], width, base)) {
          return fault;
        }
      }
    }
  }
  return {};
}

// Reverses "ABC..." in a block of exactly `length` characters.
constexpr Fault reverse_fault() {
  for (std::uint32_t length = 0; length <= 40; ++length) {
    char* text = new char[length];
    for (std::uint32_t index = 0; index < length; ++index) {
      text[index] = static_cast<char>('A' + index);
    }
    reverse_char(text, length);
    bool reversed = true;
    for (std::uint32_t index = 0; index < length; ++index) {
      reversed = reversed && text[index] == static_cast<char>('A' + (length - 1 - index));
    }
    delete[] text;
    if (!reversed) {
      return {"reverse_char", 0, static_cast<std::int32_t>(length)};
    }
  }
  return {};
}

// The byte swap in use (std::byteswap, a builtin or the fallback) against the
// shift-and-mask fallback, and the fallback against known words.
constexpr Fault byte_swap_fault() {
  using bitsplit::detail::byte_swapped;
  using bitsplit::detail::byte_swapped_portably;
  if (byte_swapped_portably(std::uint64_t{0x0102030405060708}) != 0x0807060504030201 ||
      byte_swapped_portably(std::uint32_t{0x01020304}) != 0x04030201) {
    return {"byte_swapped_portably"};
  }
  for (const std::uint64_t word : {std::uint64_t{0}, std::uint64_t{0x8000000000000001},
                                   std::uint64_t{0x0123456789abcdef}, ~std::uint64_t{0}}) {
    const auto half = static_cast<std::uint32_t>(word >> 8U);
    if (byte_swapped(word) != byte_swapped_portably(word) ||
        byte_swapped(half) != byte_swapped_portably(half)) {
      return {"byte_swapped"};
    }
  }
  return {};
}

// One evaluation a base, so that none reaches the compilers' step limits.
template <std::int32_t base>
constexpr bool boundaries_hold = !boundary_fault(base, base);

static_assert(!known_answer_fault());
static_assert(!reverse_fault());
static_assert(!byte_swap_fault());
static_assert([]<std::int32_t... offset>(std::integer_sequence<std::int32_t, offset...>) {
  return (boundaries_hold<2 + offset> && ...);
}(std::make_integer_sequence<std::int32_t, 35>{}));

void expect_no_fault(const Fault& fault) {
  EXPECT_FALSE(fault) << fault.what << ": value " << fault.value << ", width " << fault.width
                      << ", base " << fault.base;
}

TEST(MyItoa, KnownAnswers) { expect_no_fault(known_answer_fault()); }

TEST(MyItoa, MatchesTheOracleAroundEveryPowerOfEveryBase) {
  expect_no_fault(boundary_fault(2, 36));
}

TEST(ReverseChar, ReversesExactlyTheGivenLength) { expect_no_fault(reverse_fault()); }

TEST(ByteSwap, MatchesTheShiftAndMaskFallback) { expect_no_fault(byte_swap_fault()); }

}  // namespace
