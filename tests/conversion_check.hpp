#ifndef BITSPLIT_TESTS_CONVERSION_CHECK_HPP
#define BITSPLIT_TESTS_CONVERSION_CHECK_HPP

// The whole contract of my_itoa and to_fixed_digits, checked against an
// oracle that shares no code with the library. All of it is constexpr, so the
// compile-time checks, the unit tests, the exhaustive and sampled runs and the
// fuzz target hold the routines to the same answers.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "bitsplit/digits.hpp"

namespace bitsplit_test {

inline constexpr char sentinel = '*';
inline constexpr std::int32_t max_checked_width = 70;

// A value's digits in a base, least significant first; none for 0.
struct Digits {
  std::array<char, 64> low_first{};
  std::int32_t count = 0;
};

constexpr char digit_char(std::int32_t digit) {
  return static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
}

template <typename T>
constexpr bool is_refused(T value, std::int32_t base) {
  if constexpr (std::is_signed_v<T>) {
    if (value < 0) {
      return true;
    }
  }
  return base < 2 || base > 36;
}

// The oracle: a plain division loop. `value` >= 0 and `base` in 2..36.
template <typename T>
constexpr Digits digits_of(T value, std::int32_t base) {
  Digits digits;
  for (auto rest = static_cast<std::make_unsigned_t<T>>(value); rest > 0;
       rest /= static_cast<std::make_unsigned_t<T>>(base)) {
    digits.low_first[static_cast<std::size_t>(digits.count++)] =
        digit_char(static_cast<std::int32_t>(rest % static_cast<std::make_unsigned_t<T>>(base)));
  }
  return digits;
}

template <typename T>
constexpr Digits oracle_digits(T value, std::int32_t base) {
  return is_refused(value, base) ? Digits{} : digits_of(value, base);
}

// What a call must leave behind: its result, and the bytes at index 0 to
// width (index width is the terminator on success and untouched otherwise).
struct Outcome {
  bool returns_buffer = false;
  std::array<char, max_checked_width + 1> bytes{};
};

template <typename T>
constexpr Outcome expected_outcome(T value, std::int32_t width, std::int32_t base,
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

// What went wrong in one call; `what` is null when nothing did. The value is
// kept as its 64 bits and whether its type is signed, to print it.
struct Fault {
  const char* what = nullptr;
  std::uint64_t value_bits = 0;
  bool value_is_signed = false;
  std::int32_t width = 0;
  std::int32_t base = 0;
  constexpr explicit operator bool() const { return what != nullptr; }
};

template <typename T>
constexpr Fault fault(const char* what, T value, std::int32_t width, std::int32_t base) {
  return {what, static_cast<std::uint64_t>(value), std::is_signed_v<T>, width, base};
}

// The routine under test: my_itoa for std::int32_t, which must be the same as
// to_fixed_digits<std::int32_t>, and to_fixed_digits for the other types.
template <typename T>
constexpr char* convert(T value, char* buffer, std::int32_t width, std::int32_t base) {
  if constexpr (std::is_same_v<T, std::int32_t>) {
    return bitsplit::my_itoa(value, buffer, width, base);
  } else {
    return bitsplit::to_fixed_digits(value, buffer, width, base);
  }
}

// Whether the first `count` bytes at `left` and `right` are the same: a word
// at a time at run time, where the sweep over every value spends its time
// (memcmp would take a slow path at the sweep's guard page).
constexpr bool same_bytes(const char* left, const char* right, std::int32_t count) {
  std::int32_t index = 0;
  if (!std::is_constant_evaluated()) {
    for (; count - index >= 8; index += 8) {
      std::uint64_t left_word = 0;
      std::uint64_t right_word = 0;
      std::memcpy(&left_word, left + index, sizeof left_word);
      std::memcpy(&right_word, right + index, sizeof right_word);
      if (left_word != right_word) {
        return false;
      }
    }
  }
  for (; index < count; ++index) {
    if (left[index] != right[index]) {
      return false;
    }
  }
  return true;
}

// Converts into `room`, which the caller makes exactly max(width, 0) + 1 bytes
// long so that any access past index width is caught, and compares the result
// and every byte of `room` with `expected`.
template <typename T>
constexpr Fault check_conversion(T value, std::int32_t width, std::int32_t base,
                                 const Outcome& expected, char* room) {
  const std::int32_t used = std::max(width, 0);
  std::fill_n(room, used + 1, sentinel);
  const char* result = convert(value, room, width, base);
  if (result != (expected.returns_buffer ? room : nullptr)) {
    return fault(expected.returns_buffer ? "failed" : "did not fail", value, width, base);
  }
  if (same_bytes(room, expected.bytes.data(), used + 1)) {
    return {};
  }
  return fault(
      same_bytes(room, expected.bytes.data(), used) ? "wrong byte at index width" : "wrong digit",
      value, width, base);
}

// The same with the oracle's answer, in a heap block of exactly the room the
// contract allows: at compile time an access past it is an error, at run time
// AddressSanitizer sees it.
template <typename T>
constexpr Fault check_against_oracle(T value, std::int32_t width, std::int32_t base) {
  const Outcome expected = expected_outcome(value, width, base, oracle_digits(value, base));
  char* room = new char[static_cast<std::size_t>(std::max(width, 0)) + 1];
  const Fault fault = check_conversion(value, width, base, expected, room);
  delete[] room;
  return fault;
}

template <typename... Types>
struct TypeList {};

// Every standard integer type that to_fixed_digits takes, int (my_itoa's
// std::int32_t) first; the fuzz seeds pick a type by its place here.
using checked_types = TypeList<int, unsigned, long long, unsigned long long, signed char,
                               unsigned char, short, unsigned short, long, unsigned long>;

// "what: value V, width W, base B", to report a fault.
inline std::string describe(const Fault& fault) {
  if (!fault) {
    return "no fault";
  }
  return std::string(fault.what) + ": value " +
         (fault.value_is_signed ? std::to_string(static_cast<long long>(fault.value_bits))
                                : std::to_string(fault.value_bits)) +
         ", width " + std::to_string(fault.width) + ", base " + std::to_string(fault.base);
}

// The longest a value of T can be in base 2, plus two: the widest width
// worth checking.
template <typename T>
inline constexpr std::int32_t widest_checked_width = std::numeric_limits<T>::digits + 2;

}  // namespace bitsplit_test

#endif  // BITSPLIT_TESTS_CONVERSION_CHECK_HPP
