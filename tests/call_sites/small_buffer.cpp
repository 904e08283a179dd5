// A caller's array and a run-time width: the library's headers must not warn
// with -O2 -Wall -Wextra.

#include <cstdint>
#include <cstdio>

#include "bitsplit/digits.hpp"

void print_hex(std::int32_t value, std::int32_t width) {
  char buffer[16];
  if (const char* digits = bitsplit::my_itoa(value, buffer, width, 16)) {
    std::puts(digits);
  }
}
