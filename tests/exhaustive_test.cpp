// Checks my_itoa against the oracle without GoogleTest, so that it also builds
// with a bare cross compiler and runs under qemu.
//
//   exhaustive_test              every value 0 to 2^31 - 1 in bases 2, 8, 10
//                                and 16, at the width it needs, at one less,
//                                and at width 32 in base 2
//   exhaustive_test COUNT [SEED] COUNT random values a base for std::int32_t,
//                                every base 2 to 36, every width from -1 to
//                                two past the longest value, and at every
//                                fourth width in one of the checked styles
//                                too; a quarter as many for each size of the
//                                other types of 32 and 64 bits, a sixteenth
//                                for the narrower ones and a sixty-fourth for
//                                the 128-bit ones; then COUNT / 8 texts at
//                                every width of some formats that the
//                                compiler sees, read through the code they
//                                select
//
// Every conversion is read back. Every buffer, and every text read, ends
// where an inaccessible page begins, so any access past the terminator's
// place or the text's end ends the run with SIGSEGV. The sampled run also
// writes values of some types with to_fixed_chars into a range that ends
// there.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "conversion_check.hpp"

namespace {

using bitsplit_test::Digits;
using bitsplit_test::Fault;

// Two pages of memory, each followed by one that may not be touched: one
// for the conversions, one for the texts read back.
class GuardedPage {
 public:
  GuardedPage() : size_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* pages =
        mmap(nullptr, 4 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED || mprotect(static_cast<char*>(pages) + size_, size_, PROT_NONE) != 0 ||
        mprotect(static_cast<char*>(pages) + 3 * size_, size_, PROT_NONE) != 0) {
      std::perror("guard page");
      std::exit(2);
    }
    start_ = static_cast<char*>(pages);
  }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;
  GuardedPage(GuardedPage&&) = delete;
  GuardedPage& operator=(GuardedPage&&) = delete;
  ~GuardedPage() { munmap(start_, 4 * size_); }

  // Room for a conversion of `size` characters and its terminator that ends
  // right at the first guard page.
  [[nodiscard]] char* room(std::int32_t size) const {
    return start_ + size_ - (static_cast<std::size_t>(std::max(size, 0)) + 1);
  }

  // Room for a text of `size` characters that ends right at the second.
  [[nodiscard]] char* text_room(std::int32_t size) const {
    return start_ + 3 * size_ - static_cast<std::size_t>(std::max(size, 0));
  }

 private:
  std::size_t size_;
  char* start_ = nullptr;
};

template <typename T>
Fault check(const GuardedPage& page, T value, const bitsplit::digit_format& format,
            const bitsplit_test::Outcome& expected,
            bitsplit_test::ReadBack read_back = bitsplit_test::ReadBack::every_text,
            bitsplit_test::Converter<T> convert_into = bitsplit_test::convert<T>) {
  const std::int32_t size = bitsplit_test::text_size(format);
  char* room = page.room(size);
  room[-1] = bitsplit_test::sentinel;
  Fault fault = bitsplit_test::check_conversion(value, format, expected, room, convert_into,
                                                page.text_room(size), read_back);
  if (!fault && room[-1] != bitsplit_test::sentinel) {
    fault = bitsplit_test::fault("wrote before the buffer", value, format);
  }
  return fault;
}

// The types whose values are also written with to_fixed_chars, and through
// prepared formats, here: one of each magnitude the kernels take, and a
// signed one. Its code for each of
// them took half again this file's compile time with every type; digits_test
// has every type, in exact-size heap blocks.
template <typename T>
constexpr bool checks_unterminated =
    std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::uint64_t>
#ifdef __SIZEOF_INT128__
    || std::is_same_v<T, bitsplit::uint128>
#endif
    ;

// check(), then, for those types, to_fixed_chars into exactly the text's
// room, which ends at the second guard page, and, where asked, every form
// of the format prepared, at the guard pages too.
template <typename T>
Fault check_every_form(const GuardedPage& page, T value, const bitsplit::digit_format& format,
                       const Digits& digits, bool prepared) {
  const bitsplit_test::Outcome expected = bitsplit_test::expected_outcome(value, format, digits);
  Fault fault = check(page, value, format, expected);
  const std::int32_t size = bitsplit_test::text_size(format);
  if constexpr (checks_unterminated<T>) {
    if (!fault) {
      fault = bitsplit_test::check_unterminated(value, format, expected, page.text_room(size));
    }
    if (!fault && prepared) {
      fault = bitsplit_test::check_prepared(value, format, expected, page.room(size),
                                            page.text_room(size));
    }
  }
  return fault;
}

// The digits of the next value, counted up like an odometer: a second oracle
// that needs no division, for the run over every value. Returns how many of
// the low digits changed.
std::int32_t count_up(Digits& digits, std::int32_t base) {
  const char top = bitsplit_test::digit_char(base - 1);
  std::int32_t index = 0;
  for (; index < digits.count && digits.low_first[static_cast<std::size_t>(index)] == top;
       ++index) {
    digits.low_first[static_cast<std::size_t>(index)] = '0';
  }
  char& digit = digits.low_first[static_cast<std::size_t>(index)];
  if (index == digits.count) {
    ++digits.count;
    digit = '1';
  } else {
    digit = digit == '9' ? 'a' : static_cast<char>(digit + 1);
  }
  return index + 1;
}

constexpr std::array<std::int32_t, 4> exhaustive_bases = {2, 8, 10, 16};

// One check of the run over every value: a base, and the width the value
// needs plus `width_offset`, or a fixed width when `fixed_width` is set;
// with what it expects, made by the oracle when the digits grow and
// otherwise changed only in the digits that count_up changed: building it
// anew for every value made the run a third slower.
//
// What it expects is the whole tail of the page that the conversion's room
// ends: sentinels, then the text and the terminator's place. Filling,
// comparing and copying that tail whole, a size known at compile time,
// takes no library calls, where the room's own size took one for each (a
// tenth of the run).
struct Expectation {
  static constexpr std::size_t tail_size = 48;  // past the longest room, 33
  std::size_t base_index = 0;
  std::int32_t width_offset = 0;
  std::int32_t fixed_width = -1;
  bitsplit::digit_format format{};
  bool returns_buffer = false;
  std::array<char, tail_size> tail{};

  void make(std::int32_t value, const Digits& digits) {
    const std::int32_t width = fixed_width >= 0 ? fixed_width : digits.count + width_offset;
    format = {width, exhaustive_bases[base_index]};
    const bitsplit_test::Outcome outcome = bitsplit_test::expected_outcome(value, format, digits);
    returns_buffer = outcome.returns_buffer;
    const auto room = static_cast<std::size_t>(bitsplit_test::text_size(format)) + 1;
    tail.fill(bitsplit_test::sentinel);
    std::copy_n(outcome.bytes.begin(), room, tail.end() - static_cast<std::ptrdiff_t>(room));
  }

  void update(const Digits& digits, std::int32_t changed) {
    const std::int32_t width = format.width;
    char* const room = tail.end() - (width + 1);
    for (std::int32_t low = 0; low < std::min(changed, width); ++low) {
      // Fitting, most significant first; too long, least significant first.
      room[returns_buffer ? width - 1 - low : low] =
          digits.low_first[static_cast<std::size_t>(low)];
    }
  }

  // Converts `value` into a room that ends at the page's end, and returns
  // what the conversion returned.
  [[nodiscard]] char* convert(const GuardedPage& page, std::int32_t value) const {
    const std::int32_t size = bitsplit_test::text_size(format);
    char* const room = page.room(size);
    std::memset(room + size + 1 - tail_size, bitsplit_test::sentinel, tail_size);
    return bitsplit_test::convert(value, room, format);
  }

  // Checks what `convert` returned, compares the page's tail and reads a
  // text that fits back from the end of the next.
  [[nodiscard]] Fault check(const GuardedPage& page, std::int32_t value,
                            const char* returned) const {
    const std::int32_t size = bitsplit_test::text_size(format);
    char* const room = page.room(size);
    char* const page_tail = room + size + 1 - tail_size;
    if (returned != (returns_buffer ? room : nullptr)) {
      return bitsplit_test::fault(returns_buffer ? "failed" : "did not fail", value, format);
    }
    if (std::memcmp(page_tail, tail.data(), tail_size) != 0) {
      return bitsplit_test::fault("wrong byte in or before the buffer", value, format);
    }
    if (!returns_buffer) {
      return {};
    }
    constexpr std::int32_t longest = 32;
    char* const text = page.text_room(size);
    std::memcpy(text + size - longest, room + size - longest, longest);
    return bitsplit_test::check_reading(
        std::string_view(text, static_cast<std::size_t>(size)), format,
        {size, std::errc{}, static_cast<bitsplit_test::WidestBits>(value)}, value, false);
  }
};

// Every text that fits is read back; the digits a value too long leaves are
// read in the sampled run, which has the time for the oracle's reader.
//
// Each check has a page of its own, and every conversion of a value is made
// before the first is compared: a comparison's loads right after the
// conversion's stores straddled them, and waited for each store to land (a
// sixth of the run).
Fault check_every_value_from(std::int32_t first, std::int32_t last) {
  std::array<Digits, exhaustive_bases.size()> digits{};
  std::array<Expectation, 2 * exhaustive_bases.size() + 1> expectations{};
  const std::array<GuardedPage, expectations.size()> pages{};
  std::array<const char*, expectations.size()> returned{};
  for (std::size_t index = 0; index < digits.size(); ++index) {
    digits[index] = bitsplit_test::digits_of(first, exhaustive_bases[index]);
    expectations[2 * index] = {.base_index = index};
    expectations[2 * index + 1] = {.base_index = index, .width_offset = -1};
  }
  expectations.back() = {.base_index = 0, .fixed_width = 32};
  for (Expectation& expectation : expectations) {
    expectation.make(first, digits[expectation.base_index]);
  }
  for (std::int32_t value = first;; ++value) {
    for (std::size_t index = 0; index < expectations.size(); ++index) {
      returned[index] = expectations[index].convert(pages[index], value);
    }
    for (std::size_t index = 0; index < expectations.size(); ++index) {
      if (const Fault fault = expectations[index].check(pages[index], value, returned[index])) {
        return fault;
      }
    }
    if (value == last) {
      return {};
    }
    std::array<std::int32_t, exhaustive_bases.size()> changed{};
    std::array<bool, exhaustive_bases.size()> grew{};
    for (std::size_t index = 0; index < digits.size(); ++index) {
      const std::int32_t count = digits[index].count;
      changed[index] = count_up(digits[index], exhaustive_bases[index]);
      grew[index] = digits[index].count != count;
    }
    for (Expectation& expectation : expectations) {
      const std::size_t index = expectation.base_index;
      if (grew[index]) {
        expectation.make(value + 1, digits[index]);
      } else {
        expectation.update(digits[index], changed[index]);
      }
    }
  }
}

// A random value of a random length, from none of T's bits to all: for
// signed types now and then a negative one to refuse.
template <typename T>
T random_value(std::mt19937_64& generator) {
  using Bits = bitsplit_test::unsigned_t<T>;
  constexpr std::uint32_t bits_in_type = sizeof(T) * 8;
  const auto bits = static_cast<std::uint32_t>(generator() % (bits_in_type + 1));
  const auto random = static_cast<Bits>(
      (static_cast<bitsplit_test::WidestBits>(generator()) << 32U << 32U) | generator());
  return static_cast<T>(bits == 0 ? Bits{0} : static_cast<Bits>(random >> (bits_in_type - bits)));
}

template <typename T>
Fault check_samples(std::uint32_t count, std::mt19937_64& generator) {
  const GuardedPage page;
  for (std::int32_t base = 2; base <= 36; ++base) {
    for (std::uint32_t sample = 0; sample < count; ++sample) {
      const T value = random_value<T>(generator);
      const Digits digits = bitsplit_test::digits_of(value, base);
      for (std::int32_t width = -1; width <= bitsplit_test::widest_checked_width<T>; ++width) {
        // At every fourth width prepared too; at every fourth other one
        // also in one of the styles in turn, and prepared.
        const std::uint32_t turn = sample + static_cast<std::uint32_t>(width + 1);
        const bitsplit::digit_format plain{width, base};
        Fault fault = check_every_form(page, value, plain, digits, turn % 4 == 2);
        if (!fault && turn % 4 == 0) {
          const auto style =
              bitsplit_test::checked_styles[turn / 4 % bitsplit_test::checked_styles.size()];
          const bitsplit::digit_format format = bitsplit_test::styled(style, width, base);
          fault = check_every_form(page, value, format, digits, true);
        }
        if (fault) {
          return fault;
        }
      }
    }
  }
  return {};
}

// g++'s AddressSanitizer build (the asan preset) leaves the known formats
// out: their hundreds of straight-line readers take it minutes to compile,
// and the guard page catches an access past a text without it.
#ifndef __SANITIZE_ADDRESS__
// from_fixed_digits<format>: a call whose format the compiler sees.
template <typename T, bitsplit::digit_format format>
std::from_chars_result read_known(std::string_view text, T& value) {
  return bitsplit::from_fixed_digits<format>(text, value);
}

// to_fixed_digits<format> into exactly formatted_size(format) + 1
// characters: a function of its own, so that the checks around it are
// compiled once for each type.
template <typename T, bitsplit::digit_format format>
// NOLINTNEXTLINE(readability-non-const-parameter): written through the span.
char* write_known(T value, char* room, const bitsplit::digit_format& /*format*/) {
  constexpr std::size_t size = bitsplit::formatted_size(format) + 1;
  return bitsplit::to_fixed_digits<format>(value, std::span<char, size>(room, size));
}

// Random values of every length written with `write_known` into a buffer
// that ends at the guard page.
template <typename T>
Fault check_known_writing(const GuardedPage& page, const bitsplit::digit_format& format,
                          bitsplit_test::Converter<T> write_known, std::uint32_t count,
                          std::mt19937_64& generator) {
  for (std::uint32_t sample = 0; sample < count; ++sample) {
    const T value = random_value<T>(generator);
    const bitsplit_test::Outcome expected = bitsplit_test::expected_outcome(
        value, format, bitsplit_test::digits_of(value, format.base));
    if (const Fault fault = check(page, value, format, expected,
                                  bitsplit_test::ReadBack::values_that_fit, write_known)) {
      return fault;
    }
  }
  return {};
}

// A character just outside `base`'s digits, where a range check that is one
// off would take it for a digit.
char misfit_next_to_digits(std::int32_t base, std::uint64_t pick) {
  const auto past = [&](char first, std::int32_t digits_before) {
    return static_cast<char>(first + base - digits_before);
  };
  const std::array<char, 6> misfits{'/',
                                    ':',
                                    '@',
                                    '`',
                                    base <= 10 ? past('0', 0) : past('a', 10),
                                    base <= 10 ? '[' : past('A', 10)};
  return misfits.at(static_cast<std::size_t>(pick % misfits.size()));
}

// Texts in `format`'s layout, random digits in either case behind a random
// run of '0's (so values of every length, past T's largest too), half of
// them with one character made a random byte or one just outside the
// digits, read with `read_known` from the end of a guard page.
template <typename T>
Fault check_known_reading(const GuardedPage& page, const bitsplit::digit_format& format,
                          bitsplit_test::KnownReader<T> read_known, std::uint32_t count,
                          std::mt19937_64& generator) {
  const std::int32_t size = bitsplit_test::text_size(format);
  char* text = page.text_room(size);
  for (std::uint32_t sample = 0; sample < count; ++sample) {
    const auto zeros =
        static_cast<std::int32_t>(generator() % static_cast<std::uint64_t>(format.width + 1));
    for (std::int32_t place = 0, digit = 0; place < size; ++place) {
      const bool separates = format.group > 0 && (size - place) % (format.group + 1) == 0;
      const auto random_digit = bitsplit_test::in_case(
          bitsplit_test::digit_char(
              static_cast<std::int32_t>(generator() % static_cast<std::uint64_t>(format.base))),
          generator() % 2 == 0 ? bitsplit::letter_case::lower : bitsplit::letter_case::upper);
      text[place] = separates ? format.separator : digit++ < zeros ? '0' : random_digit;
    }
    if (generator() % 2 == 0 && size > 0) {
      text[generator() % static_cast<std::uint64_t>(size)] =
          generator() % 2 == 0 ? static_cast<char>(generator())
                               : misfit_next_to_digits(format.base, generator());
    }
    const std::string_view read(text, static_cast<std::size_t>(size));
    if (const Fault fault =
            bitsplit_test::check_reading_against_oracle<T>(read, format, read_known)) {
      return fault;
    }
  }
  return {};
}

template <std::int32_t width, std::int32_t base, std::int32_t group, char separator,
          bitsplit::letter_case letters>
inline constexpr bitsplit::digit_format known_format{
    .width = width, .base = base, .letters = letters, .group = group, .separator = separator};

// The same, and writing, at every width from `first` to two past the longest
// value of T.
template <typename T, std::int32_t base, std::int32_t group = 0, char separator = '_',
          bitsplit::letter_case letters = bitsplit::letter_case::lower, std::int32_t first = 0>
Fault check_known_widths(std::uint32_t count, std::mt19937_64& generator) {
  constexpr std::int32_t longest =
      bitsplit_test::digits_of(std::numeric_limits<T>::max(), base).count;
  const GuardedPage page;
  return [&]<std::int32_t... past_first>(std::integer_sequence<std::int32_t, past_first...>) {
    Fault fault;
    static_cast<void>(
        ((!(fault = check_known_reading<T>(
                page, known_format<first + past_first, base, group, separator, letters>,
                read_known<T, known_format<first + past_first, base, group, separator, letters>>,
                count, generator)) &&
          !(fault = check_known_writing<T>(
                page, known_format<first + past_first, base, group, separator, letters>,
                write_known<T, known_format<first + past_first, base, group, separator, letters>>,
                count, generator))) &&
         ...));
    return fault;
  }
  (std::make_integer_sequence<std::int32_t, longest + 3 - first>{});
}

// The same in each of `bases`.
template <typename T, std::int32_t... bases>
Fault check_known_bases(std::uint32_t count, std::mt19937_64& generator) {
  Fault fault;
  static_cast<void>((!(fault = check_known_widths<T, bases>(count, generator)) && ...));
  return fault;
}

// Each base family for the accumulators of 32, 64 and 128 bits, a signed
// and a narrow type, and groups within, as long as and across the kernels'
// words of eight (base 2 in 8s from width 30: lanes that take the high half
// of a 64-bit value); base 3 and base 11, whose one letter is the narrowest
// range a reading kernel checks.
Fault check_known_formats(std::uint32_t count, std::uint32_t seed) {
  std::mt19937_64 generator(seed);
  using Check = Fault (*)(std::uint32_t, std::mt19937_64&);
  constexpr std::array checks = {
      Check{check_known_bases<std::int32_t, 2, 8, 10, 16, 36, 7>},
      Check{check_known_bases<std::uint64_t, 2, 8, 10, 16, 36, 7>},
      Check{check_known_bases<std::int32_t, 3, 11>},
      Check{check_known_widths<std::int32_t, 2, 4>},
      Check{check_known_widths<std::uint64_t, 2, 8, ' ', bitsplit::letter_case::lower, 30>},
      Check{check_known_widths<std::uint64_t, 16, 2, ':'>},
      Check{check_known_widths<std::uint64_t, 10, 3, ','>},
      Check{check_known_widths<std::uint64_t, 7, 9, ' '>},
      Check{check_known_widths<std::uint64_t, 16, 0, '_', bitsplit::letter_case::upper>},
#ifdef __SIZEOF_INT128__
      Check{check_known_widths<bitsplit_test::uint128, 10>},
      Check{check_known_widths<bitsplit_test::uint128, 16>},
#endif
  };
  Fault fault;
  for (const Check check : checks) {
    if ((fault = check(count, generator))) {
      break;
    }
  }
  return fault;
}
#endif

// All `count` for std::int32_t. The other types of 32 and 64 bits share a
// quarter among those of their size and signedness (long and long long are
// often the same), the narrower ones a sixteenth, and the 128-bit ones, whose
// every division is a library call, a sixty-fourth.
template <typename T>
std::uint32_t sample_count(std::uint32_t count) {
  const std::uint32_t alike = []<typename... Types>(bitsplit_test::TypeList<Types...>) {
    return ((sizeof(Types) == sizeof(T) &&
                     bitsplit_test::is_signed<Types> == bitsplit_test::is_signed<T>
                 ? 1U
                 : 0U) +
            ...);
  }(bitsplit_test::checked_types{});
  return std::is_same_v<T, std::int32_t> ? count
                                         : std::max(count / ((sizeof(T) == 4 || sizeof(T) == 8 ? 4
                                                              : sizeof(T) < 4                  ? 16
                                                                              : 64) *
                                                             alike),
                                                    1U);
}

Fault check_samples_of_every_type(std::uint32_t count, std::uint32_t seed) {
  std::mt19937_64 generator(seed);
  Fault fault;
  [&]<typename... Types>(bitsplit_test::TypeList<Types...>) {
    static_cast<void>(
        (!(fault = check_samples<Types>(sample_count<Types>(count), generator)) && ...));
  }(bitsplit_test::checked_types{});
  return fault;
}

Fault check_every_value() {
  const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
  std::vector<Fault> faults(threads);
  std::vector<std::thread> workers;
  const std::int64_t span = (std::int64_t{INT32_MAX} + 1) / threads;
  for (unsigned worker = 0; worker < threads; ++worker) {
    const auto first = static_cast<std::int32_t>(span * worker);
    const auto last =
        worker + 1 == threads ? INT32_MAX : static_cast<std::int32_t>(span * (worker + 1) - 1);
    workers.emplace_back(
        [&faults, worker, first, last] { faults[worker] = check_every_value_from(first, last); });
  }
  for (auto& thread : workers) {
    thread.join();
  }
  for (const Fault& fault : faults) {
    if (fault) {
      return fault;
    }
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const auto number = [](std::string_view text) {
    return static_cast<std::uint32_t>(std::strtoul(text.data(), nullptr, 10));
  };
  Fault fault;
  if (arguments.empty()) {
    fault = check_every_value();
  } else {
    const std::uint32_t count = number(arguments[0]);
    const std::uint32_t seed = arguments.size() > 1 ? number(arguments[1]) : 20261209;
    fault = check_samples_of_every_type(count, seed);
#ifndef __SANITIZE_ADDRESS__
    if (!fault) {
      fault = check_known_formats(std::max(count / 8, 1U), seed);
    }
#endif
  }
  if (fault) {
    std::printf("FAIL: %s\n", bitsplit_test::describe(fault).c_str());
    return 1;
  }
  std::printf("all conversions correct\n");
  return 0;
}
