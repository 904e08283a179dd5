// bitsplit: prints 1,000,000 as a 32-digit base-2 string, then its high and
// low 16 digits, one line each.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bitsplit/digits.hpp"

namespace {

constexpr std::int32_t report_value = 1'000'000;
constexpr std::int32_t report_width = 32;
constexpr std::int32_t report_base = 2;
constexpr std::size_t half_width = 16;
constexpr std::size_t digit_buffer_size = 128;
constexpr std::size_t half_buffer_size = 64;

// Copies the `half_width` digits that start at `digits` into `half` and
// terminates them.
void copy_half(char* half, const char* digits) {
  std::strncpy(half, digits, half_width);
  half[half_width] = '\0';
}

// Prints the three report lines; false, with nothing printed, when the
// conversion fails.
bool print_report(char* digit_buffer, char* high, char* low) {
  const char* digits = bitsplit::my_itoa(report_value, digit_buffer, report_width, report_base);
  if (digits == nullptr) {
    return false;
  }
  std::printf("buf = %s\n", digits);
  copy_half(high, digits);
  std::printf("hi  = %s\n", high);
  copy_half(low, digits + half_width);
  std::printf("lo  = %s\n", low);
  return true;
}

}  // namespace

int main() {
  char* digit_buffer = static_cast<char*>(std::malloc(digit_buffer_size));
  char* high = static_cast<char*>(std::malloc(half_buffer_size));
  char* low = static_cast<char*>(std::malloc(half_buffer_size));

  const bool reported = digit_buffer != nullptr && high != nullptr && low != nullptr &&
                        print_report(digit_buffer, high, low);
  if (!reported) {
    std::printf("shit\n");
  }
  std::free(low);
  std::free(high);
  std::free(digit_buffer);

  // Scripts must see a report that never reached them (`bitsplit > /dev/full`)
  // as a failure. Buffered output fails only when it is flushed, and some
  // errors show only when the stream is closed.
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  const bool closed = std::fclose(stdout) == 0;
  return reported && flushed && closed ? EXIT_SUCCESS : EXIT_FAILURE;
}
