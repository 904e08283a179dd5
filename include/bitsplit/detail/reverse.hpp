#ifndef BITSPLIT_DETAIL_REVERSE_HPP
#define BITSPLIT_DETAIL_REVERSE_HPP

// Reversal a word at a time, for run time only.

#include <cstdint>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/portable.hpp"

namespace bitsplit::detail {

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

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_REVERSE_HPP
