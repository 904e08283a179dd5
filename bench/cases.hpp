#ifndef BITSPLIT_BENCH_CASES_HPP
#define BITSPLIT_BENCH_CASES_HPP

// What both benchmarks measure, and the peer they measure it against.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "bitsplit/digits.hpp"

namespace bitsplit_bench {

// A power of two, so that cycling through the values is a mask.
inline constexpr std::size_t value_count = 4096;

struct Case {
  std::int32_t width = 0;
  std::int32_t base = 0;
  bool too_long = false;  // Values with more digits than the width: the failure path.
  std::int32_t group = 0;
  bool upper = false;
  char separator = '_';

  // Grouped or upper case, measured against the same case without.
  [[nodiscard]] constexpr bool is_styled() const { return group != 0 || upper; }
  [[nodiscard]] constexpr Case plain() const { return {width, base, too_long}; }
};

// The README's table. The short widths (a byte in hex, fields of a date) are
// what real callers convert most.
inline constexpr std::array<Case, 13> int32_cases = {Case{32, 2},
                                                     Case{11, 8},
                                                     Case{8, 16},
                                                     Case{10, 10},
                                                     Case{12, 7},
                                                     Case{6, 36},
                                                     Case{2, 16},
                                                     Case{4, 16},
                                                     Case{2, 10},
                                                     Case{4, 10},
                                                     Case{8, 2},
                                                     Case{32, 2, false, 4},
                                                     Case{8, 16, false, 0, true}};
// The last two: a MAC address, without and with its groups.
inline constexpr std::array<Case, 5> uint64_cases = {
    Case{64, 2}, Case{16, 16}, Case{20, 10}, Case{12, 16}, Case{12, 16, false, 2, false, ':'}};
inline constexpr std::array<Case, 3> uint128_cases = {Case{32, 16}, Case{39, 10}, Case{128, 2}};
inline constexpr Case failure_case{6, 10, true};

// Room for the longest case, grouped or not, and its terminator.
inline constexpr std::size_t line_size = 160;

__extension__ using uint128 = unsigned __int128;

template <typename T>
constexpr const char* type_name() {
  return std::is_same_v<T, std::int32_t>    ? "int32"
         : std::is_same_v<T, std::uint32_t> ? "uint32"
         : std::is_same_v<T, std::uint64_t> ? "uint64"
                                            : "uint128";
}

// "width/base", and "/groupN" or "/upper" for a styled case.
inline std::string case_name(const Case& bench_case) {
  return std::to_string(bench_case.width) + "/" + std::to_string(bench_case.base) +
         (bench_case.group != 0 ? "/group" + std::to_string(bench_case.group) : "") +
         (bench_case.upper ? "/upper" : "") + (bench_case.too_long ? "/too_long" : "");
}

constexpr bitsplit::digit_format format_of(const Case& bench_case) {
  return {.width = bench_case.width,
          .base = bench_case.base,
          .letters = bench_case.upper ? bitsplit::letter_case::upper : bitsplit::letter_case::lower,
          .group = bench_case.group,
          .separator = bench_case.separator};
}

// bitsplit's conversion of the case: the four-argument form, or the format
// overload for a styled case. Inlined, so that a constant case stays known.
template <typename T>
[[gnu::always_inline]] inline char* bitsplit_digits(T value, char* buffer, const Case& bench_case) {
  if (!bench_case.is_styled()) {
    return bitsplit::to_fixed_digits(value, buffer, bench_case.width, bench_case.base);
  }
  return bitsplit::to_fixed_digits(value, std::span<char>(buffer, line_size),
                                   format_of(bench_case));
}

// The same through to_fixed_chars, with no terminator: the end, or null.
template <typename T>
[[gnu::always_inline]] inline char* bitsplit_chars(T value, char* buffer, const Case& bench_case) {
  char* const last = buffer + line_size;
  const auto [end, error] =
      bench_case.is_styled()
          ? bitsplit::to_fixed_chars(buffer, last, value, format_of(bench_case))
          : bitsplit::to_fixed_chars(buffer, last, value, bench_case.width, bench_case.base);
  return error == std::errc{} ? end : nullptr;
}

// The template form, the format a template argument.
template <typename T, Case bench_case>
[[gnu::always_inline]] inline char* bitsplit_template(T value, char* buffer) {
  return bitsplit::to_fixed_digits<format_of(bench_case)>(
      value, std::span<char, line_size>(buffer, line_size));
}

// base^digits, or T's largest value once that is past it.
template <typename T>
constexpr T power_or_max(std::int32_t base, std::int32_t digits) {
  T power = 1;
  for (std::int32_t digit = 0; digit < digits; ++digit) {
    if (power > std::numeric_limits<T>::max() / static_cast<T>(base)) {
      return std::numeric_limits<T>::max();
    }
    power *= static_cast<T>(base);
  }
  return power;
}

// Pseudo-random values that fit the case (or, for the failure path, are up to
// four digits too long), the same on every run and for every contender, so
// that runs compare and nothing is constant-folded.
template <typename T>
std::vector<T> random_values(const Case& bench_case) {
  const T fits = power_or_max<T>(bench_case.base, bench_case.width);
  const T least = bench_case.too_long ? fits : 0;
  const T most = bench_case.too_long ? power_or_max<T>(bench_case.base, bench_case.width + 4)
                 : fits == std::numeric_limits<T>::max() ? fits
                                                         : fits - 1;
  std::mt19937_64 generator(20261208);  // NOLINT(cert-msc32-c,cert-msc51-cpp)
  std::vector<T> values(value_count);
  for (auto& value : values) {
    // Two draws, for 128-bit types, which std::uniform_int_distribution does
    // not take; the bias of the remainder is of no matter here.
    const uint128 random = (uint128{generator()} << 64U) | generator();
    const auto span = static_cast<uint128>(most - least);
    value = static_cast<T>(static_cast<uint128>(least) +
                           (span == ~uint128{0} ? random : random % (span + 1)));
  }
  return values;
}

// What reading is measured on: texts that the writer makes of random values
// that fit, the same on every run.
struct ReadCase {
  std::int32_t width = 0;
  std::int32_t base = 0;
  std::int32_t group = 0;
  char separator = '_';

  // Grouped, measured against the same digits without groups.
  [[nodiscard]] constexpr bool is_styled() const { return group != 0; }
  [[nodiscard]] constexpr ReadCase plain() const { return {width, base}; }
};

// The README's table of reading: every case against std::from_chars on the
// same digits, and a grouped one against the same digits without groups.
inline constexpr std::array<ReadCase, 7> uint32_read_cases = {
    ReadCase{8, 16}, ReadCase{32, 2}, ReadCase{10, 10},  ReadCase{11, 8},
    ReadCase{6, 36}, ReadCase{12, 7}, ReadCase{32, 2, 4}};
inline constexpr std::array<ReadCase, 4> uint64_read_cases = {
    ReadCase{16, 16}, ReadCase{20, 10}, ReadCase{12, 16}, ReadCase{12, 16, 2, ':'}};

inline std::string case_name(const ReadCase& read_case) {
  return "read/" + std::to_string(read_case.width) + "/" + std::to_string(read_case.base) +
         (read_case.group != 0 ? "/group" + std::to_string(read_case.group) : "");
}

constexpr bitsplit::digit_format format_of(const ReadCase& read_case) {
  return {.width = read_case.width,
          .base = read_case.base,
          .group = read_case.group,
          .separator = read_case.separator};
}

// The texts of `value_count` random values that fit the case, one after the
// other with nothing between, as in a file of fixed-width records.
template <typename T>
std::vector<char> random_texts(const ReadCase& read_case) {
  const std::vector<T> values = random_values<T>(Case{read_case.width, read_case.base});
  const std::size_t size = bitsplit::formatted_size(format_of(read_case));
  std::vector<char> texts(values.size() * size + 1);
  for (std::size_t index = 0; index < values.size(); ++index) {
    static_cast<void>(bitsplit::to_fixed_digits(
        values[index], std::span<char>(texts.data() + index * size, size + 1),
        format_of(read_case)));
  }
  return texts;
}

// bitsplit's reading of the case, inlined so that a constant case stays
// known; the value, or 0 on an error (which the texts never cause).
template <typename T>
[[gnu::always_inline]] inline T bitsplit_read(const char* text, const ReadCase& read_case) {
  T value = 0;
  const bitsplit::digit_format format = format_of(read_case);
  static_cast<void>(bitsplit::from_fixed_digits(
      std::string_view(text, bitsplit::formatted_size(format)), value, format));
  return value;
}

// The same through the template form.
template <typename T, ReadCase read_case>
[[gnu::always_inline]] inline T bitsplit_template_read(const char* text) {
  T value = 0;
  constexpr bitsplit::digit_format format = format_of(read_case);
  static_cast<void>(bitsplit::from_fixed_digits<format>(
      std::string_view(text, bitsplit::formatted_size(format)), value));
  return value;
}

// std::from_chars on the same zero-filled digits.
template <typename T>
[[gnu::always_inline]] inline T from_chars_read(const char* text, const ReadCase& read_case) {
  T value = 0;
  static_cast<void>(std::from_chars(text, text + read_case.width, value, read_case.base));
  return value;
}

// std::to_chars with zero fill: the same contract for values that fit, and
// null for the others.
template <typename T>
char* to_chars_digits(T value, char* buffer, std::int32_t width, std::int32_t base) {
  const auto [end, error] = std::to_chars(buffer, buffer + width, value, base);
  if (error != std::errc{}) {
    return nullptr;
  }
  const auto length = end - buffer;
  std::memmove(buffer + (width - length), buffer, static_cast<std::size_t>(length));
  std::memset(buffer, '0', static_cast<std::size_t>(width - length));
  buffer[width] = '\0';
  return buffer;
}

}  // namespace bitsplit_bench

#endif  // BITSPLIT_BENCH_CASES_HPP
