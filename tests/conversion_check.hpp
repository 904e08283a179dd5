#ifndef BITSPLIT_TESTS_CONVERSION_CHECK_HPP
#define BITSPLIT_TESTS_CONVERSION_CHECK_HPP

// The whole contract of my_itoa, to_fixed_digits and from_fixed_digits,
// checked against an oracle that shares no code with the library. All of it
// is constexpr, so the compile-time checks, the unit tests, the exhaustive and
// sampled runs and the fuzz target hold the routines to the same answers.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

// Before the library's header, so that its reader counts the texts it hands
// to the plain one, which check_reading fails a good text for: the plain
// reader gives the same answers, so nothing else would see it.
#ifdef BITSPLIT_DIGITS_HPP
#error "include conversion_check.hpp before bitsplit/digits.hpp"
#endif
#define BITSPLIT_COUNT_PLAIN_READS
#include "bitsplit/digits.hpp"

namespace bitsplit_test {

using bitsplit::digit_format;
using bitsplit::letter_case;

// 128-bit integers where the compiler has them, by the library's names. The
// standard traits do not count them as integers in strict modes, so the
// checker has its own.
#ifdef __SIZEOF_INT128__
using bitsplit::int128;
using bitsplit::uint128;
using WidestBits = uint128;
#else
using WidestBits = std::uint64_t;
#endif

template <typename T>
struct Unsigned {
  using type = std::make_unsigned_t<T>;
};
#ifdef __SIZEOF_INT128__
template <>
struct Unsigned<int128> {
  using type = uint128;
};
template <>
struct Unsigned<uint128> {
  using type = uint128;
};
#endif
template <typename T>
using unsigned_t = typename Unsigned<T>::type;

template <typename T>
inline constexpr bool is_signed = static_cast<T>(-1) < static_cast<T>(0);

inline constexpr char sentinel = '*';
inline constexpr std::int32_t max_checked_width = 8 * sizeof(WidestBits) + 2;

// A value's digits in a base, least significant first; none for 0.
struct Digits {
  std::array<char, 8 * sizeof(WidestBits)> low_first{};
  std::int32_t count = 0;
};

constexpr char digit_char(std::int32_t digit) {
  return static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
}

constexpr char in_case(char digit, letter_case letters) {
  return letters == letter_case::upper && digit >= 'a' ? static_cast<char>(digit - 'a' + 'A')
                                                       : digit;
}

constexpr bool is_digit_of(char character, std::int32_t base) {
  for (std::int32_t digit = 0; digit < base; ++digit) {
    if (character == digit_char(digit) ||
        character == in_case(digit_char(digit), letter_case::upper)) {
      return true;
    }
  }
  return false;
}

// The plain formats are the four-argument form's: lower case, no groups.
constexpr bool is_plain(const digit_format& format) {
  return format.letters == letter_case::lower && format.group == 0;
}

constexpr std::int32_t text_size(const digit_format& format) {
  const std::int32_t width = std::max(format.width, 0);
  return format.group > 0 && width > 0 ? width + (width - 1) / format.group : width;
}

constexpr bool is_refused(const digit_format& format) {
  return format.base < 2 || format.base > 36 || format.group < 0 ||
         (format.group > 0 &&
          (format.separator == '\0' || is_digit_of(format.separator, format.base)));
}

template <typename T>
constexpr bool is_refused(T value, const digit_format& format) {
  if constexpr (is_signed<T>) {
    if (value < 0) {
      return true;
    }
  }
  return is_refused(format);
}

// The oracle: a plain division loop. `value` >= 0 and `base` in 2..36.
template <typename T>
constexpr Digits digits_of(T value, std::int32_t base) {
  Digits digits;
  for (auto rest = static_cast<unsigned_t<T>>(value); rest > 0;
       rest /= static_cast<unsigned_t<T>>(base)) {
    digits.low_first[static_cast<std::size_t>(digits.count++)] =
        digit_char(static_cast<std::int32_t>(rest % static_cast<unsigned_t<T>>(base)));
  }
  return digits;
}

template <typename T>
constexpr Digits oracle_digits(T value, const digit_format& format) {
  return is_refused(value, format) ? Digits{} : digits_of(value, format.base);
}

// What reading a text must give: where it stops, as an index, why, and the
// value on success.
struct Reading {
  std::int32_t stop = 0;
  std::errc error{};
  WidestBits value = 0;
  friend constexpr bool operator==(const Reading&, const Reading&) = default;
};

// A digit's value in either case, or -1.
constexpr std::int32_t value_of_digit(char character) {
  for (std::int32_t digit = 0; digit < 36; ++digit) {
    if (character == digit_char(digit) ||
        character == in_case(digit_char(digit), letter_case::upper)) {
      return digit;
    }
  }
  return -1;
}

// The oracle's reader: the text, left to right, against the layout of the
// whole formatted size, the separator places counted from the right.
template <typename T>
constexpr Reading oracle_reading(std::string_view text, const digit_format& format) {
  if (is_refused(format)) {
    return {0, std::errc::invalid_argument};
  }
  const std::int32_t size = text_size(format);
  const auto length = static_cast<std::int32_t>(text.size());
  const auto base = static_cast<WidestBits>(format.base);
  const auto largest = static_cast<WidestBits>(std::numeric_limits<T>::max());
  WidestBits value = 0;
  bool too_large = false;
  for (std::int32_t place = 0; place < size; ++place) {
    if (place == length) {
      return {place, std::errc::invalid_argument};
    }
    const char character = text[static_cast<std::size_t>(place)];
    if (format.group > 0 && (size - place) % (format.group + 1) == 0) {
      if (character != format.separator) {
        return {place, std::errc::invalid_argument};
      }
      continue;
    }
    const std::int32_t digit = value_of_digit(character);
    if (digit < 0 || digit >= format.base) {
      return {place, std::errc::invalid_argument};
    }
    const auto digit_bits = static_cast<WidestBits>(digit);
    too_large = too_large || value > (largest - digit_bits) / base;
    value = too_large ? 0 : value * base + digit_bits;
  }
  if (length > size) {
    return {size, std::errc::invalid_argument};
  }
  return too_large ? Reading{length, std::errc::result_out_of_range} : Reading{length, {}, value};
}

// What a call must leave behind: its result, and the bytes at index 0 to
// text_size(format) (the terminator's place, untouched on failure). Its bytes
// are set only up to there at run time, where the sweep over every value
// would spend a third of its time clearing the rest.
struct Outcome {  // NOLINT(cppcoreguidelines-pro-type-member-init)
  bool returns_buffer = false;
  std::array<char, 2 * max_checked_width + 1> bytes;
};

template <typename T>
constexpr Outcome expected_outcome(T value, const digit_format& format, const Digits& digits) {
  const std::int32_t used = std::max(format.width, 0);
  const std::int32_t size = text_size(format);
  Outcome outcome;
  if (std::is_constant_evaluated()) {
    outcome = Outcome{};  // Constant evaluation copies only what is set.
  }
  std::fill_n(outcome.bytes.begin(), size + 1, sentinel);
  if (is_refused(value, format)) {
    return outcome;
  }
  outcome.returns_buffer = digits.count <= used;
  // In locals, which the stores to `bytes` cannot alias: the sweep over every
  // value spends its time here.
  const bool upper = format.letters == letter_case::upper;
  const std::int32_t group = format.group;
  const char separator = format.separator;
  const auto digit = [&](std::int32_t from_right) {
    const char lower =
        from_right < digits.count ? digits.low_first[static_cast<std::size_t>(from_right)] : '0';
    return upper ? in_case(lower, letter_case::upper) : lower;
  };
  if (group == 0) {
    if (!outcome.returns_buffer) {
      // The low-order digits, least significant first.
      for (std::int32_t index = 0; index < used; ++index) {
        outcome.bytes[static_cast<std::size_t>(index)] = digit(index);
      }
      return outcome;
    }
    std::fill_n(outcome.bytes.begin(), used - digits.count, '0');
    for (std::int32_t from_right = 0; from_right < digits.count; ++from_right) {
      outcome.bytes[static_cast<std::size_t>(used - 1 - from_right)] = digit(from_right);
    }
  } else {
    for (std::int32_t from_right = 0, place = size, in_group = 0; from_right < used;
         ++from_right, ++in_group) {
      if (in_group == group) {
        outcome.bytes[static_cast<std::size_t>(--place)] = separator;
        in_group = 0;
      }
      outcome.bytes[static_cast<std::size_t>(--place)] = digit(from_right);
    }
  }
  if (outcome.returns_buffer) {
    outcome.bytes[static_cast<std::size_t>(size)] = '\0';
  }
  return outcome;
}

// What went wrong in one call; `what` is null when nothing did. The value is
// kept as its bits and whether its type is signed, to print it.
struct Fault {
  const char* what = nullptr;
  WidestBits value_bits = 0;
  bool value_is_signed = false;
  digit_format format{};
  constexpr explicit operator bool() const { return what != nullptr; }
};

template <typename T>
constexpr Fault fault(const char* what, T value, const digit_format& format) {
  return {what, static_cast<WidestBits>(value), is_signed<T>, format};
}

// from_fixed_digits with `format` as a constant the compiler sees, which
// selects the straight-line code of a known format in an optimised build.
template <typename T>
using KnownReader = std::from_chars_result (*)(std::string_view text, T& value);

// Reads `text` with from_fixed_digits, or with `read`, a reader of
// `format` (the template form, a prepared format), where a caller gives one.
template <typename T, typename Read>
constexpr std::from_chars_result read_in_form(std::string_view text, T& value,
                                              const digit_format& format, const Read& read) {
  if constexpr (std::is_null_pointer_v<Read>) {
    return bitsplit::from_fixed_digits(text, value, format);
  } else {
    return read(text, value);
  }
}

// Reads `text` with from_fixed_digits in both forms that take `format`, or
// with `read` where a caller gives one, and compares where it stops, why
// and the value (set, or left alone) with `expected`.
template <typename T, typename Read = std::nullptr_t>
constexpr Fault check_reading(std::string_view text, const digit_format& format,
                              const Reading& expected, T value_for_fault, bool both_forms = true,
                              const Read& read = nullptr) {
  const T untouched = static_cast<T>(0x5a);
  T value = untouched;
  // Not a constant's initialiser, where std::is_constant_evaluated() is true.
  std::uint64_t plain_reads = 0;
  if (!std::is_constant_evaluated()) {
    plain_reads = bitsplit::detail::plain_reads;
  }
  const auto [ptr, error] = read_in_form(text, value, format, read);
  if (!std::is_constant_evaluated() && expected.error != std::errc::invalid_argument &&
      bitsplit::detail::plain_reads != plain_reads) {
    return fault("a good text went to the plain reader", value_for_fault, format);
  }
  if (ptr - text.data() != expected.stop || error != expected.error) {
    return fault(error == expected.error ? "read stopped at the wrong place" : "read a wrong error",
                 value_for_fault, format);
  }
  if (value != (error == std::errc{} ? static_cast<T>(expected.value) : untouched)) {
    return fault("read a wrong value", value_for_fault, format);
  }
  if (both_forms && format.group == 0) {
    T plain_value = untouched;
    const auto plain = bitsplit::from_fixed_digits(text, plain_value, format.width, format.base);
    if (plain.ptr != ptr || plain.ec != error || plain_value != value) {
      return fault("the two forms read differently", value_for_fault, format);
    }
  }
  // Where the function form reads, a prepared format too, at run time: at
  // compile time it is the function form.
  if (std::is_null_pointer_v<Read> && both_forms && !std::is_constant_evaluated()) {
    const auto prepared = bitsplit::prepare<T>(format);
    if (prepared.has_value() == is_refused(format)) {
      return fault("prepare and the reader disagree on the format", value_for_fault, format);
    }
    T prepared_value = untouched;
    const auto read_prepared =
        prepared ? prepared->read(text, prepared_value) : std::from_chars_result{ptr, error};
    if (read_prepared.ptr != ptr || read_prepared.ec != error || prepared_value != value) {
      return fault("a prepared format read differently", value_for_fault, format);
    }
  }
  return {};
}

// Reads `text` against the oracle's reader. A text read as a value whose
// letters are all in one case must also come back when that value is written
// in that case.
template <typename T, typename Read = std::nullptr_t>
constexpr Fault check_reading_against_oracle(std::string_view text, const digit_format& format,
                                             const Read& read = nullptr) {
  const Reading expected = oracle_reading<T>(text, format);
  const auto value = static_cast<T>(expected.value);
  if (const Fault fault = check_reading(text, format, expected, value, true, read)) {
    return fault;
  }
  const auto is_in = [&](char first, char last) {
    return std::any_of(text.begin(), text.end(),
                       [&](char character) { return character >= first && character <= last; });
  };
  const bool has_upper = is_in('A', 'Z');
  if (expected.error != std::errc{} || (has_upper && is_in('a', 'z'))) {
    return {};
  }
  digit_format in_its_case = format;
  in_its_case.letters = has_upper ? letter_case::upper : letter_case::lower;
  std::array<char, 2 * max_checked_width + 1> written{};
  if (bitsplit::to_fixed_digits(value, written, in_its_case) == nullptr ||
      std::string_view(written.data()) != text) {
    return fault("a value read did not write its text back", value, format);
  }
  return {};
}

// The routine under test: for a plain format my_itoa for std::int32_t, which
// must be the same as to_fixed_digits<std::int32_t>, and the four-argument
// to_fixed_digits for the other types; for any other, the pointer overload
// that takes the format.
template <typename T>
constexpr char* convert(T value, char* room, const digit_format& format) {
  if (!is_plain(format)) {
    return bitsplit::to_fixed_digits(value, room, format);
  }
  if constexpr (std::is_same_v<T, std::int32_t>) {
    return bitsplit::my_itoa(value, room, format.width, format.base);
  } else {
    return bitsplit::to_fixed_digits(value, room, format.width, format.base);
  }
}

// The sized overload that takes the format, whatever the format.
template <typename T>
constexpr char* convert_through_format(T value, char* room, const digit_format& format) {
  return bitsplit::to_fixed_digits(
      value, std::span<char>(room, static_cast<std::size_t>(text_size(format)) + 1), format);
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

// How much check_conversion reads back of what a conversion wrote: every
// text, a value too long against the oracle's reader, through both forms
// of the reader; or, in the sweep over every value, only values that fit,
// through one.
enum class ReadBack { every_text, values_that_fit };

// Converts into `room` with `convert_into`, which the caller makes exactly
// text_size(format) + 1 bytes long so that any access past the terminator's
// place is caught, and compares the result and every byte of `room` with
// `expected`. Then reads the text back, with `read` where the caller gives
// one: a value that fits as itself, the digits of one too long against the
// oracle's reader. The text is copied to `read_room`, where the caller has
// room for exactly the text, or else read in place.
template <typename T>
using Converter = char* (*)(T value, char* room, const digit_format& format);

template <typename T, typename Convert = Converter<T>, typename Read = std::nullptr_t>
constexpr Fault check_conversion(T value, const digit_format& format, const Outcome& expected,
                                 char* room, Convert convert_into = convert<T>,
                                 char* read_room = nullptr,
                                 ReadBack read_back = ReadBack::every_text,
                                 const Read& read = nullptr) {
  const std::int32_t size = text_size(format);
  std::fill_n(room, size + 1, sentinel);
  const char* result = convert_into(value, room, format);
  if (result != (expected.returns_buffer ? room : nullptr)) {
    return fault(expected.returns_buffer ? "failed" : "did not fail", value, format);
  }
  if (!same_bytes(room, expected.bytes.data(), size + 1)) {
    return fault(same_bytes(room, expected.bytes.data(), size)
                     ? "wrong byte at the terminator's place"
                     : "wrong digit",
                 value, format);
  }
  if (is_refused(value, format)) {
    return {};
  }
  if (read_room != nullptr) {
    std::copy_n(room, size, read_room);
  }
  const std::string_view text(read_room != nullptr ? read_room : room,
                              static_cast<std::size_t>(size));
  const bool every_text = read_back == ReadBack::every_text;
  if (expected.returns_buffer) {
    return check_reading(text, format, {size, std::errc{}, static_cast<WidestBits>(value)}, value,
                         every_text, read);
  }
  // Not in the compile-time sweep, which would pass the compilers' step limits.
  return every_text && !std::is_constant_evaluated()
             ? check_reading_against_oracle<T>(text, format, read)
             : Fault{};
}

// One form of to_fixed_chars, `write(from, last)`, into exactly [first,
// first + text_size(format)), which the caller makes the end of its room,
// with one character of room before it: the terminated form's bytes,
// `expected`, without the terminator, `ptr` at that range's end whatever
// the outcome, and nothing written before it. One character less room gives
// value_too_large (or a refusal's invalid_argument) and writes nothing.
template <typename T, typename Write>
constexpr Fault check_unterminated_form(T value, const digit_format& format,
                                        const Outcome& expected, char* first, std::errc error,
                                        const Write& write) {
  const std::int32_t size = text_size(format);
  char* const last = first + size;
  std::fill_n(first - 1, size + 1, sentinel);
  const auto [end, result] = write(first, last);
  if (result != error || end != last) {
    return fault(
        result != error ? "to_fixed_chars gave a wrong error" : "to_fixed_chars gave a wrong end",
        value, format);
  }
  if (!same_bytes(first, expected.bytes.data(), size) || first[-1] != sentinel) {
    return fault("to_fixed_chars wrote a wrong byte", value, format);
  }
  if (size == 0) {
    return {};
  }
  std::fill_n(first, size, sentinel);
  const auto [short_end, short_result] = write(first + 1, last);
  if (short_result != (error == std::errc{} ? std::errc::value_too_large : error) ||
      short_end != last ||
      std::any_of(first, last, [](char character) { return character != sentinel; })) {
    return fault("to_fixed_chars took a range one character short", value, format);
  }
  return {};
}

// What to_fixed_chars gives where the terminated form gives `expected`.
template <typename T>
constexpr std::errc unterminated_error(T value, const digit_format& format,
                                       const Outcome& expected) {
  return expected.returns_buffer     ? std::errc{}
         : is_refused(value, format) ? std::errc::invalid_argument
                                     : std::errc::value_too_large;
}

// The same for the format form, the width-and-base form of a plain format,
// and the template form where the caller gives one.
template <typename T, typename WriteKnown = std::nullptr_t>
constexpr Fault check_unterminated(T value, const digit_format& format, const Outcome& expected,
                                   char* first, WriteKnown write_known = nullptr) {
  const std::errc error = unterminated_error(value, format, expected);
  Fault fault = check_unterminated_form(
      value, format, expected, first, error,
      [&](char* from, char* last) { return bitsplit::to_fixed_chars(from, last, value, format); });
  if (!fault && is_plain(format)) {
    fault =
        check_unterminated_form(value, format, expected, first, error, [&](char* from, char* last) {
          return bitsplit::to_fixed_chars(from, last, value, format.width, format.base);
        });
  }
  if constexpr (!std::is_null_pointer_v<WriteKnown>) {
    if (!fault) {
      fault = check_unterminated_form(
          value, format, expected, first, error,
          [&](char* from, char* last) { return write_known(from, last, value); });
    }
  }
  return fault;
}

// The writing forms of a format prepared once, which must exist exactly
// when the function forms take the format: into `room`, as check_conversion
// writes, and into [first, first + text_size(format)), as to_fixed_chars's
// check does. check_reading reads every text prepared too.
template <typename T>
constexpr Fault check_prepared(T value, const digit_format& format, const Outcome& expected,
                               char* room, char* first) {
  const auto prepared = bitsplit::prepare<T>(format);
  if (prepared.has_value() == is_refused(format)) {
    return fault(prepared ? "prepared a refused format" : "refused to prepare a format", value,
                 format);
  }
  if (!prepared) {
    return {};
  }
  const std::int32_t size = text_size(format);
  if (prepared->size() != static_cast<std::size_t>(size)) {
    return fault("a prepared format has a wrong size", value, format);
  }
  std::fill_n(room, size + 1, sentinel);
  if (prepared->write(value, room) != (expected.returns_buffer ? room : nullptr) ||
      !same_bytes(room, expected.bytes.data(), size + 1)) {
    return fault("a prepared format wrote differently", value, format);
  }
  return check_unterminated_form(
      value, format, expected, first, unterminated_error(value, format, expected),
      [&](char* from, char* last) { return prepared->write_chars(from, last, value); });
}

// The same with the oracle's answer, in heap blocks of exactly the room the
// contract allows, and of exactly the text to read back: at compile time an
// access past either is an error, at run time AddressSanitizer sees it. A plain format is checked
// through both overloads at run time; at compile time, where the steps are counted, through one.
// At run time to_fixed_chars too, into the room less the terminator's place,
// and every form of the format prepared.
template <typename T>
constexpr Fault check_against_oracle(T value, const digit_format& format) {
  const Outcome expected = expected_outcome(value, format, oracle_digits(value, format));
  const auto size = static_cast<std::size_t>(text_size(format));
  char* room = new char[size + 1];
  char* read_room = new char[size];
  Fault fault = check_conversion(value, format, expected, room, convert<T>, read_room);
  if (!fault && is_plain(format) && !std::is_constant_evaluated()) {
    fault = check_conversion(value, format, expected, room, convert_through_format<T>, read_room);
  }
  if (!fault && !std::is_constant_evaluated()) {
    fault = check_unterminated(value, format, expected, room + 1);
  }
  // Prepared formats share their code among the types of a magnitude, all
  // but the largest value, which check_reading reads prepared for every
  // type: the narrow types and long, which the sanitizers' build took a
  // quarter longer to compile, write through them in the sampled run.
  if constexpr (sizeof(T) >= 4 && !std::is_same_v<T, long> && !std::is_same_v<T, unsigned long>) {
    if (!fault && !std::is_constant_evaluated()) {
      fault = check_prepared(value, format, expected, room, room + 1);
    }
  }
  delete[] read_room;
  delete[] room;
  return fault;
}

// Letter cases, groups and separators that every value is also checked in:
// groups shorter than, as long as and longer than the kernels' eight-digit
// words, and a separator that is a digit of small bases only.
inline constexpr std::array<digit_format, 6> checked_styles = {
    digit_format{.letters = letter_case::upper},
    digit_format{.group = 1},
    digit_format{.letters = letter_case::upper, .group = 3, .separator = ','},
    digit_format{.group = 4},
    digit_format{.group = 8, .separator = 'z'},
    digit_format{.letters = letter_case::upper, .group = 9, .separator = ' '},
};

// `style` at `width` and `base`.
constexpr digit_format styled(digit_format style, std::int32_t width, std::int32_t base) {
  style.width = width;
  style.base = base;
  return style;
}

// In the plain format, then in the first `style_count` styles.
template <typename T>
constexpr Fault check_in_styles(T value, std::int32_t width, std::int32_t base,
                                std::size_t style_count) {
  Fault fault = check_against_oracle(value, digit_format{width, base});
  for (std::size_t style = 0; !fault && style < style_count; ++style) {
    fault = check_against_oracle(value, styled(checked_styles[style], width, base));
  }
  return fault;
}

template <typename... Types>
struct TypeList {
  static constexpr std::size_t size = sizeof...(Types);
};

// Every integer type that to_fixed_digits takes, int (my_itoa's std::int32_t)
// first; the fuzz seeds pick a type by its place here.
using checked_types = TypeList<int, unsigned, long long, unsigned long long, signed char,
                               unsigned char, short, unsigned short, long, unsigned long
#ifdef __SIZEOF_INT128__
                               ,
                               int128, uint128
#endif
                               >;

// `bits` in decimal, negative when `is_signed_value` and the top bit is set.
inline std::string decimal(WidestBits bits, bool is_signed_value) {
  const bool negative = is_signed_value && (bits >> (8 * sizeof bits - 1)) != 0;
  WidestBits rest = negative ? ~bits + 1 : bits;
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(rest % 10)));
    rest /= 10;
  } while (rest != 0);
  return negative ? "-" + text : text;
}

// "what: value V, width W, base B[, upper case][, groups of G with 'S']", to
// report a fault.
inline std::string describe(const Fault& fault) {
  if (!fault) {
    return "no fault";
  }
  const digit_format& format = fault.format;
  return std::string(fault.what) + ": value " + decimal(fault.value_bits, fault.value_is_signed) +
         ", width " + std::to_string(format.width) + ", base " + std::to_string(format.base) +
         (format.letters == letter_case::upper ? ", upper case" : "") +
         (format.group != 0 ? ", groups of " + std::to_string(format.group) + " with '" +
                                  std::string(1, format.separator) + "'"
                            : "");
}

// The longest a value of T can be in base 2, plus two: the widest width
// worth checking.
template <typename T>
inline constexpr std::int32_t widest_checked_width = static_cast<std::int32_t>(8 * sizeof(T)) -
                                                     (is_signed<T> ? 1 : 0) + 2;

// Values on both sides of each power of `base`, the ends of T's range, and
// every width from -1 to two past the longest value of T, or only the widths
// at the edges; in the plain format and the first `style_count` styles.
template <typename T>
constexpr Fault boundary_fault(std::int32_t base, bool every_width, std::size_t style_count) {
  using Wide = WidestBits;
  constexpr T max = std::numeric_limits<T>::max();
  std::array<T, 400> values{0, 1, max - 1, max, std::numeric_limits<T>::min(), T(-1)};
  std::size_t count = 6;
  const auto step = static_cast<Wide>(base);
  for (Wide power = step;; power *= step) {
    values[count++] = static_cast<T>(power - 1);
    if (power > static_cast<Wide>(max)) {
      break;
    }
    values[count++] = static_cast<T>(power);
    values[count++] = static_cast<T>(power == static_cast<Wide>(max) ? power : power + 1);
    if (power > static_cast<Wide>(max) / step) {
      break;
    }
  }
  for (std::size_t index = 0; index < count; ++index) {
    const std::int32_t length = digits_of(values[index], base).count;
    for (std::int32_t width = -1; width <= widest_checked_width<T>; ++width) {
      // With only the edges, widths around the value's length and the widest.
      const bool edge = width <= 0 || (width >= length - 1 && width <= length + 1) ||
                        width == widest_checked_width<T>;
      if (!every_width && !edge) {
        continue;
      }
      if (const Fault fault = check_in_styles(values[index], width, base, style_count)) {
        return fault;
      }
    }
  }
  return {};
}

}  // namespace bitsplit_test

#endif  // BITSPLIT_TESTS_CONVERSION_CHECK_HPP
