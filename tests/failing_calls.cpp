// Linked into a test build of bitsplit with --wrap=malloc and --wrap=fclose:
// the program's own calls come here. The malloc call whose number (counting
// from 1) is in BITSPLIT_FAIL_MALLOC returns null, and fclose fails when
// BITSPLIT_FAIL_CLOSE is set, as a close that reports a late write error does.

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the linker's names.
extern "C" void* __real_malloc(std::size_t size);
extern "C" int __real_fclose(std::FILE* stream);

extern "C" void* __wrap_malloc(std::size_t size) {
  static long calls = 0;  // The program is single-threaded.
  const char* failing_call = std::getenv("BITSPLIT_FAIL_MALLOC");
  if (failing_call != nullptr && ++calls == std::strtol(failing_call, nullptr, 10)) {
    return nullptr;
  }
  return __real_malloc(size);
}

extern "C" int __wrap_fclose(std::FILE* stream) {
  const int status = __real_fclose(stream);
  if (std::getenv("BITSPLIT_FAIL_CLOSE") != nullptr) {
    errno = EIO;
    return EOF;
  }
  return status;
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
