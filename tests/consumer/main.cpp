#include <array>
#include <cstdio>
#include <cstring>

#include "bitsplit/digits.hpp"
#include "bitsplit/version.hpp"

// The build passes the version it found the package at.
static_assert(BITSPLIT_VERSION_MAJOR == EXPECTED_VERSION_MAJOR &&
                  BITSPLIT_VERSION_MINOR == EXPECTED_VERSION_MINOR &&
                  BITSPLIT_VERSION_PATCH == EXPECTED_VERSION_PATCH,
              "bitsplit/version.hpp disagrees with the package version");

int main() {
  std::array<char, 9> buffer{};
  const char* digits = bitsplit::my_itoa(255, buffer.data(), 8, 16);
  if (digits == nullptr || std::strcmp(digits, "000000ff") != 0) {
    return 1;
  }
  std::puts(digits);
  return 0;
}
