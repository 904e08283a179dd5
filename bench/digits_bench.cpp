// my_itoa against what a C++ programmer would otherwise write for the same
// contract: std::to_chars plus zero fill, and std::snprintf with a width.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "bitsplit/digits.hpp"

namespace {

constexpr std::size_t value_count = 4096;  // A power of two, so cycling through is a mask.

// Zero-filled std::to_chars with my_itoa's contract for values that fit.
template <typename T>
char* to_chars_zero_filled(T value, char* buffer, std::int32_t width, std::int32_t base) noexcept {
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

// The printf family has conversions for bases 8, 10 and 16 only.
char* snprintf_zero_filled(std::int32_t value, char* buffer, std::int32_t width,
                           std::int32_t base) noexcept {
  const auto size = static_cast<std::size_t>(width) + 1;
  const auto digits = static_cast<unsigned>(value);
  int length = 0;
  switch (base) {
    case 8:
      length = std::snprintf(buffer, size, "%0*o", width, digits);
      break;
    case 16:
      length = std::snprintf(buffer, size, "%0*x", width, digits);
      break;
    default:
      length = std::snprintf(buffer, size, "%0*d", width, value);
      break;
  }
  return length == width ? buffer : nullptr;
}

// A few thousand pseudo-random values of `value_width` digits at most, the
// same for every contender, so each iteration converts a different value.
std::vector<std::int32_t> random_values(std::int32_t value_width, std::int32_t base,
                                        std::int32_t least = 0) {
  std::int64_t limit = 1;
  for (std::int32_t digit = 0; digit < value_width && limit <= INT32_MAX; ++digit) {
    limit *= base;
  }
  // The same inputs on every run, so that runs compare.
  std::mt19937 generator(20261208);  // NOLINT(cert-msc32-c,cert-msc51-cpp)
  std::uniform_int_distribution<std::int32_t> distribution(
      least, static_cast<std::int32_t>(std::min<std::int64_t>(limit - 1, INT32_MAX)));
  std::vector<std::int32_t> values(value_count);
  for (auto& value : values) {
    value = distribution(generator);
  }
  return values;
}

// Converts the next of `values` in each iteration.
template <typename T, char* (*convert)(T, char*, std::int32_t, std::int32_t) noexcept>
void convert_each(benchmark::State& state, const std::vector<T>& values, std::int32_t width,
                  std::int32_t base) {
  std::array<char, 80> buffer{};
  std::size_t next = 0;
  for (auto _ : state) {
    char* result = convert(values[next], buffer.data(), width, base);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
    next = (next + 1) % value_count;
  }
}

// Arguments: width, base, and 1 for values that have more digits than the
// width (the failure path) or 0 for values that fit.
template <char* (*convert)(std::int32_t, char*, std::int32_t, std::int32_t) noexcept>
void convert_values(benchmark::State& state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto base = static_cast<std::int32_t>(state.range(1));
  const bool too_long = state.range(2) != 0;
  const std::vector<std::int32_t> values =
      too_long ? random_values(width + 4, base, static_cast<std::int32_t>(std::pow(base, width)))
               : random_values(width, base);
  convert_each<std::int32_t, convert>(state, values, width, base);
}

// The same for std::uint64_t values of `width` digits at most.
std::vector<std::uint64_t> random_64_bit_values(std::int32_t width, std::int32_t base) {
  std::uint64_t limit = 1;  // base^width, or 0 once that passes 2^64 - 1.
  for (std::int32_t digit = 0; digit < width && limit != 0; ++digit) {
    limit = limit > UINT64_MAX / static_cast<std::uint64_t>(base)
                ? 0
                : limit * static_cast<std::uint64_t>(base);
  }
  std::mt19937_64 generator(20261208);  // NOLINT(cert-msc32-c,cert-msc51-cpp)
  std::uniform_int_distribution<std::uint64_t> distribution(0, limit - 1);
  std::vector<std::uint64_t> values(value_count);
  for (auto& value : values) {
    value = distribution(generator);
  }
  return values;
}

char* to_fixed_digits_64(std::uint64_t value, char* buffer, std::int32_t width,
                         std::int32_t base) noexcept {
  return bitsplit::to_fixed_digits(value, buffer, width, base);
}

template <char* (*convert)(std::uint64_t, char*, std::int32_t, std::int32_t) noexcept>
void convert_64_bit_values(benchmark::State& state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto base = static_cast<std::int32_t>(state.range(1));
  convert_each<std::uint64_t, convert>(state, random_64_bit_values(width, base), width, base);
}

void all_cases(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"width", "base", "too_long"});
  benchmark->Args({32, 2, 0})->Args({11, 8, 0})->Args({8, 16, 0})->Args({10, 10, 0});
  benchmark->Args({12, 7, 0})->Args({6, 36, 0})->Args({6, 10, 1});
}

void printf_cases(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"width", "base", "too_long"});
  benchmark->Args({11, 8, 0})->Args({8, 16, 0})->Args({10, 10, 0})->Args({6, 10, 1});
}

void cases_64_bit(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"width", "base"});
  benchmark->Args({64, 2})->Args({16, 16})->Args({20, 10});
}

BENCHMARK(convert_values<bitsplit::my_itoa>)->Name("my_itoa")->Apply(all_cases);
BENCHMARK(convert_values<to_chars_zero_filled<std::int32_t>>)->Name("to_chars")->Apply(all_cases);
BENCHMARK(convert_values<snprintf_zero_filled>)->Name("snprintf")->Apply(printf_cases);
BENCHMARK(convert_64_bit_values<to_fixed_digits_64>)
    ->Name("to_fixed_digits/uint64")
    ->Apply(cases_64_bit);
BENCHMARK(convert_64_bit_values<to_chars_zero_filled<std::uint64_t>>)
    ->Name("to_chars/uint64")
    ->Apply(cases_64_bit);

}  // namespace

BENCHMARK_MAIN();
