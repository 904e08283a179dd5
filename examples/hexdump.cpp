// A hex dump in xxd's default layout, and its reverse: an example of writing
// and reading fixed-width records with bitsplit.
//
//   hexdump [FILE]      dumps FILE (or standard input), 16 bytes a line:
//                       00000000: 4865 6c6c 6f2c 2077 6f72 6c64 2e0a       Hello, world..
//   hexdump -r [FILE]   reads such a dump back into the bytes; a line that
//                       breaks the layout stops it with its line and column
//
// Each line is one buffer: every field is written in place with
// to_fixed_chars, which returns the field's end, and read in place with
// from_fixed_digits, whose ptr names the first character at fault.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

#include "bitsplit/digits.hpp"

namespace {

constexpr std::size_t bytes_per_line = 16;
constexpr std::size_t half = bytes_per_line / 2;
// "00000000: ", the bytes in groups of two, two blanks, then the text.
constexpr std::size_t offset_width = 8;
constexpr std::size_t hex_column = offset_width + 2;
constexpr std::size_t hex_size = bytes_per_line * 2 + bytes_per_line / 2 - 1;
constexpr std::size_t text_column = hex_column + hex_size + 2;
constexpr std::size_t line_size = text_column + bytes_per_line + 1;

constexpr bitsplit::digit_format offset_format{.width = offset_width, .base = 16};

// Up to eight bytes as one number, the first byte most significant.
std::uint64_t big_endian(const unsigned char* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t index = 0; index < count; ++index) {
    value = value << 8U | bytes[index];
  }
  return value;
}

// The digits of `count` (1 to 8) bytes, in groups of two bytes from the
// left: as the digits of an even count, with a zero byte after an odd one
// whose digits are then blanked.
char* put_bytes(char* out, char* end, const unsigned char* bytes, std::size_t count) {
  const std::size_t even = count + count % 2;
  const std::uint64_t value = big_endian(bytes, count) << (8 * (even - count));
  const auto [next, error] = bitsplit::to_fixed_chars(
      out, end, value,
      {.width = static_cast<std::int32_t>(2 * even), .base = 16, .group = 4, .separator = ' '});
  if (error != std::errc{} || count == even) {
    return next;
  }
  std::fill(next - 2, next, ' ');
  return next - 2;
}

// One line of the dump, with its newline; null when the offset needs more
// than eight digits.
char* put_line(char* line, std::uint64_t offset, const unsigned char* bytes, std::size_t count) {
  char* const end = line + line_size;
  std::fill(line, end, ' ');
  auto [out, error] = bitsplit::to_fixed_chars(line, end, offset, offset_format);
  if (error != std::errc{}) {
    return nullptr;
  }
  *out = ':';
  out = put_bytes(line + hex_column, end, bytes, std::min(count, half));
  if (count > half) {
    put_bytes(out + 1, end, bytes + half, count - half);
  }
  char* text = line + text_column;
  for (std::size_t index = 0; index < count; ++index) {
    *text++ = bytes[index] >= 0x20 && bytes[index] < 0x7f ? static_cast<char>(bytes[index]) : '.';
  }
  *text++ = '\n';
  return text;
}

int dump(std::FILE* input) {
  std::array<unsigned char, bytes_per_line> bytes{};
  std::array<char, line_size> line{};
  std::uint64_t offset = 0;
  for (std::size_t count = 0; (count = std::fread(bytes.data(), 1, bytes.size(), input)) > 0;
       offset += count) {
    const char* end = put_line(line.data(), offset, bytes.data(), count);
    if (end == nullptr) {
      static_cast<void>(std::fputs("hexdump: input of 4 GiB or more\n", stderr));
      return 1;
    }
    const auto size = static_cast<std::size_t>(end - line.data());
    if (std::fwrite(line.data(), 1, size, stdout) != size) {
      return 1;
    }
  }
  return std::ferror(input) != 0 ? 1 : 0;
}

// Where a line breaks the layout: a column from 1, and why.
struct Fault {
  std::size_t column = 0;
  const char* what = nullptr;
};

Fault fault_at(std::string_view line, const char* place, const char* what) {
  return {static_cast<std::size_t>(place - line.data()) + 1, what};
}

// Reads the digits of `count` (1 to 8) bytes that put_bytes wrote at
// index `start` of `line`.
Fault read_bytes(std::string_view line, std::size_t start, std::size_t count,
                 unsigned char* bytes) {
  const std::size_t even = count - count % 2;
  const std::size_t size = 2 * even + (even == 0 ? 0 : even / 2 - 1);
  std::uint64_t value = 0;
  if (even > 0) {
    const auto [ptr, error] = bitsplit::from_fixed_digits(
        line.substr(start, size), value,
        {.width = static_cast<std::int32_t>(2 * even), .base = 16, .group = 4, .separator = ' '});
    if (error != std::errc{}) {
      return fault_at(line, ptr, "not a byte in hex");
    }
  }
  if (count != even) {
    const std::size_t last = start + size + (even == 0 ? 0 : 1);
    if (even > 0 && line[start + size] != ' ') {
      return fault_at(line, line.data() + start + size, "no blank between groups");
    }
    std::uint64_t last_byte = 0;
    const auto [ptr, error] = bitsplit::from_fixed_digits(line.substr(last, 2), last_byte, 2, 16);
    if (error != std::errc{}) {
      return fault_at(line, ptr, "not a byte in hex");
    }
    value = value << 8U | last_byte;
  }
  for (std::size_t index = count; index-- > 0; value >>= 8U) {
    bytes[index] = static_cast<unsigned char>(value & 0xffU);
  }
  return {};
}

// Reads one line of a dump, without its newline, at `offset`.
Fault read_line(std::string_view line, std::uint64_t offset, unsigned char* bytes,
                std::size_t& count) {
  if (line.size() <= text_column || line.size() > text_column + bytes_per_line) {
    return {std::min(line.size(), text_column) + 1, "not a line of 1 to 16 bytes"};
  }
  count = line.size() - text_column;
  std::uint64_t read_offset = 0;
  const auto [ptr, error] =
      bitsplit::from_fixed_digits(line.substr(0, offset_width), read_offset, offset_format);
  if (error != std::errc{}) {
    return fault_at(line, ptr, "not an offset in hex");
  }
  if (read_offset != offset) {
    return {1, "not the offset of the bytes before"};
  }
  if (line.substr(offset_width, 2) != ": ") {
    return {offset_width + 1, "no ': ' after the offset"};
  }
  if (const Fault fault = read_bytes(line, hex_column, std::min(count, half), bytes);
      fault.what != nullptr) {
    return fault;
  }
  if (count > half) {
    const std::size_t second = hex_column + 2 * half + half / 2;
    if (line[second - 1] != ' ') {
      return {second, "no blank between groups"};
    }
    if (const Fault fault = read_bytes(line, second, count - half, bytes + half);
        fault.what != nullptr) {
      return fault;
    }
  }
  std::array<char, line_size> written{};
  const char* end = put_line(written.data(), offset, bytes, count);
  const auto mismatch = std::mismatch(line.begin(), line.end(), written.begin(),
                                      written.begin() + (end - 1 - written.data()));
  if (mismatch.first != line.end()) {
    return {static_cast<std::size_t>(mismatch.first - line.begin()) + 1,
            "not the layout of these bytes"};
  }
  return {};
}

int reverse(std::FILE* input) {
  std::array<char, line_size + 2> line{};
  std::array<unsigned char, bytes_per_line> bytes{};
  std::uint64_t offset = 0;
  for (std::size_t number = 1; std::fgets(line.data(), line.size(), input) != nullptr; ++number) {
    std::string_view text(line.data());
    if (!text.empty() && text.back() == '\n') {
      text.remove_suffix(1);
    }
    std::size_t count = 0;
    if (const Fault fault = read_line(text, offset, bytes.data(), count); fault.what != nullptr) {
      static_cast<void>(std::fprintf(stderr, "hexdump: line %zu, column %zu: %s\n", number,
                                     fault.column, fault.what));
      return 1;
    }
    if (std::fwrite(bytes.data(), 1, count, stdout) != count) {
      return 1;
    }
    offset += count;
  }
  return std::ferror(input) != 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool reversing = argc > 1 && std::strcmp(argv[1], "-r") == 0;
  const int file_argument = reversing ? 2 : 1;
  std::FILE* input = argc > file_argument ? std::fopen(argv[file_argument], "rb") : stdin;
  if (input == nullptr || argc > file_argument + 1) {
    static_cast<void>(std::fputs("usage: hexdump [-r] [FILE]\n", stderr));
    return 2;
  }
  const int status = reversing ? reverse(input) : dump(input);
  if (input != stdin) {
    static_cast<void>(std::fclose(input));
  }
  const bool written = std::ferror(stdout) == 0 && std::fclose(stdout) == 0;
  return status != 0 ? status : written ? 0 : 1;
}
