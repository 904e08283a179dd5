#include "bitsplit/digits.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace {

using bitsplit::my_itoa;
using bitsplit::reverse_char;

constexpr auto report_digits = [] {
  std::array<char, 33> buffer{};
  my_itoa(1'000'000, buffer.data(), 32, 2);
  return buffer;
}();
static_assert(std::string_view(report_digits.data()) == "00000000000011110100001001000000");

constexpr char sentinel = '*';
constexpr std::size_t guard = 8;

struct Conversion {
  bool succeeded;
  std::string written;  // The first `width` bytes of the buffer after the call.
};

// Converts into a buffer of exactly `width` + 1 bytes with sentinel bytes on
// both sides; checks the result and that nothing outside the contract changed.
void check(std::int32_t value, std::int32_t width, std::int32_t base, const Conversion& expected) {
  SCOPED_TRACE(testing::Message() << "value " << value << ", width " << width << ", base " << base);
  const std::size_t used = width > 0 ? static_cast<std::size_t>(width) : 0;
  std::string buffer(guard + used + 1 + guard, sentinel);
  char* start = buffer.data() + guard;

  const char* result = my_itoa(value, start, width, base);

  EXPECT_EQ(result, expected.succeeded ? start : nullptr);
  EXPECT_EQ(buffer.substr(guard, used), expected.written);
  EXPECT_EQ(buffer[guard + used], expected.succeeded ? '\0' : sentinel) << "at index width";
  EXPECT_EQ(buffer.substr(0, guard), std::string(guard, sentinel)) << "wrote before the buffer";
  EXPECT_EQ(buffer.substr(guard + used + 1), std::string(guard, sentinel)) << "wrote past the end";

  // The same call on a heap block of exactly width + 1 bytes, where
  // AddressSanitizer sees a read past the end too.
  std::vector<char> exact(used + 1);
  EXPECT_EQ(my_itoa(value, exact.data(), width, base) != nullptr, expected.succeeded);
}

// What my_itoa must leave in `width` bytes, worked out from std::to_chars.
Conversion expected_from_to_chars(std::int32_t value, std::size_t width, std::int32_t base) {
  std::array<char, 32> chars{};
  const auto written = std::to_chars(chars.data(), chars.data() + chars.size(), value, base);
  std::string digits(chars.data(), written.ptr);
  if (value == 0) {
    digits.clear();  // Zero needs no digits: width 0 gives the empty string.
  }
  if (digits.size() <= width) {
    return {true, std::string(width - digits.size(), '0') + digits};
  }
  // Too long: the low-order digits, least significant first.
  return {false,
          std::string(digits.rbegin(), digits.rbegin() + static_cast<std::ptrdiff_t>(width))};
}

struct Case {
  std::int32_t value, width, base;
  Conversion expected;
};

TEST(MyItoa, KnownAnswers) {
  const std::vector<Case> cases = {
      {1'000'000, 32, 2, {true, "00000000000011110100001001000000"}},
      {4, 4, 2, {true, "0100"}},
      {1, 4, 2, {true, "0001"}},
      {7, 3, 2, {true, "111"}},
      {255, 3, 10, {true, "255"}},
      {42, 5, 10, {true, "00042"}},
      {0, 4, 2, {true, "0000"}},
      {0, 4, 36, {true, "0000"}},
      {0, 0, 10, {true, ""}},
      {0, -3, 10, {true, ""}},
      {255, 2, 16, {true, "ff"}},
      {10, 1, 16, {true, "a"}},
      {35, 1, 36, {true, "z"}},
      {INT32_MAX, 10, 10, {true, "2147483647"}},
      {INT32_MAX, 6, 36, {true, "zik0zj"}},
      // Too long: the low-order digits, least significant first, unterminated.
      {8, 3, 2, {false, "000"}},
      {1000, 3, 10, {false, "000"}},
      {1234, 2, 10, {false, "43"}},
      {255, 1, 16, {false, "f"}},
      {1'000'000, 16, 2, {false, "0000001001000010"}},
      {1, 0, 10, {false, ""}},
      {INT32_MAX, -1, 2, {false, ""}},
  };
  for (const auto& [value, width, base, expected] : cases) {
    check(value, width, base, expected);
  }
}

TEST(MyItoa, RefusesWithoutWriting) {
  const std::vector<Case> cases = {
      {-1, 4, 10, {}}, {-5, 3, 10, {}},       {INT32_MIN, 32, 2, {}}, {5, 4, 0, {}},
      {0, 4, 1, {}},   {5, 4, -2, {}},        {5, 4, 37, {}},         {5, 4, 208, {}},
      {0, 4, 37, {}},  {5, 4, INT32_MIN, {}},
  };
  for (const auto& [value, width, base, expected] : cases) {
    check(value, width, base, {false, std::string(static_cast<std::size_t>(width), sentinel)});
  }
  EXPECT_EQ(my_itoa(5, nullptr, 4, 10), nullptr);
  EXPECT_EQ(my_itoa(0, nullptr, 0, 2), nullptr);
}

// Every base, values on both sides of each power of the base, every width up
// to one past the longest value.
TEST(MyItoa, MatchesToCharsAroundEveryBoundary) {
  for (std::int32_t base = 2; base <= 36; ++base) {
    std::vector<std::int32_t> values = {0, 1, INT32_MAX - 1, INT32_MAX};
    for (std::int64_t power = base; power <= INT32_MAX; power *= base) {
      values.push_back(static_cast<std::int32_t>(power - 1));
      values.push_back(static_cast<std::int32_t>(power));
      values.push_back(static_cast<std::int32_t>(std::min<std::int64_t>(power + 1, INT32_MAX)));
    }
    for (const std::int32_t value : values) {
      for (std::int32_t width = 0; width <= 32; ++width) {
        check(value, width, base,
              expected_from_to_chars(value, static_cast<std::size_t>(width), base));
      }
    }
  }
}

TEST(ReverseChar, ReversesOnlyTheGivenLength) {
  EXPECT_EQ(
      [] {
        std::string text = "abcde";
        reverse_char(text.data(), 5);
        return text;
      }(),
      "edcba");

  const std::string tail = "#tail";
  for (std::uint32_t length = 0; length <= 40; ++length) {
    SCOPED_TRACE(testing::Message() << "length " << length);
    std::string text;
    for (std::uint32_t index = 0; index < length; ++index) {
      text.push_back(static_cast<char>('A' + index));
    }
    std::string buffer = text + tail;
    reverse_char(buffer.data(), length);
    std::vector<char> exact(text.begin(), text.end());  // For AddressSanitizer, as above.
    reverse_char(exact.data(), length);
    std::reverse(text.begin(), text.end());
    EXPECT_EQ(buffer, text + tail);
    EXPECT_EQ(std::string(exact.begin(), exact.end()), text);
  }
}

}  // namespace
