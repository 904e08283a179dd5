// Calls with the width and base known at compile time: each must compile to
// straight-line code that calls nothing.

#include <cstdint>

#include "bitsplit/digits.hpp"

char* hex8(std::int32_t value, char* buffer) { return bitsplit::my_itoa(value, buffer, 8, 16); }
char* bin32(std::int32_t value, char* buffer) { return bitsplit::my_itoa(value, buffer, 32, 2); }
char* dec10(std::int32_t value, char* buffer) { return bitsplit::my_itoa(value, buffer, 10, 10); }
char* hex16(std::uint64_t value, char* buffer) {
  return bitsplit::to_fixed_digits(value, buffer, 16, 16);
}
