#ifndef BITSPLIT_DETAIL_VECTOR_GROUPS_HPP
#define BITSPLIT_DETAIL_VECTOR_GROUPS_HPP

// Grouped base-2 and base-16 texts of a known format in 16-byte registers,
// on x86-64: writing both, and reading base 2. Every character of the text is a lane that knows at
// compile time what it is: a separator, or the digit of one bit or nibble of the value. A digit
// lane holds a copy of its byte and keeps its own bits, so the separators cost no more than the
// digits, where moving digits past them would cost a step each.
//
// Copies of the bytes are put in place 16 bits at a time (SSE2 has no byte
// shuffle), so a format fits only where no pair of lanes needs two different
// bytes, and its text is at least 16 characters: in base 2 groups of 1, 2, 4
// and 8, in base 16 groups of 1 and 2, at every such width, values of up to
// 64 bits. Other formats take the word kernels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "bitsplit/detail/compiler.hpp"
#include "bitsplit/detail/format.hpp"
#include "bitsplit/detail/vector_chars.hpp"
#include "bitsplit/detail/vector_words.hpp"

namespace bitsplit::detail {

// What each lane of a grouped text of `count` digits of `digit_bits` bits
// (1: base 2, 4: base 16) is, for a value of `bytes` bytes: the byte that
// holds its digit (-1 for none); for base 2 the bit's mask in it as `low`,
// for base 16 0x0f as `low` or `high` for the nibble it is in; and for
// a digit '0', for any other lane its character, less the 1 that a base-2
// lane with no bit gets.
template <std::uint32_t digit_bits, std::uint32_t count, std::uint32_t group, char separator,
          std::uint32_t bytes>
struct GroupLanes {
  static_assert(digit_bits == 1 || digit_bits == 4);
  static constexpr std::uint32_t size = grouped_size(count, group);
  static constexpr char unset = digit_bits == 1 ? 1 : 0;  // what a maskless lane adds

  struct Lane {
    std::int32_t byte = -1;
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    char below = 0;
    std::int32_t digit = -1;  // counted from the least significant
  };

  static constexpr std::array<Lane, size> lanes = [] {
    std::array<Lane, size> result{};
    std::uint32_t place = size;
    for (std::uint32_t digit = 0; digit < count; ++digit) {
      if (digit != 0 && digit % group == 0) {
        result[--place] = {-1, 0, 0, static_cast<char>(separator - unset)};
      }
      const std::uint32_t bit = digit * digit_bits;
      Lane lane{-1, 0, 0, static_cast<char>('0' - unset), static_cast<std::int32_t>(digit)};
      if (bit / 8 < bytes) {
        lane = {static_cast<std::int32_t>(bit / 8), 0, 0, '0', static_cast<std::int32_t>(digit)};
        if constexpr (digit_bits == 1) {
          lane.low = static_cast<std::uint8_t>(1U << (bit % 8));
        } else {
          (bit % 8 == 0 ? lane.low : lane.high) = 0x0f;
        }
      }
      result[--place] = lane;
    }
    return result;
  }();

  // The 16-byte pieces start every 16 characters, the last one ending with
  // the text.
  static constexpr std::uint32_t pieces = (size + 15) / 16;
  static constexpr std::uint32_t start_of(std::uint32_t piece) {
    return piece + 1 < pieces ? 16 * piece : size - 16;
  }

  // The byte that the pair of lanes from `first` holds copies of: -1 for
  // none, -2 where its lanes need two different ones.
  static constexpr std::int32_t pair_byte(std::uint32_t first) {
    const std::int32_t left = lanes[first].byte;
    const std::int32_t right = lanes[first + 1].byte;
    return left < 0 ? right : right < 0 || right == left ? left : -2;
  }

  static constexpr bool fits = [] {
    if (size < 16 || bytes > 8) {
      return false;
    }
    for (std::uint32_t piece = 0; piece < pieces; ++piece) {
      for (std::uint32_t pair = 0; pair < 8; ++pair) {
        if (pair_byte(start_of(piece) + 2 * pair) == -2) {
          return false;
        }
      }
    }
    return true;
  }();

  // The shuffle of 16-bit lanes that puts the pairs of `piece` in place from
  // a register whose halves each hold bytes 4 * `high` to 4 * `high` + 3
  // twice over, with pairs for other bytes left as they come.
  static constexpr int shuffle(std::uint32_t piece, std::uint32_t half, bool high) {
    int selectors = 0;
    for (std::uint32_t pair = 0; pair < 4; ++pair) {
      const std::int32_t byte = pair_byte(start_of(piece) + 8 * half + 2 * pair);
      if (byte >= 0 && (byte >= 4) == high) {
        selectors |= (byte % 4) << (2 * pair);
      }
    }
    return selectors;
  }

  static constexpr bool needs(std::uint32_t piece, bool high) {
    for (std::uint32_t pair = 0; pair < 8; ++pair) {
      const std::int32_t byte = pair_byte(start_of(piece) + 2 * pair);
      if (byte >= 0 && (byte >= 4) == high) {
        return true;
      }
    }
    return false;
  }

  // The constants of `piece`: `field`(lane, the piece's start, its place in
  // the piece) of each of its lanes.
  template <std::uint32_t piece, typename Field>
  static constexpr std::array<char, 16> column(Field field) {
    std::array<char, 16> result{};
    for (std::uint32_t place = 0; place < 16; ++place) {
      result[place] = field(lanes[start_of(piece) + place], start_of(piece), place);
    }
    return result;
  }
};

#ifdef BITSPLIT_HAS_VECTOR_WORDS

template <const auto& bytes>
BITSPLIT_ALWAYS_INLINE inline __m128i vector_of() noexcept {
  return [&]<std::size_t... index>(std::index_sequence<index...>) BITSPLIT_ALWAYS_INLINE_LAMBDA {
    return _mm_setr_epi8(bytes[index]...);
  }
  (std::make_index_sequence<16>{});
}

// Whether a known grouped format of `base` is written in lanes, for a value
// of `bytes` bytes.
template <std::uint32_t base, std::uint32_t count, std::uint32_t group, char separator,
          std::uint32_t bytes>
inline constexpr bool writes_in_lanes = [] {
  if constexpr (base == 2 || base == 16) {
    return GroupLanes < base == 2 ? 1 : 4, count, group, separator, bytes > ::fits;
  } else {
    return false;
  }
}();

// Writes the text of the low `count` digits of `value` in base 2 or 16 in
// groups, and returns whether they are all of its digits.
template <std::uint32_t base, std::uint32_t count, std::uint32_t group, char separator,
          std::uint32_t letter_gap, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline bool write_lane_groups(Magnitude value, char* buffer) noexcept {
  constexpr std::uint32_t digit_bits = base == 2 ? 1 : 4;
  using Lanes = GroupLanes<digit_bits, count, group, separator, sizeof(Magnitude)>;
  // Digits of up to 32 bits need only the value's low four bytes: copied to
  // both halves of a word, they fill both halves of the register in one
  // shuffle fewer, on the port that shuffles share.
  constexpr bool low_half_only = count * digit_bits <= 32;
  auto low = static_cast<std::uint64_t>(value);
  if constexpr (low_half_only) {
    low = (low & 0xffffffffU) * 0x100000001U;
  }
  const __m128i doubled =
      _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(low)),
                        _mm_cvtsi64_si128(static_cast<long long>(low)));  // byte i in 16-bit lane i
  const __m128i low_bytes = low_half_only ? doubled : _mm_unpacklo_epi64(doubled, doubled);
  const __m128i high_bytes = _mm_unpackhi_epi64(doubled, doubled);
  [&]<std::uint32_t... piece>(std::integer_sequence<std::uint32_t, piece...>)
      BITSPLIT_ALWAYS_INLINE_LAMBDA {
    const auto write_piece =
        [&]<std::uint32_t at>(
            std::integral_constant<std::uint32_t, at>) BITSPLIT_ALWAYS_INLINE_LAMBDA {
          const auto arranged = [](__m128i copies, auto high) BITSPLIT_ALWAYS_INLINE_LAMBDA {
            return _mm_shufflehi_epi16(
                _mm_shufflelo_epi16(copies, Lanes::shuffle(at, 0, decltype(high)::value)),
                Lanes::shuffle(at, 1, decltype(high)::value));
          };
          const auto column = [](auto field) BITSPLIT_ALWAYS_INLINE_LAMBDA {
            return Lanes::template column<at>(field);
          };
          using Lane = typename Lanes::Lane;
          static constexpr auto from_high =
              column([](const Lane&, std::uint32_t start, std::uint32_t place) {
                return static_cast<char>(Lanes::pair_byte(start + (place & ~1U)) >= 4 ? -1 : 0);
              });
          static constexpr auto lows = column([](const Lane& lane, std::uint32_t, std::uint32_t) {
            return static_cast<char>(lane.low);
          });
          static constexpr auto highs = column([](const Lane& lane, std::uint32_t, std::uint32_t) {
            return static_cast<char>(lane.high);
          });
          static constexpr auto below =
              column([](const Lane& lane, std::uint32_t, std::uint32_t) { return lane.below; });
          __m128i copies{};
          if constexpr (!Lanes::needs(at, true)) {
            copies = arranged(low_bytes, std::false_type{});
          } else if constexpr (!Lanes::needs(at, false)) {
            copies = arranged(high_bytes, std::true_type{});
          } else {
            const __m128i high = vector_of<from_high>();
            copies = _mm_or_si128(_mm_and_si128(high, arranged(high_bytes, std::true_type{})),
                                  _mm_andnot_si128(high, arranged(low_bytes, std::false_type{})));
          }
          __m128i text{};
          if constexpr (digit_bits == 1) {
            const __m128i mask = vector_of<lows>();
            text =
                _mm_sub_epi8(vector_of<below>(), _mm_cmpeq_epi8(_mm_and_si128(copies, mask), mask));
          } else {
            const __m128i digits =
                _mm_or_si128(_mm_and_si128(copies, vector_of<lows>()),
                             _mm_and_si128(_mm_srli_epi16(copies, 4), vector_of<highs>()));
            const __m128i gap = _mm_and_si128(_mm_cmpgt_epi8(digits, _mm_set1_epi8(9)),
                                              _mm_set1_epi8(static_cast<char>(letter_gap)));
            text = _mm_add_epi8(_mm_add_epi8(digits, vector_of<below>()), gap);
          }
          _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + Lanes::start_of(at)),  // NOLINT
                           text);
        };
    (write_piece(std::integral_constant<std::uint32_t, piece>{}), ...);
  }
  (std::make_integer_sequence<std::uint32_t, Lanes::pieces>{});
  return shifted_down<count * digit_bits>(value) == 0;
}

// Reading a grouped base-2 text: each lane less '0' (a digit) or the
// separator must be at most 1 (a digit) or 0; a digit lane that is 1 gives
// its weight, and psadbw adds up each 8 lanes' weights, those digits' bits
// as a number that pmuludq moves to its place in the value. The pieces are
// or-ed together, so the lanes that the last piece shares with the one
// before give the same bits twice.
template <std::uint32_t count, std::uint32_t group, char separator, typename Magnitude>
struct BinaryGroupReading {
  using Lanes = GroupLanes<1, count, group, separator, sizeof(Magnitude)>;
  static constexpr bool fits = Lanes::size >= 16 && count <= 8 * sizeof(Magnitude);

  // The lowest bit among the digits of `half` of `piece` (-1: none).
  static constexpr std::int32_t lowest_bit(std::uint32_t piece, std::uint32_t half) {
    std::int32_t lowest = -1;
    for (std::uint32_t lane = 8 * half; lane < 8 * half + 8; ++lane) {
      const std::int32_t digit = Lanes::lanes[Lanes::start_of(piece) + lane].digit;
      if (digit >= 0 && (lowest < 0 || digit < lowest)) {
        lowest = digit;
      }
    }
    return lowest;
  }
};

// The value of a grouped base-2 `text` of the format's size, or `misfit`
// if a character breaks the format.
template <std::uint32_t count, std::uint32_t group, char separator, typename Magnitude>
BITSPLIT_ALWAYS_INLINE inline std::uint64_t read_binary_groups(const char* text,
                                                               bool& misfit) noexcept {
  using Reading = BinaryGroupReading<count, group, separator, Magnitude>;
  using Lanes = typename Reading::Lanes;
  __m128i low_bits = _mm_setzero_si128();   // bits 0 to 31 of the value
  __m128i high_bits = _mm_setzero_si128();  // bits 32 to 63, shifted down by 32
  __m128i fit = _mm_set1_epi8(-1);
  [&]<std::uint32_t... piece>(std::integer_sequence<std::uint32_t, piece...>)
      BITSPLIT_ALWAYS_INLINE_LAMBDA {
    const auto read_piece =
        [&]<std::uint32_t at>(
            std::integral_constant<std::uint32_t, at>) BITSPLIT_ALWAYS_INLINE_LAMBDA {
          using Lane = typename Lanes::Lane;
          static constexpr auto zeros =
              Lanes::template column<at>([](const Lane& lane, std::uint32_t, std::uint32_t) {
                return lane.digit >= 0 ? '0' : separator;
              });
          static constexpr auto highest =
              Lanes::template column<at>([](const Lane& lane, std::uint32_t, std::uint32_t) {
                return static_cast<char>(lane.digit >= 0);
              });
          static constexpr auto weights =
              Lanes::template column<at>([](const Lane& lane, std::uint32_t, std::uint32_t place) {
                const std::int32_t lowest = Reading::lowest_bit(at, place / 8);
                return lane.digit >= 0 ? static_cast<char>(
                                             1U << static_cast<std::uint32_t>(lane.digit - lowest))
                                       : '\0';
              });
          constexpr auto shift = [](std::uint32_t half, bool high) {
            const std::int32_t lowest = Reading::lowest_bit(at, half);
            return lowest >= 0 && (lowest >= 32) == high
                       ? 1U << (static_cast<std::uint32_t>(lowest) % 32)
                       : 0U;
          };
          const __m128i digits =
              _mm_sub_epi8(load_sixteen(text + Lanes::start_of(at)), vector_of<zeros>());
          const __m128i most = vector_of<highest>();
          fit = _mm_and_si128(fit, _mm_cmpeq_epi8(_mm_max_epu8(digits, most), most));
          const __m128i sums = _mm_sad_epu8(
              _mm_and_si128(_mm_sub_epi8(_mm_setzero_si128(), digits), vector_of<weights>()),
              _mm_setzero_si128());
          low_bits = _mm_or_si128(
              low_bits, _mm_mul_epu32(sums, _mm_set_epi32(0, static_cast<int>(shift(1, false)), 0,
                                                          static_cast<int>(shift(0, false)))));
          if constexpr (count > 32) {
            high_bits = _mm_or_si128(
                high_bits, _mm_mul_epu32(sums, _mm_set_epi32(0, static_cast<int>(shift(1, true)), 0,
                                                             static_cast<int>(shift(0, true)))));
          }
        };
    (read_piece(std::integral_constant<std::uint32_t, piece>{}), ...);
  }
  (std::make_integer_sequence<std::uint32_t, Lanes::pieces>{});
  misfit = _mm_movemask_epi8(fit) != 0xffff;
  __m128i bits = _mm_or_si128(low_bits, _mm_slli_epi64(high_bits, 32));
  bits = _mm_or_si128(bits, _mm_unpackhi_epi64(bits, bits));
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(bits));
}

#endif  // BITSPLIT_HAS_VECTOR_WORDS

}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_VECTOR_GROUPS_HPP
