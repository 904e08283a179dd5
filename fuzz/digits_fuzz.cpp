// libFuzzer target: the first twelve bytes are a value, a width and a base for
// my_itoa, checked against the oracle in an exact-size heap block; whatever
// follows is reversed by reverse_char and compared with std::reverse.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conversion_check.hpp"

namespace {

std::int32_t take_int32(const std::uint8_t* data) {
  std::int32_t number = 0;
  std::memcpy(&number, data, sizeof number);
  return number;
}

// Widths and bases are folded onto the ranges where the contract has
// something to say, a little beyond each edge.
std::int32_t folded(std::int32_t raw, std::int32_t lowest, std::int32_t highest) {
  const auto span = static_cast<std::uint32_t>(highest - lowest + 1);
  return lowest + static_cast<std::int32_t>(static_cast<std::uint32_t>(raw) % span);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t header = 3 * sizeof(std::int32_t);
  if (size < header) {
    return -1;
  }
  const std::int32_t value = take_int32(data);
  const std::int32_t width = folded(take_int32(data + 4), -2, bitsplit_test::max_checked_width);
  const std::int32_t base = folded(take_int32(data + 8), -1, 38);
  if (bitsplit_test::check_against_oracle(value, width, base)) {
    std::abort();
  }

  const std::vector<char> text(data + header, data + size);
  std::vector<char> reversed = text;
  bitsplit::reverse_char(reversed.data(), static_cast<std::uint32_t>(reversed.size()));
  if (!std::equal(text.rbegin(), text.rend(), reversed.begin())) {
    std::abort();
  }
  return 0;
}
