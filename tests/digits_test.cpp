#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <type_traits>

#include <gtest/gtest.h>

// With bitsplit/digits.hpp, which it includes first, so that the library's
// reader counts what it hands to the plain one.
#include "conversion_check.hpp"

// Each check is a constexpr function that returns the first fault it finds.
// It runs once in a static_assert and once as a test, so the compile-time and
// the run-time code of the routine are held to the same answers.

namespace {

using bitsplit::my_itoa;
using bitsplit::reverse_char;
using bitsplit_test::check_conversion;
using bitsplit_test::Fault;
using bitsplit_test::Outcome;
using bitsplit_test::sentinel;

template <typename T>
struct Case {
  T value{};
  bitsplit::digit_format format;
  bool fits = false;
  std::string_view written;  // The bytes before the terminator's place after the call.
};

constexpr std::string_view untouched = "*****";

constexpr std::array<Case<std::int32_t>, 31> known_answers = {
    Case<std::int32_t>{1'000'000, {32, 2}, true, "00000000000011110100001001000000"},
    Case<std::int32_t>{4, {4, 2}, true, "0100"},
    Case<std::int32_t>{1, {4, 2}, true, "0001"},
    Case<std::int32_t>{7, {3, 2}, true, "111"},
    Case<std::int32_t>{255, {3, 10}, true, "255"},
    Case<std::int32_t>{42, {5, 10}, true, "00042"},
    Case<std::int32_t>{0, {4, 2}, true, "0000"},
    Case<std::int32_t>{0, {4, 36}, true, "0000"},
    Case<std::int32_t>{0, {0, 10}, true, ""},
    Case<std::int32_t>{0, {-3, 10}, true, ""},
    Case<std::int32_t>{255, {2, 16}, true, "ff"},
    Case<std::int32_t>{10, {1, 16}, true, "a"},
    Case<std::int32_t>{35, {1, 36}, true, "z"},
    Case<std::int32_t>{INT32_MAX, {10, 10}, true, "2147483647"},
    Case<std::int32_t>{INT32_MAX, {6, 36}, true, "zik0zj"},
    // Too long: the low-order digits, least significant first, unterminated.
    Case<std::int32_t>{8, {3, 2}, false, "000"},
    Case<std::int32_t>{1000, {3, 10}, false, "000"},
    Case<std::int32_t>{1234, {2, 10}, false, "43"},
    Case<std::int32_t>{255, {1, 16}, false, "f"},
    Case<std::int32_t>{1'000'000, {16, 2}, false, "0000001001000010"},
    Case<std::int32_t>{1, {0, 10}, false, ""},
    Case<std::int32_t>{INT32_MAX, {-1, 2}, false, ""},
    // Refused: nothing is written.
    Case<std::int32_t>{-1, {4, 10}, false, untouched.substr(1)},
    Case<std::int32_t>{-5, {3, 10}, false, untouched.substr(2)},
    Case<std::int32_t>{INT32_MIN, {4, 2}, false, untouched.substr(1)},
    Case<std::int32_t>{5, {4, 0}, false, untouched.substr(1)},
    Case<std::int32_t>{0, {4, 1}, false, untouched.substr(1)},
    Case<std::int32_t>{5, {4, -2}, false, untouched.substr(1)},
    Case<std::int32_t>{5, {4, 37}, false, untouched.substr(1)},
    Case<std::int32_t>{0, {4, 37}, false, untouched.substr(1)},
    Case<std::int32_t>{5, {4, INT32_MIN}, false, untouched.substr(1)},
};

constexpr std::string_view ones =
    "1111111111111111111111111111111111111111111111111111111111111111"
    "1111111111111111111111111111111111111111111111111111111111111111";

// The whole range of the other types, and what only they can hold.
constexpr std::array<Case<std::uint32_t>, 4> unsigned_answers = {
    Case<std::uint32_t>{0xdeadbeefU, {8, 16}, true, "deadbeef"},
    Case<std::uint32_t>{UINT32_MAX, {32, 2}, true, ones.substr(96)},
    Case<std::uint32_t>{UINT32_MAX, {10, 10}, true, "4294967295"},
    Case<std::uint32_t>{UINT32_MAX, {9, 10}, false, "592769492"},
};
constexpr std::array<Case<std::uint64_t>, 5> unsigned_64_answers = {
    Case<std::uint64_t>{~std::uint64_t{0}, {64, 2}, true, ones.substr(64)},
    Case<std::uint64_t>{~std::uint64_t{0}, {20, 10}, true, "18446744073709551615"},
    Case<std::uint64_t>{~std::uint64_t{0}, {19, 10}, false, "5161559073704476448"},
    Case<std::uint64_t>{0xfedcba9876543210U, {17, 16}, true, "0fedcba9876543210"},
    Case<std::uint64_t>{~std::uint64_t{0}, {13, 36}, true, "3w5e11264sgsf"},
};
constexpr std::array<Case<std::int64_t>, 3> signed_64_answers = {
    Case<std::int64_t>{INT64_MAX, {22, 8}, true, "0777777777777777777777"},
    Case<std::int64_t>{INT64_MIN, {4, 10}, false, untouched.substr(1)},
    Case<std::int64_t>{-1, {4, 2}, false, untouched.substr(1)},
};
constexpr std::array<Case<std::int8_t>, 3> signed_8_answers = {
    Case<std::int8_t>{127, {8, 2}, true, "01111111"},
    Case<std::int8_t>{-128, {4, 2}, false, untouched.substr(1)},
    Case<std::int8_t>{100, {2, 10}, false, "00"},
};
#ifdef __SIZEOF_INT128__
using bitsplit_test::int128;
using bitsplit_test::uint128;
constexpr uint128 uint128_max = ~uint128{0};
constexpr std::array<Case<uint128>, 6> unsigned_128_answers = {
    Case<uint128>{uint128_max, {128, 2}, true, ones},
    Case<uint128>{uint128_max, {39, 10}, true, "340282366920938463463374607431768211455"},
    Case<uint128>{uint128_max, {38, 10}, false, "55411286713470647336436483902966328204"},
    Case<uint128>{(uint128{0x0123456789abcdef} << 64U) | 0xfedcba9876543210U,
                  {32, 16},
                  true,
                  "0123456789abcdeffedcba9876543210"},
    Case<uint128>{uint128{1} << 64U, {20, 10}, true, "18446744073709551616"},
    Case<uint128>{uint128_max, {25, 36}, true, "f5lxx1zz5pnorynqglhzmsp33"},
};
constexpr std::array<Case<int128>, 2> signed_128_answers = {
    Case<int128>{static_cast<int128>(uint128_max >> 1U),
                 {40, 10},
                 true,
                 "0170141183460469231731687303715884105727"},
    Case<int128>{static_cast<int128>(~(uint128_max >> 1U)), {4, 10}, false, untouched.substr(1)},
};
#endif

// Letters and groups; too long, grouped digits come in order.
constexpr auto upper = bitsplit::letter_case::upper;
constexpr auto lower = bitsplit::letter_case::lower;
constexpr std::array<Case<std::int64_t>, 19> format_answers = {
    Case<std::int64_t>{
        1'000'000, {32, 2, lower, 4}, true, "0000_0000_0000_1111_0100_0010_0100_0000"},
    Case<std::int64_t>{0x001a2b3c4d5e, {12, 16, upper, 2, ':'}, true, "00:1A:2B:3C:4D:5E"},
    Case<std::int64_t>{1'234'567, {9, 10, lower, 3, ','}, true, "001,234,567"},
    Case<std::int64_t>{0xdeadbeef, {8, 16, upper}, true, "DEADBEEF"},
    Case<std::int64_t>{1295, {3, 36, upper, 1, '.'}, true, "0.Z.Z"},
    Case<std::int64_t>{42, {5, 10, lower, 8}, true, "00042"},
    Case<std::int64_t>{42, {4, 10, lower, 4}, true, "0042"},
    Case<std::int64_t>{0, {0, 10, lower, 3}, true, ""},
    Case<std::int64_t>{5, {4, 10, lower, 2, 'a'}, true, "00a05"},
    Case<std::int64_t>{5, {4, 9, lower, 2, '9'}, true, "00905"},
    Case<std::int64_t>{5, {4, 10, lower, 0, '\0'}, true, "0005"},
    Case<std::int64_t>{12'345, {4, 10, lower, 2, '.'}, false, "23.45"},
    Case<std::int64_t>{0xabc, {2, 16, upper}, false, "CB"},
    Case<std::int64_t>{1, {0, 10, lower, 2}, false, ""},
    Case<std::int64_t>{5, {4, 10, lower, -1}, false, untouched.substr(1)},
    Case<std::int64_t>{5, {4, 10, lower, 2, '\0'}, false, untouched},
    Case<std::int64_t>{5, {4, 10, lower, 2, '9'}, false, untouched},
    Case<std::int64_t>{5, {4, 11, lower, 2, 'A'}, false, untouched},
    Case<std::int64_t>{-5, {4, 10, upper, 2}, false, untouched},
};
constexpr std::array<Case<std::uint16_t>, 2> unsigned_16_answers = {
    Case<std::uint16_t>{65535, {4, 16}, true, "ffff"},
    Case<std::uint16_t>{65535, {4, 36}, true, "1ekf"},
};

// Checks each case against its literal answer, and the oracle against it too,
// since the sweep below trusts the oracle.
template <typename T, std::size_t size>
constexpr Fault known_answer_fault(const std::array<Case<T>, size>& cases) {
  for (const auto& [value, format, fits, written] : cases) {
    Outcome expected{fits, {}};
    std::copy(written.begin(), written.end(), expected.bytes.begin());
    expected.bytes[written.size()] = fits ? '\0' : sentinel;
    const bitsplit_test::Outcome oracle =
        bitsplit_test::expected_outcome(value, format, bitsplit_test::oracle_digits(value, format));
    if (!bitsplit_test::same_bytes(oracle.bytes.data(), expected.bytes.data(),
                                   bitsplit_test::text_size(format) + 1)) {
      return bitsplit_test::fault("the oracle disagrees with the known answer", value, format);
    }
    std::array<char, 2 * bitsplit_test::max_checked_width + 1> room{};
    if (const Fault fault = check_conversion(value, format, expected, room.data())) {
      return fault;
    }
    // At the end of the room, where a write past the range is an error.
    const auto text_size = static_cast<std::size_t>(bitsplit_test::text_size(format));
    if (const Fault fault = bitsplit_test::check_unterminated(
            value, format, expected, room.data() + room.size() - text_size)) {
      return fault;
    }
    if (const Fault fault = bitsplit_test::check_prepared(value, format, expected, room.data(),
                                                          room.data() + room.size() - text_size)) {
      return fault;
    }
  }
  return {};
}

constexpr Fault known_answer_fault() {
  for (const Fault fault : {
           known_answer_fault(known_answers),
           known_answer_fault(unsigned_answers),
           known_answer_fault(unsigned_64_answers),
           known_answer_fault(signed_64_answers),
           known_answer_fault(signed_8_answers),
           known_answer_fault(unsigned_16_answers),
           known_answer_fault(format_answers),
#ifdef __SIZEOF_INT128__
           known_answer_fault(unsigned_128_answers),
           known_answer_fault(signed_128_answers),
#endif
       }) {
    if (fault) {
      return fault;
    }
  }
  if (my_itoa(5, nullptr, 4, 10) != nullptr || my_itoa(0, nullptr, 0, 2) != nullptr ||
      bitsplit::to_fixed_digits(5U, nullptr, 4, 10) != nullptr) {
    return {"accepted a null buffer"};
  }
  return {};
}

// A sized buffer must hold width + 1 characters (1 for a width of 0 or less),
// or nothing is written; std::array and std::span choose that overload.
constexpr Fault sized_buffer_fault() {
  std::array<char, 8> eight{'*', '*', '*', '*', '*', '*', '*', '*'};
  const auto prepared = bitsplit::prepare<std::int32_t>({8, 10});
  if (my_itoa(5, eight, 8, 10) != nullptr ||
      bitsplit::to_fixed_digits(5U, eight, 8, 10) != nullptr ||
      prepared->write(5, eight) != nullptr ||
      eight != std::array<char, 8>{'*', '*', '*', '*', '*', '*', '*', '*'}) {
    return {"wrote into a buffer one character short"};
  }
  std::array<char, 9> nine{};
  const char* digits = my_itoa(255, nine, 8, 16);
  if (digits != nine.data() || std::string_view(digits) != "000000ff") {
    return {"refused a buffer of width + 1 characters"};
  }
  std::array<char, 1> one{'*'};
  if (my_itoa(0, std::span<char>(one).first(0), 0, 10) != nullptr || one[0] != '*' ||
      bitsplit::to_fixed_digits(0LL, std::span<char>(one), -3, 10) != one.data() ||
      one[0] != '\0') {
    return {"width 0 or less needs exactly one character"};
  }
  return {};
}

// Around every power of every base from `first_base` to `last_base`, in
// every style.
template <typename T>
constexpr Fault boundary_fault(std::int32_t first_base, std::int32_t last_base) {
  // 128-bit types, long where it is as wide as long long, and the signed
  // 64-bit types (the same code as unsigned long long once the sign is off),
  // at the edge widths only: the sampled run has them at every width.
  constexpr bool is_long = std::is_same_v<T, long> || std::is_same_v<T, unsigned long>;
  constexpr bool every_width = sizeof(T) < 8 || (sizeof(T) == 8 && !bitsplit_test::is_signed<T> &&
                                                 !(is_long && sizeof(long) == sizeof(long long)));
  for (std::int32_t base = first_base; base <= last_base; ++base) {
    if (const Fault fault = bitsplit_test::boundary_fault<T>(
            base, every_width, bitsplit_test::checked_styles.size())) {
      return fault;
    }
  }
  return {};
}

// Values on both sides of each power of `format.base` with the format known
// to the compiler, which in optimised builds takes code of its own: in the
// function forms, and in the template form's four (digits into a buffer of
// exactly its size, the text itself, unterminated, and read back).
template <typename T, bitsplit::digit_format format>
constexpr Fault known_format_fault() {
  constexpr std::size_t size = bitsplit::formatted_size(format);
  std::array<char, 2 * bitsplit_test::max_checked_width + 1> room{};
  const auto base = static_cast<T>(format.base);
  for (T power = 1;; power *= base) {
    for (const T value : {T(power - 1), power, T(power + 1)}) {
      const auto expected = bitsplit_test::expected_outcome(
          value, format, bitsplit_test::oracle_digits(value, format));
      Fault fault = check_conversion(
          value, format, expected, room.data(), [](T number, char* into, const auto&) {
            return bitsplit::to_fixed_digits(number, std::span<char>(into, size + 1), format);
          });
      if (!fault) {
        fault = check_conversion(value, format, expected, room.data(),
                                 // NOLINTNEXTLINE(readability-non-const-parameter): the span's.
                                 [](T number, char* into, const auto&) {
                                   return bitsplit::to_fixed_digits<format>(
                                       number, std::span<char, size + 1>(into, size + 1));
                                 });
      }
      T read = 0;
      if (!fault && expected.returns_buffer &&
          (bitsplit::from_fixed_digits<format>(std::string_view(room.data(), size), read).ec !=
               std::errc{} ||
           read != value)) {
        fault = bitsplit_test::fault("the template form read a wrong value", value, format);
      }
      const auto text = bitsplit::to_fixed_digits<format>(value);
      if (!fault && (text.has_value() != expected.returns_buffer ||
                     (text && !bitsplit_test::same_bytes(text->c_str(), expected.bytes.data(),
                                                         static_cast<std::int32_t>(size) + 1)))) {
        fault = bitsplit_test::fault("the template form gave a wrong text", value, format);
      }
      if (!fault) {
        fault = bitsplit_test::check_unterminated(
            value, format, expected, room.data() + 1, [](char* first, char* last, T number) {
              return bitsplit::to_fixed_chars<format>(first, last, number);
            });
      }
      if (fault) {
        return fault;
      }
    }
    if (power > std::numeric_limits<T>::max() / base) {
      return {};
    }
  }
}

// Texts that read well, each spoilt at every place in turn by every kind of
// wrong character; another digit's case is not wrong. Each must stop at the
// place spoilt, with invalid_argument.
struct WellFormed {
  std::string_view text;
  bitsplit::digit_format format;
};
constexpr std::array<WellFormed, 10> well_formed_texts = {
    WellFormed{"00000000000011110100001001000000", {32, 2}},
    WellFormed{"0000_0000_0000_1111_0100_0010_0100_0000", {32, 2, lower, 4}},
    WellFormed{"00:1A:2b:3C:4D:5E", {12, 16, upper, 2, ':'}},
    WellFormed{"deadBEEF", {8, 16}},
    WellFormed{"4294967295", {10, 10}},
    WellFormed{"001,234,567", {9, 10, lower, 3, ','}},
    WellFormed{"37777777777", {11, 8}},
    WellFormed{"zik0zj", {6, 36}},
    WellFormed{"0.6.5.4.3.2.1.0.6.5.4.3", {12, 7, lower, 1, '.'}},
    WellFormed{"7", {1, 8}},
};

// The kinds of wrong character: the neighbours of every range a digit comes
// from, bytes above 0x7f, a digit of the next base up, the separator, a
// digit, a terminator, a sign and a blank.
constexpr std::array<char, 15> wrong_characters(const bitsplit::digit_format& format) {
  return {'/',
          ':',
          '@',
          '[',
          '`',
          '{',
          '\x80',
          '\xff',
          format.base < 36 ? bitsplit_test::digit_char(format.base) : '~',
          format.group > 0 ? format.separator : '_',
          '0',
          '\0',
          '+',
          '-',
          ' '};
}

template <typename T>
constexpr Fault spoilt_text_fault(const WellFormed& well_formed) {
  const auto& [text, format] = well_formed;
  std::array<char, 2 * bitsplit_test::max_checked_width> spoilt{};
  for (std::size_t place = 0; place < text.size(); ++place) {
    for (const char wrong : wrong_characters(format)) {
      std::copy(text.begin(), text.end(), spoilt.begin());
      spoilt[place] = wrong;
      const bool is_separator_place =
          format.group > 0 &&
          (text.size() - place) % static_cast<std::size_t>(format.group + 1) == 0;
      if (is_separator_place ? wrong == format.separator
                             : bitsplit_test::is_digit_of(wrong, format.base)) {
        continue;  // Not wrong here.
      }
      const std::string_view spoilt_text(spoilt.data(), text.size());
      if (const Fault fault = bitsplit_test::check_reading(
              spoilt_text, format, {static_cast<std::int32_t>(place), std::errc::invalid_argument},
              T{})) {
        return fault;
      }
      // The oracle's reader agrees.
      if (const Fault fault = bitsplit_test::check_reading_against_oracle<T>(spoilt_text, format)) {
        return fault;
      }
    }
  }
  return {};
}

// Each text as it is, and one too short, one too long and an empty one,
// which stop at their end or at the first character too many.
template <typename T>
constexpr Fault reading_fault(const WellFormed& well_formed) {
  const auto& [text, format] = well_formed;
  const auto size = static_cast<std::int32_t>(text.size());
  std::array<char, 2 * bitsplit_test::max_checked_width + 1> longer{};
  std::copy(text.begin(), text.end(), longer.begin());
  longer[text.size()] = '0';
  struct Variant {
    std::string_view text;
    bitsplit_test::Reading expected;
  };
  for (const auto& [variant, expected] :
       {Variant{text, bitsplit_test::oracle_reading<T>(text, format)},
        Variant{text.substr(0, text.size() - 1), {size - 1, std::errc::invalid_argument}},
        Variant{std::string_view(longer.data(), text.size() + 1),
                {size, std::errc::invalid_argument}},
        Variant{"", {0, std::errc::invalid_argument}}}) {
    if (const Fault fault = bitsplit_test::check_reading(variant, format, expected, T{})) {
      return fault;
    }
  }
  if (bitsplit_test::oracle_reading<T>(text, format).error != std::errc{}) {
    return bitsplit_test::fault("a well-formed text does not read", T{}, format);
  }
  return spoilt_text_fault<T>(well_formed);
}

// What the table above cannot show: empty widths, refused formats, and the
// prefixes, signs and blanks that other readers take.
struct ReadAnswer {
  std::string_view text;
  bitsplit::digit_format format;
  bitsplit_test::Reading expected;
};
constexpr auto invalid = std::errc::invalid_argument;
// 130 base-2 digits in groups of 10, a 1 first: past what any value holds.
constexpr auto one_too_far = [] {
  std::array<char, 130 + 12> text{};
  for (std::size_t index = 0; index < text.size(); ++index) {
    text[index] = index % 11 == 10 ? '_' : '0';
  }
  text[0] = '1';
  return text;
}();
constexpr std::array<ReadAnswer, 17> read_answers = {
    ReadAnswer{"", {0, 10}, {0, {}, 0}},
    ReadAnswer{"", {-3, 10, lower, 2}, {0, {}, 0}},
    ReadAnswer{"0", {0, 10}, {0, invalid}},
    ReadAnswer{"00ff:", {4, 16}, {4, invalid}},
    ReadAnswer{"0x00ff", {6, 16}, {1, invalid}},
    ReadAnswer{" 255", {4, 10}, {0, invalid}},
    ReadAnswer{"+255", {4, 10}, {0, invalid}},
    ReadAnswer{"-255", {4, 10}, {0, invalid}},
    ReadAnswer{"00ff", {4, 1}, {0, invalid}},
    ReadAnswer{"00ff", {4, 37}, {0, invalid}},
    ReadAnswer{"00_ff", {4, 16, lower, -1}, {0, invalid}},
    ReadAnswer{std::string_view("00\0ff", 5), {4, 16, lower, 2, '\0'}, {0, invalid}},
    ReadAnswer{"00aff", {4, 16, lower, 2, 'a'}, {0, invalid}},
    ReadAnswer{"00a05", {4, 10, lower, 2, 'a'}, {5, {}, 5}},
    ReadAnswer{"00:1A:2B", {6, 16, upper, 2, ':'}, {8, {}, 0x1a2b}},
    ReadAnswer{"00:1A:2", {6, 16, upper, 2, ':'}, {7, invalid}},
    ReadAnswer{std::string_view(one_too_far.data(), one_too_far.size()),
               {130, 2, lower, 10},
               {one_too_far.size(), std::errc::result_out_of_range}},
};

constexpr Fault reading_fault() {
  for (const auto& [text, format, expected] : read_answers) {
    if (const Fault fault = bitsplit_test::check_reading(text, format, expected, std::uint64_t{})) {
      return fault;
    }
  }
  for (const WellFormed& well_formed : well_formed_texts) {
    if (const Fault fault = reading_fault<std::uint64_t>(well_formed)) {
      return fault;
    }
  }
  return {};
}

// T's largest value in `base` reads back; one more is out of range, with
// the stop at the text's end, also behind leading zeros.
template <typename T>
constexpr Fault largest_value_fault(std::int32_t base) {
  const bitsplit_test::Digits digits =
      bitsplit_test::digits_of(std::numeric_limits<T>::max(), base);
  std::array<char, 2 * bitsplit_test::max_checked_width> text{};
  const std::int32_t width = digits.count + 2;
  std::fill_n(text.begin(), width, '0');
  for (std::int32_t index = 0; index < digits.count; ++index) {
    text[static_cast<std::size_t>(width - 1 - index)] =
        digits.low_first[static_cast<std::size_t>(index)];
  }
  const std::string_view largest(text.data(), static_cast<std::size_t>(width));
  const bitsplit::digit_format format{width, base};
  if (const Fault fault = bitsplit_test::check_reading(
          largest, format,
          {width, std::errc{},
           static_cast<bitsplit_test::WidestBits>(std::numeric_limits<T>::max())},
          T{})) {
    return fault;
  }
  // Plus one: the last digits that are the base's highest become 0.
  std::int32_t place = width - 1;
  for (; text[static_cast<std::size_t>(place)] == bitsplit_test::digit_char(base - 1); --place) {
    text[static_cast<std::size_t>(place)] = '0';
  }
  text[static_cast<std::size_t>(place)] = bitsplit_test::digit_char(
      bitsplit_test::value_of_digit(text[static_cast<std::size_t>(place)]) + 1);
  return bitsplit_test::check_reading(largest, format, {width, std::errc::result_out_of_range},
                                      T{});
}

constexpr Fault largest_value_fault() {
  Fault fault;
  []<typename... Types>(bitsplit_test::TypeList<Types...>, Fault& found) {
    static_cast<void>(
        ((!(found = largest_value_fault<Types>(10)) && !(found = largest_value_fault<Types>(16)) &&
          !(found = largest_value_fault<Types>(36))) &&
         ...));
  }(bitsplit_test::checked_types{}, fault);
  return fault;
}

// Reverses "ABC..." in a block of exactly `length` characters.
constexpr Fault reverse_fault() {
  for (std::uint32_t length = 0; length <= 40; ++length) {
    char* text = new char[length];
    for (std::uint32_t index = 0; index < length; ++index) {
      text[index] = static_cast<char>('A' + index);
    }
    reverse_char(text, length);
    bool reversed = true;
    for (std::uint32_t index = 0; index < length; ++index) {
      reversed = reversed && text[index] == static_cast<char>('A' + (length - 1 - index));
    }
    delete[] text;
    if (!reversed) {
      return {"reverse_char", length};
    }
  }
  return {};
}

// The byte swap in use (std::byteswap, a builtin or the fallback) against the
// shift-and-mask fallback, and the fallback against known words.
constexpr Fault byte_swap_fault() {
  using bitsplit::detail::byte_swapped;
  using bitsplit::detail::byte_swapped_portably;
  if (byte_swapped_portably(std::uint64_t{0x0102030405060708}) != 0x0807060504030201 ||
      byte_swapped_portably(std::uint32_t{0x01020304}) != 0x04030201) {
    return {"byte_swapped_portably"};
  }
  for (const std::uint64_t word : {std::uint64_t{0}, std::uint64_t{0x8000000000000001},
                                   std::uint64_t{0x0123456789abcdef}, ~std::uint64_t{0}}) {
    const auto half = static_cast<std::uint32_t>(word >> 8U);
    if (byte_swapped(word) != byte_swapped_portably(word) ||
        byte_swapped(half) != byte_swapped_portably(half)) {
      return {"byte_swapped"};
    }
  }
  return {};
}

// The run-time division by each base and its square against `/`, over the
// lowest and the highest `span` 32-bit values (a wrong multiplier, shift or
// increment shows at one end or the other) and the 64-bit values that must
// not take it.
constexpr Fault reciprocal_fault(std::uint64_t span) {
  constexpr std::uint64_t top = std::numeric_limits<std::uint32_t>::max();
  for (std::uint32_t base = 2; base <= 36; ++base) {
    const auto& [digit, pair] = bitsplit::detail::reciprocals[base];
    for (const auto& reciprocal : {digit, pair}) {
      for (std::uint64_t offset = 0; offset < span; ++offset) {
        for (const std::uint64_t value : {offset, top - offset, top + 1 + offset * offset * 977}) {
          if (reciprocal.quotient(value) != value / reciprocal.divisor) {
            return bitsplit_test::fault("quotient", value, {-1, reciprocal.divisor});
          }
        }
      }
    }
  }
  return {};
}

static_assert(!known_answer_fault());
static_assert(!sized_buffer_fault());
static_assert(!reverse_fault());
static_assert(!reading_fault());
static_assert(!largest_value_fault());
static_assert(!byte_swap_fault());
static_assert(!reciprocal_fault(512));

void expect_no_fault(const Fault& fault) { EXPECT_FALSE(fault) << bitsplit_test::describe(fault); }

TEST(MyItoa, KnownAnswers) { expect_no_fault(known_answer_fault()); }

TEST(ToFixedDigits, MatchesTheOracleForEveryTypeAroundEveryPowerOfEveryBase) {
  []<typename... Types>(bitsplit_test::TypeList<Types...>) {
    (expect_no_fault(boundary_fault<Types>(2, 36)), ...);
  }(bitsplit_test::checked_types{});
}

// Groups shorter than, as long as and longer than a word, upper case, bases
// outside the word families, a count below a word, and texts long enough for
// the x86-64 lanes of grouped bases 2 and 16 with a 64-bit value.
template <auto check>
constexpr Fault known_formats_fault() {
  using bitsplit::digit_format;
  for (const Fault& fault :
       {check.template operator()<std::uint32_t, digit_format{32, 2, upper, 4}>(),
        check.template operator()<std::uint32_t, digit_format{10, 10, lower, 3, ','}>(),
        check.template operator()<std::uint32_t, digit_format{8, 16, upper, 2, ':'}>(),
        check.template operator()<std::uint64_t, digit_format{16, 16, upper, 4}>(),
        check.template operator()<std::uint64_t, digit_format{10, 16, upper, 1, '-'}>(),
        check.template operator()<std::uint64_t, digit_format{22, 8, lower, 7, ' '}>(),
        check.template operator()<std::uint64_t, digit_format{25, 7, lower, 9, ' '}>(),
        check.template operator()<std::int32_t, digit_format{9, 36, upper, 1, '-'}>(),
        check.template operator()<std::int32_t, digit_format{5, 10, lower, 2}>(),
        check.template operator()<std::int32_t, digit_format{3, 10}>(),
        check.template operator()<std::int64_t, digit_format{0, 13}>()}) {
    if (fault) {
      return fault;
    }
  }
  return {};
}
constexpr auto known_format_check = []<typename T, bitsplit::digit_format format>() {
  return known_format_fault<T, format>();
};
static_assert(!known_formats_fault<known_format_check>());

TEST(ToFixedDigits, MatchesTheOracleInKnownFormats) {
  expect_no_fault(known_formats_fault<known_format_check>());
}

TEST(FromFixedDigits, StopsAtTheFirstCharacterThatBreaksTheFormat) {
  expect_no_fault(reading_fault());
}

TEST(FromFixedDigits, ReadsTheLargestValueAndRefusesOneMore) {
  expect_no_fault(largest_value_fault());
}

TEST(ToFixedDigits, SizedBuffersRefuseTooLittleRoom) { expect_no_fault(sized_buffer_fault()); }

TEST(ReverseChar, ReversesExactlyTheGivenLength) { expect_no_fault(reverse_fault()); }

TEST(ByteSwap, MatchesTheShiftAndMaskFallback) { expect_no_fault(byte_swap_fault()); }

TEST(Reciprocal, DividesEveryValueExactly) { expect_no_fault(reciprocal_fault(1U << 18U)); }

}  // namespace
