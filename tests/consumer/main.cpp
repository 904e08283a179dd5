#include <array>
#include <cstdio>
#include <cstring>

#include "bitsplit/digits.hpp"

int main() {
  std::array<char, 9> buffer{};
  const char* digits = bitsplit::my_itoa(255, buffer.data(), 8, 16);
  if (digits == nullptr || std::strcmp(digits, "000000ff") != 0) {
    return 1;
  }
  std::puts(digits);
  return 0;
}
