#ifndef BITSPLIT_DETAIL_GATHER_HPP
#define BITSPLIT_DETAIL_GATHER_HPP

// Reading a grouped text whose format is known only at run time: its digits
// are copied from between the separators, eight at a time, into a text
// without groups behind '0' fill to whole words, which the reader of texts
// without groups then takes. So the grouped kernels carry no reader of
// their own, and a group of any size costs a copy or two.

#include <array>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "bitsplit/detail/bits.hpp"
#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/portable.hpp"
#include "bitsplit/detail/read.hpp"
#include "bitsplit/detail/words.hpp"

namespace bitsplit::detail {

// The most digits gathered at once: all that any magnitude's value has in
// base 2. Digits before those can only be '0' in a value that fits.
inline constexpr std::uint32_t longest_gathered = 128;

// Where gathering stands: the next character of the text, and how many
// digits its group holds from there.
struct GroupCursor {
  std::size_t place = 0;
  std::uint32_t left_in_group = 0;
};

// Copies the `length` characters at `place` of the `size` at `text` to
// `target`, eight at a time. It may write up to seven bytes past them, and
// reads nothing past the text.
BITSPLIT_ALWAYS_INLINE inline void copy_piece(const char* text, std::size_t size, std::size_t place,
                                              std::uint32_t length, char* target) noexcept {
  for (std::uint32_t done = 0; done < length; done += 8) {
    const std::uint32_t left = length - done;
    store_low_byte_first(target + done, load_run(text, size, place + done, left < 8 ? left : 8));
  }
}

// Copies the next `digits` digits of a grouped text of the right size to
// `target`, and notes in `misfits` a wrong separator on the way.
BITSPLIT_ALWAYS_INLINE inline void gather_digits(const char* text, std::size_t size,
                                                 std::uint32_t group, char separator,
                                                 GroupCursor& cursor, std::uint32_t digits,
                                                 char* target, std::uint64_t& misfits) noexcept {
  std::uint32_t done = 0;
  for (;;) {
    const std::uint32_t left = digits - done;
    const std::uint32_t length = cursor.left_in_group < left ? cursor.left_in_group : left;
    if (length <= 8 && size - cursor.place >= 8) {
      // A group of up to eight digits, the most common, in one copy, which
      // is not cut to its length: what it copies past the digits, the next
      // piece overwrites.
      store_word(target + done, load_word<std::uint64_t>(text + cursor.place));
    } else {
      copy_piece(text, size, cursor.place, length, target + done);
    }
    done += length;
    cursor.place += length;
    cursor.left_in_group -= length;
    if (done == digits) {
      return;
    }
    misfits |= static_cast<unsigned char>(text[cursor.place] ^ separator);
    ++cursor.place;
    cursor.left_in_group = group;
  }
}

// Reads a grouped text with `family`, the reader of texts without groups,
// over its gathered digits: the last longest_gathered of them, and any
// before those, which must all be '0', a window as long before. `group` is
// at least 1.
template <typename Family, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline ReadOutcome<Magnitude> read_gathered(
    const Family& family, const char* text, std::size_t size, std::uint32_t count,
    std::uint32_t group, char separator, Magnitude largest) noexcept {
  if (size == grouped_size(count, group) && count != 0) {
    // Every byte that the reader reads is written first.
    std::array<char, longest_gathered + 16> digits;  // NOLINT(*-member-init)
    GroupCursor cursor{0, count - separator_count(count, group) * group};
    std::uint64_t misfits = 0;
    bool too_large = false;
    Accumulator<Magnitude> value = 0;
    std::uint32_t left = count;
    do {
      // The first window the shortest, so that every other is whole.
      const std::uint32_t window = (left - 1) % longest_gathered + 1;
      const std::uint32_t padded = (window + 7) / 8 * 8;
      store_word(digits.data(), zero_chars);
      gather_digits(text, size, group, separator, cursor, window, digits.data() + (padded - window),
                    misfits);
      const Scan<Magnitude> scan =
          scan_in_words<false>(family, digits.data(), padded, padded, 0, '_', largest);
      left -= window;
      misfits |= scan.misfits;
      too_large = too_large || scan.too_large || (left != 0 && scan.value != 0);
      value = scan.value;
    } while (left != 0);
    if (misfits == 0) {
      if (too_large) {
        return {size, std::errc::result_out_of_range};
      }
      return {size, std::errc{}, static_cast<Magnitude>(value)};
    }
  }
  if (count == 0 && size == 0) {
    return {};
  }
  return find_misfit(text, size, count, family.base, group, separator, largest);
}

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_GATHER_HPP
