// libFuzzer target. The first 28 bytes are the low 64 bits of a value, a
// width, a base, one of the checked types, the value's next 64 bits (used by
// 128-bit types), the letter case, a group and a separator; the call is
// checked against the oracle in an exact-size heap block, and so is
// to_fixed_chars against the same bytes less the terminator. Whatever follows is
// a text, read as that type in that format and checked against the oracle's
// reader, and reversed by reverse_char and compared with std::reverse.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "conversion_check.hpp"

namespace {

template <typename T>
T take(const std::uint8_t* data) {
  T number{};
  std::memcpy(&number, data, sizeof number);
  return number;
}

// Widths and bases are folded onto the ranges where the contract has
// something to say, a little beyond each edge.
std::int32_t folded(std::uint32_t raw, std::int32_t lowest, std::int32_t highest) {
  return lowest + static_cast<std::int32_t>(raw % static_cast<std::uint32_t>(highest - lowest + 1));
}

template <typename T>
bitsplit_test::Fault check(bitsplit_test::WidestBits bits, const bitsplit::digit_format& format,
                           std::string_view text) {
  const bitsplit_test::Fault fault =
      bitsplit_test::check_against_oracle(static_cast<T>(bits), format);
  return fault ? fault : bitsplit_test::check_reading_against_oracle<T>(text, format);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t header = 8 + 4 + 4 + 1 + 8 + 1 + 1 + 1;
  constexpr std::size_t type_count = []<typename... Types>(bitsplit_test::TypeList<Types...>) {
    return sizeof...(Types);
  }(bitsplit_test::checked_types{});
  if (size < header) {
    return -1;
  }
  const auto bits =
      take<std::uint64_t>(data) |
      (static_cast<bitsplit_test::WidestBits>(take<std::uint64_t>(data + 17)) << 32U << 32U);
  const bitsplit::digit_format format{
      .width = folded(take<std::uint32_t>(data + 8), -2, bitsplit_test::max_checked_width),
      .base = folded(take<std::uint32_t>(data + 12), -1, 38),
      .letters = (data[25] & 1U) != 0 ? bitsplit::letter_case::upper : bitsplit::letter_case::lower,
      .group = folded(data[26], -1, 17),
      .separator = static_cast<char>(data[27])};
  // In a block of its own size, so that a read past its end is caught.
  const std::vector<char> text(data + header, data + size);
  const bitsplit_test::Fault fault =
      []<typename... Types>(bitsplit_test::TypeList<Types...>, std::size_t type,
                            bitsplit_test::WidestBits bits, const bitsplit::digit_format& format,
                            std::string_view input) {
        bitsplit_test::Fault found;
        std::size_t index = 0;
        static_cast<void>(
            ((index++ == type && (found = check<Types>(bits, format, input), true)) || ...));
        return found;
      }(bitsplit_test::checked_types{}, data[16] % type_count, bits, format,
        std::string_view(text.data(), text.size()));
  if (fault) {
    static_cast<void>(std::fprintf(stderr, "%s\n", bitsplit_test::describe(fault).c_str()));
    std::abort();
  }

  std::vector<char> reversed = text;
  bitsplit::reverse_char(reversed.data(), static_cast<std::uint32_t>(reversed.size()));
  if (!std::equal(text.rbegin(), text.rend(), reversed.begin())) {
    std::abort();
  }
  return 0;
}
