#ifndef BITSPLIT_DETAIL_REVERSE_HPP
#define BITSPLIT_DETAIL_REVERSE_HPP

// Reversal a word at a time, for run time only.
//
// Runs of up to 128 characters whose length the compiler knows are read in
// front-aligned pieces: whole words of 8 bytes, then a piece of 4, 2 and 1
// byte as the length's low bits ask. The conversion stores its digits in the
// same pieces, so that each load is folded away with the store before it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/portable.hpp"

namespace bitsplit::detail {

inline constexpr std::uint32_t longest_piecewise_run = 128;

// Stores the low `length` (below 8) bytes of `word`, least significant first,
// in the pieces that follow the whole words.
BITSPLIT_ALWAYS_INLINE inline void store_last_pieces(char* target, std::uint32_t length,
                                                     std::uint64_t word) noexcept {
  if ((length & 4U) != 0) {
    store_low_byte_first(target, static_cast<std::uint32_t>(word));
    word >>= 32U;
    target += 4;
  }
  if ((length & 2U) != 0) {
    store_low_byte_first(target, static_cast<std::uint16_t>(word));
    word >>= 16U;
    target += 2;
  }
  if ((length & 1U) != 0) {
    *target = static_cast<char>(word);
  }
}

// Loads every piece of a run of at most longest_piecewise_run characters,
// then stores each byte-reversed at its mirror: the piece at [start, start +
// size) at [length - start - size, length - start).
BITSPLIT_ALWAYS_INLINE inline void reverse_in_pieces(char* buffer, std::uint32_t length) noexcept {
  const std::uint32_t whole_words = length / 8;
  std::array<std::uint64_t, longest_piecewise_run / 8> words{};
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      words[index] = load_word<std::uint64_t>(buffer + std::size_t{8} * index);
    }
  }
  std::uint32_t start = 8 * whole_words;
  const std::uint32_t quad_start = start;
  const bool has_quad = (length & 4U) != 0;
  const std::uint32_t quad = has_quad ? load_word<std::uint32_t>(buffer + start) : 0;
  start += length & 4U;
  const std::uint32_t pair_start = start;
  const bool has_pair = (length & 2U) != 0;
  const std::uint16_t pair = has_pair ? load_word<std::uint16_t>(buffer + start) : 0;
  start += length & 2U;
  const bool has_single = (length & 1U) != 0;
  const char single = has_single ? buffer[start] : '\0';

  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      store_word(buffer + (length - 8 * index - 8), byte_swapped(words[index]));
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

// A run whose count of words, (length + 7) / 8, the compiler knows, though
// not the length of its last: the whole words and the last word's pieces
// of 4, 2 and 1 bytes (or a whole word) are loaded where the conversion
// stored them, then stored byte-reversed at their mirrors. `length` is 1 to
// longest_piecewise_run.
BITSPLIT_ALWAYS_INLINE inline void reverse_in_known_words(char* buffer,
                                                          std::uint32_t length) noexcept {
  const std::uint32_t whole_words = (length + 7) / 8 - 1;
  const std::uint32_t tail = length - 8 * whole_words;  // 1 to 8
  std::array<std::uint64_t, longest_piecewise_run / 8> words{};
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      words[index] = load_word<std::uint64_t>(buffer + std::size_t{8} * index);
    }
  }
  char* const last = buffer + std::size_t{8} * whole_words;
  std::uint64_t tail_word = 0;
  if (tail == 8) {
    tail_word = load_low_byte_first<std::uint64_t>(last);
  } else {
    std::uint32_t done = 0;
    if ((tail & 4U) != 0) {
      tail_word = load_low_byte_first<std::uint32_t>(last);
      done = 4;
    }
    if ((tail & 2U) != 0) {
      tail_word |= std::uint64_t{load_low_byte_first<std::uint16_t>(last + done)} << (8 * done);
      done += 2;
    }
    if ((tail & 1U) != 0) {
      tail_word |= std::uint64_t{static_cast<unsigned char>(last[done])} << (8 * done);
    }
  }
  BITSPLIT_UNROLL_WORDS
  for (std::uint32_t index = 0; index < words.size(); ++index) {
    if (index < whole_words) {
      store_word(buffer + (length - 8 * index - 8), byte_swapped(words[index]));
    }
  }
  // The last word's bytes, reversed, in its first `tail` bytes' pieces.
  const std::uint64_t reversed = byte_swapped(tail_word) >> (8 * (8 - tail));
  if (tail == 8) {
    store_low_byte_first(buffer, reversed);
  } else {
    store_last_pieces(buffer, tail, reversed);
  }
}

// Swaps the first and the last word of [first, last), each byte-reversed.
// When the range is shorter than two words the two overlap, and both stores
// put the same bytes there, so a range of one to two words comes out reversed.
template <typename Word>
inline void swap_reversed_ends(char* first, char* last) noexcept {
  const Word head = byte_swapped(load_word<Word>(first));
  const Word tail = byte_swapped(load_word<Word>(last - sizeof(Word)));
  store_word(first, tail);
  store_word(last - sizeof(Word), head);
}

// A word from each end at a time, then the middle one to two words in a
// single overlapping swap, or under four characters one by one.
inline void reverse_in_words(char* buffer, std::uint32_t length) noexcept {
  std::uint32_t front = 0;
  std::uint32_t back = length;
  for (; back - front > 16; front += 8, back -= 8) {
    swap_reversed_ends<std::uint64_t>(buffer + front, buffer + back);
  }
  if (back - front >= 8) {
    swap_reversed_ends<std::uint64_t>(buffer + front, buffer + back);
  } else if (back - front >= 4) {
    swap_reversed_ends<std::uint32_t>(buffer + front, buffer + back);
  } else {
    reverse_bytewise(buffer + front, back - front);
  }
}

// A length the compiler knows folds each piece's store, load and byte swap
// into one store; one whose words it knows loads each piece where it was
// stored. For any other, swapping words from both ends branches
// less, which costs more than the loads that straddle two of the
// conversion's stores.
BITSPLIT_ALWAYS_INLINE inline void reverse_at_run_time(char* buffer,
                                                       std::uint32_t length) noexcept {
  if (BITSPLIT_IS_KNOWN(length) && length <= longest_piecewise_run) {
    reverse_in_pieces(buffer, length);
  } else if (BITSPLIT_IS_KNOWN((length + 7) / 8) && length - 1 < longest_piecewise_run) {
    reverse_in_known_words(buffer, length);
  } else {
    reverse_in_words(buffer, length);
  }
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_REVERSE_HPP
