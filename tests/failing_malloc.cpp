// Linked into a test build of bitsplit with --wrap=malloc: the program's own
// malloc calls come here, and the one whose number (counting from 1) is in
// BITSPLIT_FAIL_MALLOC returns null.

#include <cstddef>
#include <cstdlib>

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the linker's names.
extern "C" void* __real_malloc(std::size_t size);

extern "C" void* __wrap_malloc(std::size_t size) {
  static long calls = 0;  // The program is single-threaded.
  const char* failing_call = std::getenv("BITSPLIT_FAIL_MALLOC");
  if (failing_call != nullptr && ++calls == std::strtol(failing_call, nullptr, 10)) {
    return nullptr;
  }
  return __real_malloc(size);
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
