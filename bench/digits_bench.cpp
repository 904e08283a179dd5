// bitsplit's conversion against what a C++ programmer would otherwise write
// for the same contract: std::to_chars plus zero fill, and std::snprintf with
// a width; grouped and upper-case conversions against the same conversion
// without; to_fixed_chars, unterminated, beside the terminated form. Reading back against
// std::from_chars on the same digits, and grouped texts against the same digits without groups.
// Each case runs in these calling contexts:
// - runtime: width and base read at run time, the call in the loop;
// - constant: width and base known at compile time, as in most callers;
// - pointer: through a function pointer the compiler cannot see through, so
//   that the whole conversion runs out of line;
// - template: the template form, the format a template argument;
// - prepared: through a format prepared once from the run-time case.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "bitsplit/digits.hpp"
#include "cases.hpp"

namespace {

using bitsplit_bench::Case;
using bitsplit_bench::random_values;
using bitsplit_bench::ReadCase;
using bitsplit_bench::value_count;

template <typename T>
using Converter = char* (*)(T, char*, const Case&);

// The printf family has conversions for bases 8, 10 and 16 only.
char* snprintf_digits(std::int32_t value, char* buffer, std::int32_t width, std::int32_t base) {
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

// Converts the next of `values` in each iteration.
template <typename T, typename Convert>
void convert_each(benchmark::State& state, const std::vector<T>& values, Convert convert) {
  std::array<char, bitsplit_bench::line_size> buffer{};
  std::size_t next = 0;
  for (auto _ : state) {
    char* result = convert(values[next], buffer.data());
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
    next = (next + 1) % value_count;
  }
}

// The contenders, called directly and inlined, so that the compiler sees the
// arguments.
template <typename T>
struct Bitsplit {
  [[gnu::always_inline]] static char* convert(T value, char* buffer, const Case& bench_case) {
    return bitsplit_bench::bitsplit_digits(value, buffer, bench_case);
  }
};
// The unterminated form, which should take what the terminated one takes.
template <typename T>
struct BitsplitChars {
  [[gnu::always_inline]] static char* convert(T value, char* buffer, const Case& bench_case) {
    return bitsplit_bench::bitsplit_chars(value, buffer, bench_case);
  }
};

template <typename T>
struct ToChars {
  [[gnu::always_inline]] static char* convert(T value, char* buffer, const Case& bench_case) {
    return bitsplit_bench::to_chars_digits(value, buffer, bench_case.width, bench_case.base);
  }
};
struct Snprintf {
  [[gnu::always_inline]] static char* convert(std::int32_t value, char* buffer,
                                              const Case& bench_case) {
    return snprintf_digits(value, buffer, bench_case.width, bench_case.base);
  }
};

// Out of line, for the calls through a pointer.
template <typename Contender, typename T>
char* out_of_line(T value, char* buffer, const Case& bench_case) {
  return Contender::convert(value, buffer, bench_case);
}

template <typename T, typename Contender>
void run_time(benchmark::State& state, Case bench_case) {
  convert_each(state, random_values<T>(bench_case), [&](T value, char* buffer) {
    return Contender::convert(value, buffer, bench_case);
  });
}

// Through a format prepared once, from the case at run time.
template <typename T>
void prepared_form(benchmark::State& state, Case bench_case) {
  const auto format = bitsplit::prepare<T>(bitsplit_bench::format_of(bench_case));
  convert_each(state, random_values<T>(bench_case),
               [&](T value, char* buffer) { return format->write(value, buffer); });
}

template <typename T>
void through_pointer(benchmark::State& state, Converter<T> convert, Case bench_case) {
  const std::vector<T> values = random_values<T>(bench_case);
  Converter<T> opaque = convert;
  benchmark::DoNotOptimize(opaque);
  convert_each(state, values,
               [&](T value, char* buffer) { return opaque(value, buffer, bench_case); });
}

template <typename T, Case bench_case, typename Contender>
void constant(benchmark::State& state) {
  convert_each(state, random_values<T>(bench_case),
               [](T value, char* buffer) { return Contender::convert(value, buffer, bench_case); });
}

template <typename T, Case bench_case>
void template_form(benchmark::State& state) {
  convert_each(state, random_values<T>(bench_case), [](T value, char* buffer) {
    return bitsplit_bench::bitsplit_template<T, bench_case>(value, buffer);
  });
}

// Reads the next of `value_count` texts of `read_case` in each iteration.
template <typename Read>
void read_each(benchmark::State& state, const ReadCase& read_case, const std::vector<char>& texts,
               Read read) {
  const std::size_t size = bitsplit::formatted_size(bitsplit_bench::format_of(read_case));
  std::size_t next = 0;
  for (auto _ : state) {
    auto value = read(texts.data() + next * size);
    benchmark::DoNotOptimize(value);
    next = (next + 1) % value_count;
  }
}

template <typename T, bool bitsplit>
[[gnu::always_inline]] inline T read_with(const char* text, const ReadCase& read_case) {
  if constexpr (bitsplit) {
    return bitsplit_bench::bitsplit_read<T>(text, read_case);
  } else {
    return bitsplit_bench::from_chars_read<T>(text, read_case);
  }
}

template <typename T, bool bitsplit>
void read_at_run_time(benchmark::State& state, ReadCase read_case) {
  read_each(state, read_case, bitsplit_bench::random_texts<T>(read_case),
            [&](const char* text) { return read_with<T, bitsplit>(text, read_case); });
}

template <typename T>
void read_prepared(benchmark::State& state, ReadCase read_case) {
  const auto format = bitsplit::prepare<T>(bitsplit_bench::format_of(read_case));
  const std::size_t size = format->size();
  read_each(state, read_case, bitsplit_bench::random_texts<T>(read_case), [&](const char* text) {
    T value = 0;
    static_cast<void>(format->read(std::string_view(text, size), value));
    return value;
  });
}

template <typename T, ReadCase read_case, bool bitsplit>
void read_constant(benchmark::State& state) {
  read_each(state, read_case, bitsplit_bench::random_texts<T>(read_case),
            [](const char* text) { return read_with<T, bitsplit>(text, read_case); });
}

template <typename T, ReadCase read_case>
void read_template(benchmark::State& state) {
  read_each(state, read_case, bitsplit_bench::random_texts<T>(read_case), [](const char* text) {
    return bitsplit_bench::bitsplit_template_read<T, read_case>(text);
  });
}

template <typename T, typename AnyCase>
std::string name_of(const char* contender, AnyCase bench_case, const char* context) {
  return std::string(contender) + "/" + bitsplit_bench::type_name<T>() + "/" +
         bitsplit_bench::case_name(bench_case) + "/" + context;
}

// A styled case is measured against the same case without its style, so it
// has bitsplit alone.
template <typename T>
void register_run_time(Case bench_case) {
  const auto add = [&](const char* contender, const char* context, auto function, auto... extra) {
    benchmark::RegisterBenchmark(name_of<T>(contender, bench_case, context).c_str(), function,
                                 extra..., bench_case);
  };
  add("bitsplit", "runtime", run_time<T, Bitsplit<T>>);
  add("bitsplit", "prepared", prepared_form<T>);
  add("bitsplit", "pointer", through_pointer<T>, Converter<T>{out_of_line<Bitsplit<T>, T>});
  add("bitsplit_chars", "runtime", run_time<T, BitsplitChars<T>>);
  add("bitsplit_chars", "pointer", through_pointer<T>,
      Converter<T>{out_of_line<BitsplitChars<T>, T>});
  if (bench_case.is_styled()) {
    return;
  }
  add("to_chars", "runtime", run_time<T, ToChars<T>>);
  add("to_chars", "pointer", through_pointer<T>, Converter<T>{out_of_line<ToChars<T>, T>});
  if constexpr (std::is_same_v<T, std::int32_t>) {
    if (bench_case.base == 8 || bench_case.base == 10 || bench_case.base == 16) {
      add("snprintf", "runtime", run_time<T, Snprintf>);
    }
  }
}

template <typename T, Case bench_case>
void register_constant() {
  const std::string bitsplit_name = name_of<T>("bitsplit", bench_case, "constant");
  benchmark::RegisterBenchmark(bitsplit_name.c_str(), constant<T, bench_case, Bitsplit<T>>);
  const std::string chars_name = name_of<T>("bitsplit_chars", bench_case, "constant");
  benchmark::RegisterBenchmark(chars_name.c_str(), constant<T, bench_case, BitsplitChars<T>>);
  const std::string template_name = name_of<T>("bitsplit", bench_case, "template");
  benchmark::RegisterBenchmark(template_name.c_str(), template_form<T, bench_case>);
  if constexpr (!bench_case.is_styled()) {
    const std::string to_chars_name = name_of<T>("to_chars", bench_case, "constant");
    benchmark::RegisterBenchmark(to_chars_name.c_str(), constant<T, bench_case, ToChars<T>>);
  }
}

// A grouped case is measured against the same digits without groups, so it
// has bitsplit alone.
template <typename T, const auto& cases>
void register_read_cases() {
  for (const ReadCase& read_case : cases) {
    benchmark::RegisterBenchmark(name_of<T>("bitsplit", read_case, "runtime").c_str(),
                                 read_at_run_time<T, true>, read_case);
    benchmark::RegisterBenchmark(name_of<T>("bitsplit", read_case, "prepared").c_str(),
                                 read_prepared<T>, read_case);
    if (!read_case.is_styled()) {
      benchmark::RegisterBenchmark(name_of<T>("from_chars", read_case, "runtime").c_str(),
                                   read_at_run_time<T, false>, read_case);
    }
  }
  [&]<std::size_t... index>(std::index_sequence<index...>) {
    ((benchmark::RegisterBenchmark(name_of<T>("bitsplit", cases[index], "constant").c_str(),
                                   read_constant<T, cases[index], true>),
      benchmark::RegisterBenchmark(name_of<T>("bitsplit", cases[index], "template").c_str(),
                                   read_template<T, cases[index]>),
      cases[index].is_styled()
          ? nullptr
          : benchmark::RegisterBenchmark(name_of<T>("from_chars", cases[index], "constant").c_str(),
                                         read_constant<T, cases[index], false>)),
     ...);
  }
  (std::make_index_sequence<cases.size()>{});
}

template <typename T, const auto& cases>
void register_cases() {
  for (const Case& bench_case : cases) {
    register_run_time<T>(bench_case);
  }
  [&]<std::size_t... index>(std::index_sequence<index...>) {
    (register_constant<T, cases[index]>(), ...);
  }
  (std::make_index_sequence<cases.size()>{});
}

}  // namespace

int main(int argc, char** argv) {
  register_cases<std::int32_t, bitsplit_bench::int32_cases>();
  register_cases<std::uint64_t, bitsplit_bench::uint64_cases>();
  register_cases<bitsplit_bench::uint128, bitsplit_bench::uint128_cases>();
  register_run_time<std::int32_t>(bitsplit_bench::failure_case);
  register_read_cases<std::uint32_t, bitsplit_bench::uint32_read_cases>();
  register_read_cases<std::uint64_t, bitsplit_bench::uint64_read_cases>();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
