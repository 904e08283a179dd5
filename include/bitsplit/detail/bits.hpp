#ifndef BITSPLIT_DETAIL_BITS_HPP
#define BITSPLIT_DETAIL_BITS_HPP

// Byte swaps, and loads and stores of words at any address, for the run-time
// kernels.

#include <bit>
#include <cstdint>
#include <cstring>

#include "bitsplit/detail/compiler.hpp"

namespace bitsplit::detail {

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

constexpr std::uint16_t byte_swapped_portably(std::uint16_t word) noexcept {
  return static_cast<std::uint16_t>((word << 8U) | (word >> 8U));
}
constexpr std::uint8_t byte_swapped_portably(std::uint8_t word) noexcept { return word; }

template <typename Word>
constexpr Word byte_swapped(Word word) noexcept {
#if defined(__cpp_lib_byteswap)
  return std::byteswap(word);
#elif BITSPLIT_HAS_BUILTIN(__builtin_bswap32) && BITSPLIT_HAS_BUILTIN(__builtin_bswap64)
  if constexpr (sizeof(Word) == 8) {
    return __builtin_bswap64(word);
  } else if constexpr (sizeof(Word) == 4) {
    return __builtin_bswap32(word);
  } else {
    return byte_swapped_portably(word);
  }
#else
  return byte_swapped_portably(word);
#endif
}

template <typename Word>
BITSPLIT_ALWAYS_INLINE inline Word load_word(const char* source) noexcept {
  Word word{};
  std::memcpy(&word, source, sizeof word);
  return word;
}

template <typename Word>
BITSPLIT_ALWAYS_INLINE inline void store_word(char* target, Word word) noexcept {
  std::memcpy(target, &word, sizeof word);
}

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "the word-wise kernels know only little- and big-endian byte orders");

// Stores `word` least significant byte first, whatever the byte order.
template <typename Word>
BITSPLIT_ALWAYS_INLINE inline void store_low_byte_first(char* target, Word word) noexcept {
  if constexpr (std::endian::native == std::endian::big) {
    word = byte_swapped(word);
  }
  store_word(target, word);
}

// Loads a word whose least significant byte is the one at `source`, whatever
// the byte order.
template <typename Word>
BITSPLIT_ALWAYS_INLINE inline Word load_low_byte_first(const char* source) noexcept {
  const Word word = load_word<Word>(source);
  if constexpr (std::endian::native == std::endian::big) {
    return byte_swapped(word);
  }
  return word;
}

// Stores `word` most significant byte first, whatever the byte order.
template <typename Word>
BITSPLIT_ALWAYS_INLINE inline void store_high_byte_first(char* target, Word word) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    word = byte_swapped(word);
  }
  store_word(target, word);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_BITS_HPP
