#ifndef BITSPLIT_PREPARED_FORMAT_HPP
#define BITSPLIT_PREPARED_FORMAT_HPP

// Formats chosen at run time, for many values: checked once, their kernels
// chosen once. bitsplit/digits.hpp includes this header; it may also be
// included on its own.

#include "bitsplit/digits.hpp"

#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) >= 202002L

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/kernels.hpp"
#include "bitsplit/detail/magnitude.hpp"

namespace bitsplit {

template <digit_integer T>
class prepared_format;

template <digit_integer T>
[[nodiscard]] constexpr std::optional<prepared_format<T>> prepare(
    const digit_format& format) noexcept;

// A format for values of T, checked once: each call through it gives
// exactly what the function form with the same format gives, and skips the
// checks and the choice of code that the function form makes on every call.
//
//   const auto hex = bitsplit::prepare<std::uint32_t>({.width = width, .base = 16});
//   if (!hex) { /* a format to_fixed_digits refuses */ }
//   std::array<char, 64> buffer;
//   char* text = hex->write(value, buffer);        // to_fixed_digits(value, buffer, format)
//   auto [ptr, ec] = hex->read(text_view, value);  // from_fixed_digits(text_view, value, format)
//
// Small (at most 32 bytes) and trivially copyable; it allocates nothing,
// and as it never changes it may be shared between threads.
template <digit_integer T>
class prepared_format {
 public:
  // The characters that a conversion writes, the terminator not counted:
  // formatted_size(format()).
  [[nodiscard]] constexpr std::size_t size() const noexcept { return layout_.size; }

  // The format as prepared: a width of 0 or less reads as 0.
  [[nodiscard]] constexpr digit_format format() const noexcept {
    return {.width = static_cast<std::int32_t>(layout_.count),
            .base = layout_.base,
            .letters = layout_.letter_gap == detail::upper_letter_gap ? letter_case::upper
                                                                      : letter_case::lower,
            .group = static_cast<std::int32_t>(layout_.group),
            .separator = layout_.separator};
  }

  // to_fixed_digits(value, buffer, format()).
  [[nodiscard]] constexpr char* write(T value, std::span<char> buffer) const noexcept {
    if (buffer.size() <= layout_.size || detail::is_negative(value)) {
      return nullptr;
    }
#ifndef BITSPLIT_PORTABLE
    if (!std::is_constant_evaluated()) {
      return detail::prepared_write_kernels<detail::magnitude_t<T>,
                                            detail::Terminated>[layout_.write_kernel](
          layout_, detail::magnitude_of(value), buffer.data());
    }
#endif
    return to_fixed_digits(value, buffer, format());
  }

  // The same with a pointer: the caller promises size() + 1 characters at
  // `buffer`, and a null `buffer` gives null.
  [[nodiscard]] constexpr char* write(T value, char* buffer) const noexcept {
    return buffer != nullptr ? write(value, std::span<char>(buffer, layout_.size + 1)) : nullptr;
  }

  // to_fixed_chars(first, last, value, format()): no terminator.
  [[nodiscard]] constexpr std::to_chars_result write_chars(char* first, char* last,
                                                           T value) const noexcept {
    if (detail::is_negative(value)) {
      return {last, std::errc::invalid_argument};
    }
    if (last - first < static_cast<std::ptrdiff_t>(layout_.size)) {
      return {last, std::errc::value_too_large};
    }
    // As in to_fixed_chars: an empty range may be two null pointers.
    if (layout_.size == 0) {
      return value == 0 ? std::to_chars_result{first, std::errc{}}
                        : std::to_chars_result{last, std::errc::value_too_large};
    }
#ifndef BITSPLIT_PORTABLE
    if (!std::is_constant_evaluated()) {
      char* const end = detail::prepared_write_kernels<detail::magnitude_t<T>,
                                                       detail::Unterminated>[layout_.write_kernel](
          layout_, detail::magnitude_of(value), first);
      return end != nullptr ? std::to_chars_result{end, std::errc{}}
                            : std::to_chars_result{last, std::errc::value_too_large};
    }
#endif
    return to_fixed_chars(first, last, value, format());
  }

  // from_fixed_digits(text, value, format()).
  [[nodiscard]] constexpr std::from_chars_result read(std::string_view text,
                                                      T& value) const noexcept {
#ifndef BITSPLIT_PORTABLE
    if (!std::is_constant_evaluated()) {
      const auto outcome =
          detail::prepared_read_kernels<detail::magnitude_t<T>>[layout_.read_kernel](
              layout_, text.data(), text.size(), detail::largest_magnitude<T>);
      if (outcome.error == std::errc{}) {
        value = static_cast<T>(outcome.value);
      }
      return {text.data() + outcome.stop, outcome.error};
    }
#endif
    return from_fixed_digits(text, value, format());
  }

 private:
  friend constexpr std::optional<prepared_format> prepare<T>(const digit_format& format) noexcept;

  constexpr explicit prepared_format(const detail::Layout& layout) noexcept : layout_(layout) {}

  // The kernels' place in their table is chosen here, once.
  detail::Layout layout_;
};

// `format` prepared for values of T, or nothing when to_fixed_digits
// refuses it: a base outside 2 to 36, a negative group, or a grouped
// format whose separator is '\0' or a digit of the base.
template <digit_integer T>
[[nodiscard]] constexpr std::optional<prepared_format<T>> prepare(
    const digit_format& format) noexcept {
  if (!detail::is_usable(format)) {
    return std::nullopt;
  }
  return prepared_format<T>(detail::Layout{
      .count = detail::count_of(format.width),
      .size = static_cast<std::uint32_t>(formatted_size(format)),
      .group = static_cast<std::uint32_t>(format.group),
      .base = static_cast<std::uint8_t>(format.base),
      .letter_gap = static_cast<std::uint8_t>(detail::letter_gap_of(format)),
      .separator = format.separator,
      .read_kernel = detail::prepared_read_kernel(detail::count_of(format.width),
                                                  static_cast<std::uint32_t>(format.base),
                                                  static_cast<std::uint32_t>(format.group)),
      .write_kernel = detail::prepared_write_kernel<detail::magnitude_t<T>>(
          detail::count_of(format.width), static_cast<std::uint32_t>(format.base),
          static_cast<std::uint32_t>(format.group))});
}

}  // namespace bitsplit

#endif  // C++20
#endif  // BITSPLIT_PREPARED_FORMAT_HPP
