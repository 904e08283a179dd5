#ifndef BITSPLIT_TESTS_CONVERSION_CHECK_HPP
#define BITSPLIT_TESTS_CONVERSION_CHECK_HPP

// my_itoa's whole contract, checked against an oracle that shares no code with
// the library. All of it is constexpr, so the compile-time checks, the unit
// tests, the exhaustive and sampled runs and the fuzz target hold the routine
// to the same answers.

#include <algorithm>
#include <array>
#include <cstdint>

#include "bitsplit/digits.hpp"

namespace bitsplit_test {

inline constexpr char sentinel = '*';
inline constexpr std::int32_t max_checked_width = 64;

// A value's digits in a base, least significant first; none for 0.
struct Digits {
  std::array<char, 32> low_first{};
  std::int32_t count = 0;
};

constexpr char digit_char(std::int32_t digit) {
  return static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
}

// The oracle: a plain division loop. `value` >= 0 and `base` in 2..36.
constexpr Digits digits_of(std::int32_t value, std::int32_t base) {
  Digits digits;
  for (std::int32_t rest = value; rest > 0; rest /= base) {
    digits.low_first[static_cast<std::size_t>(digits.count++)] = digit_char(rest % base);
  }
  return digits;
}

constexpr bool is_refused(std::int32_t value, std::int32_t base) {
  return value < 0 || base < 2 || base > 36;
}

// What a call must leave behind: its result, and the bytes at index 0 to
// width (index width is the terminator on success and untouched otherwise).
struct Outcome {
  bool returns_buffer = false;
  std::array<char, max_checked_width + 1> bytes{};
};

constexpr Outcome expected_outcome(std::int32_t value, std::int32_t width, std::int32_t base,
                                   const Digits& digits) {
  const std::int32_t used = std::max(width, 0);
  Outcome outcome;
  std::fill_n(outcome.bytes.begin(), used + 1, sentinel);
  if (is_refused(value, base)) {
    return outcome;
  }
  outcome.returns_buffer = digits.count <= used;
  for (std::int32_t index = 0; index < used; ++index) {
    const std::int32_t from_right = used - 1 - index;
    outcome.bytes[static_cast<std::size_t>(index)] =
        !outcome.returns_buffer     ? digits.low_first[static_cast<std::size_t>(index)]
        : from_right < digits.count ? digits.low_first[static_cast<std::size_t>(from_right)]
                                    : '0';
  }
  if (outcome.returns_buffer) {
    outcome.bytes[static_cast<std::size_t>(used)] = '\0';
  }
  return outcome;
}

// What went wrong in one call; `what` is null when nothing did.
struct Fault {
  const char* what = nullptr;
  std::int32_t value = 0;
  std::int32_t width = 0;
  std::int32_t base = 0;
  constexpr explicit operator bool() const { return what != nullptr; }
};

// Converts into `room`, which the caller makes exactly max(width, 0) + 1 bytes
// long so that any access past index width is caught, and compares the result
// and every byte of `room` with `expected`.
constexpr Fault check_conversion(std::int32_t value, std::int32_t width, std::int32_t base,
                                 const Outcome& expected, char* room) {
  const std::int32_t used = std::max(width, 0);
  std::fill_n(room, used + 1, sentinel);
  const char* result = bitsplit::my_itoa(value, room, width, base);
  if (result != (expected.returns_buffer ? room : nullptr)) {
    return {expected.returns_buffer ? "failed" : "did not fail", value, width, base};
  }
  for (std::int32_t index = 0; index <= used; ++index) {
    if (room[index] != expected.bytes[static_cast<std::size_t>(index)]) {
      return {index < used ? "wrong digit" : "wrong byte at index width", value, width, base};
    }
  }
  return {};
}

// The same with the oracle's answer, in a heap block of exactly the room the
// contract allows: at compile time an access past it is an error, at run time
// AddressSanitizer sees it.
constexpr Fault check_against_oracle(std::int32_t value, std::int32_t width, std::int32_t base) {
  const Digits digits = is_refused(value, base) ? Digits{} : digits_of(value, base);
  const Outcome expected = expected_outcome(value, width, base, digits);
  char* room = new char[static_cast<std::size_t>(std::max(width, 0)) + 1];
  const Fault fault = check_conversion(value, width, base, expected, room);
  delete[] room;
  return fault;
}

}  // namespace bitsplit_test

#endif  // BITSPLIT_TESTS_CONVERSION_CHECK_HPP
