#ifndef BITSPLIT_DIGITS_HPP
#define BITSPLIT_DIGITS_HPP

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

// Both routines can run at compile time, allocate nothing, keep no state and
// touch only the caller's buffer, so calls on different buffers may run
// concurrently.
//
// Define BITSPLIT_PORTABLE to make them use only their plain code at run time
// too, as they always do at compile time.

namespace bitsplit {

// Reverses the first `length` characters of `buffer` in place.
//
// `buffer` must hold at least `length` characters. Nothing at index `length`
// or beyond is read or written, so a terminator there stays in place; a
// `length` of 0 touches nothing.
constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept;

// Writes `value` in `base` as exactly `width` digits into `buffer`: most
// significant digit first, zeros on the left, and a zero byte at index
// `width`. Digits 10 to 35 are the letters 'a' to 'z'. Returns `buffer`.
//
// The caller owns `buffer` and must give it room for `width` + 1 characters
// (one character when `width` is 0 or less). Nothing past index `width` is
// read or written, and index `width` is written only on success.
//
// A `width` of 0 or less gives the empty string for a `value` of 0. The digits
// are produced least significant first and put in order by one call to
// reverse_char on success.
//
// Returns null, and the caller must treat the buffer as holding no result:
// - when `buffer` is null, `value` is negative or `base` is outside 2 to 36;
//   then nothing is written;
// - when `value` has more digits than `width`; then the first `width` bytes
//   hold its low-order digits, least significant first, with no terminator.
constexpr char* my_itoa(std::int32_t value, char* buffer, std::int32_t width,
                        std::int32_t base) noexcept;

namespace detail {

inline constexpr std::int32_t max_base = 36;
inline constexpr std::string_view digit_chars = "0123456789abcdefghijklmnopqrstuvwxyz";

// Writes the low `count` digits of `rest` in `base`, least significant first,
// and returns what is left of `rest`.
constexpr std::uint32_t write_low_digits(std::uint32_t rest, char* buffer, std::uint32_t count,
                                         std::uint32_t base) noexcept {
  for (std::uint32_t index = 0; index < count; ++index) {
    buffer[index] = digit_chars[rest % base];
    rest /= base;
  }
  return rest;
}

// Every two-digit number in `base`, low digit first, as write_low_digits
// stores them.
template <std::uint32_t base>
inline constexpr auto digit_pairs = [] {
  std::array<char, std::size_t{2} * base * base> pairs{};
  for (std::uint32_t pair = 0; pair < base * base; ++pair) {
    pairs[2 * pair] = digit_chars[pair % base];
    pairs[2 * pair + 1] = digit_chars[pair / base];
  }
  return pairs;
}();

// The same for a base known at compile time: the divisions become shifts or
// multiplies, and each one yields two digits.
template <std::uint32_t base>
constexpr std::uint32_t write_low_digits(
    std::uint32_t rest, char* buffer, std::uint32_t count,
    std::integral_constant<std::uint32_t, base> /*base*/) noexcept {
  constexpr std::uint32_t pair_base = base * base;
  std::uint32_t index = 0;
  for (; count - index >= 2; index += 2) {
    const std::uint32_t pair = rest % pair_base;
    rest /= pair_base;
    buffer[index] = digit_pairs<base>[2 * pair];
    buffer[index + 1] = digit_pairs<base>[2 * pair + 1];
  }
  return write_low_digits(rest, buffer + index, count - index, base);
}

template <std::uint32_t base>
inline constexpr std::integral_constant<std::uint32_t, base> fixed_base{};

#ifdef __has_builtin
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage): #if can test only a macro.
#define BITSPLIT_HAS_BUILTIN(name) __has_builtin(name)
#else
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage): as above.
#define BITSPLIT_HAS_BUILTIN(name) 0
#endif

// Byte swaps in shifts and masks, for compilers that offer nothing better:
// swap neighbouring bytes, then neighbouring pairs, then the halves.
constexpr std::uint32_t byte_swapped_portably(std::uint32_t word) noexcept {
  word = ((word & 0x00ff00ffU) << 8U) | ((word >> 8U) & 0x00ff00ffU);
  return (word << 16U) | (word >> 16U);
}
constexpr std::uint64_t byte_swapped_portably(std::uint64_t word) noexcept {
  word = ((word & 0x00ff00ff00ff00ffU) << 8U) | ((word >> 8U) & 0x00ff00ff00ff00ffU);
  word = ((word & 0x0000ffff0000ffffU) << 16U) | ((word >> 16U) & 0x0000ffff0000ffffU);
  return (word << 32U) | (word >> 32U);
}

template <typename Word>
constexpr Word byte_swapped(Word word) noexcept {
#if defined(__cpp_lib_byteswap)
  return std::byteswap(word);
#elif BITSPLIT_HAS_BUILTIN(__builtin_bswap32) && BITSPLIT_HAS_BUILTIN(__builtin_bswap64)
  if constexpr (sizeof(Word) == 8) {
    return __builtin_bswap64(word);
  } else {
    return __builtin_bswap32(word);
  }
#else
  return byte_swapped_portably(word);
#endif
}

// Swaps the first and the last word of [first, last), each byte-reversed.
// When the range is shorter than two words the two overlap, and both stores
// put the same bytes there, so a range of one to two words comes out reversed.
template <typename Word>
inline void swap_reversed_ends(char* first, char* last) noexcept {
  Word head{};
  Word tail{};
  std::memcpy(&head, first, sizeof head);
  std::memcpy(&tail, last - sizeof tail, sizeof tail);
  head = byte_swapped(head);
  tail = byte_swapped(tail);
  std::memcpy(first, &tail, sizeof tail);
  std::memcpy(last - sizeof head, &head, sizeof head);
}

}  // namespace detail

constexpr void reverse_char(char* buffer, std::uint32_t length) noexcept {
  std::uint32_t front = 0;
  std::uint32_t back = length;
#ifndef BITSPLIT_PORTABLE
  if (!std::is_constant_evaluated()) {
    // A word from each end at a time, and the middle one to two words in a
    // single overlapping swap.
    for (; back - front > 16; front += 8, back -= 8) {
      detail::swap_reversed_ends<std::uint64_t>(buffer + front, buffer + back);
    }
    if (back - front >= 8) {
      detail::swap_reversed_ends<std::uint64_t>(buffer + front, buffer + back);
      return;
    }
    if (back - front >= 4) {
      detail::swap_reversed_ends<std::uint32_t>(buffer + front, buffer + back);
      return;
    }
  }
#endif
  for (; back - front >= 2; ++front, --back) {
    std::swap(buffer[front], buffer[back - 1]);
  }
}

constexpr char* my_itoa(std::int32_t value, char* buffer, std::int32_t width,
                        std::int32_t base) noexcept {
  if (buffer == nullptr || value < 0 || base < 2 || base > detail::max_base) {
    return nullptr;
  }
  // Non-negative from here on, so unsigned arithmetic is exact and cheaper.
  auto rest = static_cast<std::uint32_t>(value);
  const auto divisor = static_cast<std::uint32_t>(base);
  const std::uint32_t count = width > 0 ? static_cast<std::uint32_t>(width) : 0;

  // Least significant digit first; once the value runs out the same loop
  // writes the zero fill.
  switch (divisor) {
    case 2:
      rest = detail::write_low_digits(rest, buffer, count, detail::fixed_base<2>);
      break;
    case 8:
      rest = detail::write_low_digits(rest, buffer, count, detail::fixed_base<8>);
      break;
    case 10:
      rest = detail::write_low_digits(rest, buffer, count, detail::fixed_base<10>);
      break;
    case 16:
      rest = detail::write_low_digits(rest, buffer, count, detail::fixed_base<16>);
      break;
    default:
      rest = detail::write_low_digits(rest, buffer, count, divisor);
      break;
  }
  if (rest != 0) {
    return nullptr;  // More digits than the width holds.
  }
  buffer[count] = '\0';
  reverse_char(buffer, count);
  return buffer;
}

}  // namespace bitsplit

#undef BITSPLIT_HAS_BUILTIN

#endif  // BITSPLIT_DIGITS_HPP
