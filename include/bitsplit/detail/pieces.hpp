#ifndef BITSPLIT_DETAIL_PIECES_HPP
#define BITSPLIT_DETAIL_PIECES_HPP

// Runs of characters as front-aligned pieces of 8, 4, 2 and 1 bytes: the
// layout in which the word kernels store digits and the short reversal loads
// them. A load that matches an earlier store exactly is forwarded from it
// (or, with a count known at compile time, folded away); one that straddles
// two stores waits for both to reach the cache, which costs more than a whole
// kernel.

#include <array>
#include <cstddef>
#include <cstdint>

#include "bitsplit/detail/bits.hpp"

namespace bitsplit::detail {

inline constexpr std::uint64_t each_byte = 0x0101010101010101U;
inline constexpr std::uint64_t zero_chars = 0x30 * each_byte;  // "00000000"

// Eight digit characters a word, digit i in byte i % 8 of words[i / 8],
// counting bytes from the least significant: four words for a 32-bit value,
// eight for a 64-bit one.
template <std::size_t word_count>
using DigitWords = std::array<std::uint64_t, word_count>;

// The longest run that `word_count` words hold.
template <std::size_t word_count>
inline constexpr std::uint32_t piece_length = 8 * word_count;

// Stores the first `count` (at most piece_length) digits of `words` in
// order, least significant first.
template <std::size_t word_count>
inline void store_digit_pieces(char* buffer, std::uint32_t count,
                               const DigitWords<word_count>& words) noexcept {
  const std::size_t whole_words = count / 8;
  for (std::size_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      store_low_byte_first(buffer + 8 * index, words[index]);
    }
  }
  // The rest lies in one word; a count of piece_length leaves none.
  std::uint64_t rest = words[whole_words % words.size()];
  char* piece = buffer + 8 * whole_words;
  if ((count & 4U) != 0) {
    store_low_byte_first(piece, static_cast<std::uint32_t>(rest));
    rest >>= 32U;
    piece += 4;
  }
  if ((count & 2U) != 0) {
    store_low_byte_first(piece, static_cast<std::uint16_t>(rest));
    rest >>= 16U;
    piece += 2;
  }
  if ((count & 1U) != 0) {
    *piece = static_cast<char>(rest);
  }
}

// Reverses the first `length` (at most piece_length) characters: loads every
// piece, then stores each byte-reversed where it belongs, the piece at
// [start, start + size) at [length - start - size, length - start).
template <std::size_t word_count>
inline void reverse_in_pieces(char* buffer, std::uint32_t length) noexcept {
  const std::size_t whole_words = length / 8;
  DigitWords<word_count> words{};
  for (std::size_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      words[index] = load_word<std::uint64_t>(buffer + 8 * index);
    }
  }
  std::size_t start = 8 * whole_words;
  const std::size_t quad_start = start;
  const bool has_quad = (length & 4U) != 0;
  const std::uint32_t quad = has_quad ? load_word<std::uint32_t>(buffer + start) : 0;
  start += length & 4U;
  const std::size_t pair_start = start;
  const bool has_pair = (length & 2U) != 0;
  const std::uint16_t pair = has_pair ? load_word<std::uint16_t>(buffer + start) : 0;
  start += length & 2U;
  const bool has_single = (length & 1U) != 0;
  const char single = has_single ? buffer[start] : '\0';

  for (std::size_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      store_word(buffer + length - 8 * index - 8, byte_swapped(words[index]));
    }
  }
  if (has_quad) {
    store_word(buffer + length - quad_start - 4, byte_swapped(quad));
  }
  if (has_pair) {
    store_word(buffer + length - pair_start - 2, byte_swapped(pair));
  }
  if (has_single) {
    buffer[length - start - 1] = single;
  }
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_PIECES_HPP
