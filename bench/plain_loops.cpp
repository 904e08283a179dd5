// The benchmark's cases as a caller writes them: a plain loop over an array of
// values at each call site, every case in this one file, with width and base
// constant at some sites and read at run time at others. No benchmark library,
// so nothing but the compiler decides what is inlined.
//
//   plain_loops [REPETITIONS]   prints the median time of each case, and its
//                               ratio to std::to_chars with zero fill, or for a
//                               grouped or upper-case case to the same
//                               conversion without (the template form, a name
//                               ending in /template, to the same peer as the
//                               constant case, and a prepared format, a
//                               name ending in /prepared, to the same peer
//                               as the run-time case); to_fixed_chars (a name
//                               ending in /chars) to the terminated form in the
//                               same context; and of each reading case,
//                               to std::from_chars on the same digits, or for
//                               a grouped one to the digits without groups

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bitsplit/digits.hpp"
#include "cases.hpp"

namespace {

using bitsplit_bench::Case;
using bitsplit_bench::ReadCase;

constexpr int rounds = 64;  // Passes over the values in one timing.

// Nanoseconds per conversion: `rounds` passes over `values`, each writing
// every result into a table of lines, as a caller would.
// The sum of every character written is kept in `result_sum`, so that no
// conversion is optimised away.
template <typename T, typename Convert>
double time_per_value(const std::vector<T>& values, Convert convert, unsigned& result_sum) {
  constexpr std::size_t line_size = bitsplit_bench::line_size;
  std::vector<char> lines(values.size() * line_size);
  unsigned failures = 0;
  // One pass untimed, so that every contender starts with the lines in cache.
  for (std::size_t index = 0; index < values.size(); ++index) {
    failures += convert(values[index], lines.data() + index * line_size) == nullptr ? 1U : 0U;
  }
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t index = 0; index < values.size(); ++index) {
      failures += convert(values[index], lines.data() + index * line_size) == nullptr ? 1U : 0U;
    }
  }
  const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
  for (const char character : lines) {
    result_sum += static_cast<unsigned char>(character);
  }
  result_sum += failures;
  return elapsed.count() / (rounds * static_cast<double>(values.size()));
}

struct Timings {
  std::string name;
  std::vector<double> ours;
  std::vector<double> peer;
};

// Runs each of `timers` once a repetition, each repetition starting one
// further on: whichever runs first after another case's runs measurably
// slower, so no contender may always be first.
void interleave(int repetitions, const std::vector<std::function<void()>>& timers) {
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    for (std::size_t index = 0; index < timers.size(); ++index) {
      timers[(index + static_cast<std::size_t>(repetition)) % timers.size()]();
    }
  }
}

// A width and base the compiler cannot know.
std::int32_t at_run_time(std::int32_t number) {
  const volatile std::int32_t opaque = number;
  return opaque;
}
Case at_run_time(Case bench_case) {
  return {at_run_time(bench_case.width), at_run_time(bench_case.base), bench_case.too_long,
          at_run_time(bench_case.group), at_run_time(bench_case.upper ? 1 : 0) != 0};
}

// What the case is set against: to_chars, or the case without its style.
template <typename T>
[[gnu::always_inline]] inline char* peer_digits(T value, char* buffer, const Case& bench_case) {
  if (bench_case.is_styled()) {
    return bitsplit_bench::bitsplit_digits(value, buffer, bench_case.plain());
  }
  return bitsplit_bench::to_chars_digits(value, buffer, bench_case.width, bench_case.base);
}

template <typename T, Case bench_case>
void add_case(std::vector<Timings>& all, int repetitions, unsigned& result_sum) {
  const std::vector<T> values = bitsplit_bench::random_values<T>(bench_case);
  const std::string name =
      std::string(bitsplit_bench::type_name<T>()) + "/" + bitsplit_bench::case_name(bench_case);
  Timings constant{name + "/constant", {}, {}};
  Timings run_time{name + "/runtime", {}, {}};
  Timings known{name + "/template", {}, {}};
  Timings constant_chars{name + "/constant/chars", {}, {}};
  Timings run_time_chars{name + "/runtime/chars", {}, {}};
  Timings prepared{name + "/prepared", {}, {}};
  const Case some_case = at_run_time(bench_case);
  const auto some_format = bitsplit::prepare<T>(bitsplit_bench::format_of(some_case));
  // Each contender's timings, one per repetition.
  const auto timer = [&](std::vector<double>& times, auto convert) {
    return std::function<void()>([&times, &values, &result_sum, convert] {
      times.push_back(time_per_value(values, convert, result_sum));
    });
  };
  using bitsplit_bench::bitsplit_chars;
  using bitsplit_bench::bitsplit_digits;
  interleave(
      repetitions,
      {timer(constant_chars.ours,
             [](T value, char* buffer) { return bitsplit_chars(value, buffer, bench_case); }),
       timer(run_time_chars.ours,
             [&](T value, char* buffer) { return bitsplit_chars(value, buffer, some_case); }),
       timer(constant.ours,
             [](T value, char* buffer) { return bitsplit_digits(value, buffer, bench_case); }),
       timer(known.ours,
             [](T value, char* buffer) {
               return bitsplit_bench::bitsplit_template<T, bench_case>(value, buffer);
             }),
       timer(constant.peer,
             [](T value, char* buffer) { return peer_digits(value, buffer, bench_case); }),
       timer(run_time.ours,
             [&](T value, char* buffer) { return bitsplit_digits(value, buffer, some_case); }),
       timer(prepared.ours,
             [&](T value, char* buffer) { return some_format->write(value, buffer); }),
       timer(run_time.peer,
             [&](T value, char* buffer) { return peer_digits(value, buffer, some_case); })});
  // The unterminated form against the terminated one, in the same context.
  constant_chars.peer = constant.ours;
  run_time_chars.peer = run_time.ours;
  known.peer = constant.peer;
  prepared.peer = run_time.peer;
  all.push_back(std::move(constant));
  all.push_back(std::move(known));
  all.push_back(std::move(run_time));
  all.push_back(std::move(prepared));
  all.push_back(std::move(constant_chars));
  all.push_back(std::move(run_time_chars));
}

double median(std::vector<double> times) {
  std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                   times.end());
  return times[times.size() / 2];
}

// Nanoseconds per text: `rounds` passes over `texts`, each of `size`
// characters, adding up the values read into `result_sum`.
template <typename Read>
double time_per_text(const std::vector<char>& texts, std::size_t size, Read read,
                     unsigned& result_sum) {
  unsigned sum = 0;
  const std::size_t count = bitsplit_bench::value_count;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t index = 0; index < count; ++index) {
      sum += static_cast<unsigned>(read(texts.data() + index * size));
    }
  }
  const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
  result_sum += sum;
  return elapsed.count() / (rounds * static_cast<double>(count));
}

ReadCase at_run_time(ReadCase read_case) {
  return {at_run_time(read_case.width), at_run_time(read_case.base), at_run_time(read_case.group),
          static_cast<char>(at_run_time(read_case.separator))};
}

// What a reading case is set against: std::from_chars, or the same digits
// without groups.
template <typename T>
[[gnu::always_inline]] inline T peer_read(const char* text, const ReadCase& read_case) {
  if (read_case.is_styled()) {
    return bitsplit_bench::bitsplit_read<T>(text, read_case.plain());
  }
  return bitsplit_bench::from_chars_read<T>(text, read_case);
}

template <typename T, ReadCase read_case>
void add_read_case(std::vector<Timings>& all, int repetitions, unsigned& result_sum) {
  const std::vector<char> texts = bitsplit_bench::random_texts<T>(read_case);
  const std::vector<char> plain_texts = bitsplit_bench::random_texts<T>(read_case.plain());
  const std::size_t size = bitsplit::formatted_size(bitsplit_bench::format_of(read_case));
  const auto plain_size = static_cast<std::size_t>(read_case.width);
  const std::string name =
      std::string(bitsplit_bench::type_name<T>()) + "/" + bitsplit_bench::case_name(read_case);
  Timings constant{name + "/constant", {}, {}};
  Timings known{name + "/template", {}, {}};
  Timings run_time{name + "/runtime", {}, {}};
  Timings prepared{name + "/prepared", {}, {}};
  const ReadCase some_case = at_run_time(read_case);
  const auto some_format = bitsplit::prepare<T>(bitsplit_bench::format_of(some_case));
  const auto timer = [&](std::vector<double>& times, const std::vector<char>& some_texts,
                         std::size_t some_size, auto read) {
    return std::function<void()>([&times, &some_texts, some_size, &result_sum, read] {
      times.push_back(time_per_text(some_texts, some_size, read, result_sum));
    });
  };
  interleave(
      repetitions,
      {timer(constant.ours, texts, size,
             [](const char* text) { return bitsplit_bench::bitsplit_read<T>(text, read_case); }),
       timer(constant.peer, plain_texts, plain_size,
             [](const char* text) { return peer_read<T>(text, read_case); }),
       timer(known.ours, texts, size,
             [](const char* text) {
               return bitsplit_bench::bitsplit_template_read<T, read_case>(text);
             }),
       timer(run_time.ours, texts, size,
             [&](const char* text) { return bitsplit_bench::bitsplit_read<T>(text, some_case); }),
       timer(prepared.ours, texts, size,
             [&](const char* text) {
               T value = 0;
               static_cast<void>(some_format->read(std::string_view(text, size), value));
               return value;
             }),
       timer(run_time.peer, plain_texts, plain_size,
             [&](const char* text) { return peer_read<T>(text, some_case); })});
  known.peer = constant.peer;
  prepared.peer = run_time.peer;
  all.push_back(std::move(constant));
  all.push_back(std::move(known));
  all.push_back(std::move(run_time));
  all.push_back(std::move(prepared));
}

template <typename T, const auto& cases>
void add_read_cases(std::vector<Timings>& all, int repetitions, unsigned& result_sum) {
  [&]<std::size_t... index>(std::index_sequence<index...>) {
    (add_read_case<T, cases[index]>(all, repetitions, result_sum), ...);
  }
  (std::make_index_sequence<cases.size()>{});
}

template <typename T, const auto& cases>
void add_cases(std::vector<Timings>& all, int repetitions, unsigned& result_sum) {
  [&]<std::size_t... index>(std::index_sequence<index...>) {
    (add_case<T, cases[index]>(all, repetitions, result_sum), ...);
  }
  (std::make_index_sequence<cases.size()>{});
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions =
      argc > 1 ? std::max(1, static_cast<int>(std::strtol(argv[1], nullptr, 10))) : 11;
  std::vector<Timings> all;
  unsigned result_sum = 0;
  add_cases<std::int32_t, bitsplit_bench::int32_cases>(all, repetitions, result_sum);
  add_cases<std::uint64_t, bitsplit_bench::uint64_cases>(all, repetitions, result_sum);
  add_cases<bitsplit_bench::uint128, bitsplit_bench::uint128_cases>(all, repetitions, result_sum);
  add_read_cases<std::uint32_t, bitsplit_bench::uint32_read_cases>(all, repetitions, result_sum);
  add_read_cases<std::uint64_t, bitsplit_bench::uint64_read_cases>(all, repetitions, result_sum);
  std::printf("%-32s %10s %10s %10s\n", "case", "ours ns", "peer ns", "ratio");
  for (const Timings& timings : all) {
    const double ours = median(timings.ours);
    const double peer = median(timings.peer);
    std::printf("%-32s %10.2f %10.2f %10.2f\n", timings.name.c_str(), ours, peer, ours / peer);
  }
  return result_sum == 0 ? 1 : 0;
}
