// Calls with every argument known only at run time: what any width and base
// cost a program in size.

#include <cstdint>

#include "bitsplit/digits.hpp"

char* any32(std::int32_t value, char* buffer, std::int32_t width, std::int32_t base) {
  return bitsplit::my_itoa(value, buffer, width, base);
}
char* any64(std::uint64_t value, char* buffer, std::int32_t width, std::int32_t base) {
  return bitsplit::to_fixed_digits(value, buffer, width, base);
}
