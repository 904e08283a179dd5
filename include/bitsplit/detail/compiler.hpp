#ifndef BITSPLIT_DETAIL_COMPILER_HPP
#define BITSPLIT_DETAIL_COMPILER_HPP

// What the run-time code asks of the compiler beyond the standard, each with
// a fallback for compilers that lack it.

// NOLINTBEGIN(cppcoreguidelines-macro-usage): #if can test only a macro, and
// attributes and builtins on expressions are not values.

#ifdef __has_builtin
#define BITSPLIT_HAS_BUILTIN(name) __has_builtin(name)
#else
#define BITSPLIT_HAS_BUILTIN(name) 0
#endif

// Whether the compiler knows `expression` at this point once it has inlined
// the code around it; false where it cannot tell, which is always correct.
#if BITSPLIT_HAS_BUILTIN(__builtin_constant_p)
#define BITSPLIT_IS_KNOWN(expression) __builtin_constant_p(expression)
#else
#define BITSPLIT_IS_KNOWN(expression) false
#endif

// Tells the compiler that `condition` holds, so that it may fold what
// follows from it; nothing where it cannot be told.
#if BITSPLIT_HAS_BUILTIN(__builtin_unreachable)
#define BITSPLIT_ASSUME(condition) \
  do {                             \
    if (!(condition)) {            \
      __builtin_unreachable();     \
    }                              \
  } while (false)
#else
#define BITSPLIT_ASSUME(condition) static_cast<void>(0)
#endif

// Inlined whatever the compiler's heuristics say, so that a known format's
// code folds into its caller. Only where the compiler optimises: without,
// nothing folds, and forced inlining would only repeat every helper's code
// at each call (a file of four known-format calls took 25 KB at -O0).
#if defined(__has_cpp_attribute) && defined(__OPTIMIZE__)
#if __has_cpp_attribute(gnu::always_inline)
#define BITSPLIT_INLINE_ALWAYS_WHEN_OPTIMISING
#endif
#endif
#ifdef BITSPLIT_INLINE_ALWAYS_WHEN_OPTIMISING
#define BITSPLIT_ALWAYS_INLINE [[gnu::always_inline]]
#else
#define BITSPLIT_ALWAYS_INLINE
#endif

// The same for a lambda, which also makes it noexcept: only the GNU spelling
// is taken there, after the parameters, and g++ wants it after noexcept
// where clang wants it before.
#if !defined(BITSPLIT_INLINE_ALWAYS_WHEN_OPTIMISING)
#define BITSPLIT_ALWAYS_INLINE_LAMBDA noexcept
#elif defined(__clang__)
#define BITSPLIT_ALWAYS_INLINE_LAMBDA __attribute__((always_inline)) noexcept
#else
#define BITSPLIT_ALWAYS_INLINE_LAMBDA noexcept __attribute__((always_inline))
#endif

#if defined(__has_cpp_attribute) && __has_cpp_attribute(gnu::noinline)
#define BITSPLIT_NOINLINE [[gnu::noinline]]
#else
#define BITSPLIT_NOINLINE
#endif

// Unrolls the next loop, whose trip count is at most 16 (the words of a
// 128-bit value's digits), into straight-line code: g++ -O2 leaves such loops
// rolled, and then keeps their words in memory instead of registers. clang
// takes the same pragma.
#if defined(__clang__)
#define BITSPLIT_UNROLL_WORDS _Pragma("clang loop unroll(full)")
#elif defined(__GNUC__)
#define BITSPLIT_UNROLL_WORDS _Pragma("GCC unroll 16")
#else
#define BITSPLIT_UNROLL_WORDS
#endif

// NOLINTEND(cppcoreguidelines-macro-usage)

namespace bitsplit::detail {

// Whether BITSPLIT_IS_KNOWN can be true of a function's argument: only in an
// optimised build, which inlines. Where it cannot, the code for a format the
// compiler knows is left out with `if constexpr`, not merely never run, so
// that an unoptimised build does not compile it at all.
#if BITSPLIT_HAS_BUILTIN(__builtin_constant_p) && defined(__OPTIMIZE__)
inline constexpr bool folds_known_formats = true;
#else
inline constexpr bool folds_known_formats = false;
#endif

// Whether the build is optimised. An unoptimised build compiles every
// kernel that a table names in full, so the function forms name fewer
// there (see read_digits).
#ifdef __OPTIMIZE__
inline constexpr bool optimised_build = true;
#else
inline constexpr bool optimised_build = false;
#endif

// The 128-bit integers, where the compiler has them. Named once here, under
// __extension__, so that a caller's -Wpedantic stays quiet; the standard
// library's traits do not count them as integers in strict modes
// (-std=c++20), so the library uses its own.
#ifdef __SIZEOF_INT128__
__extension__ using int128 = __int128;
__extension__ using uint128 = unsigned __int128;
#endif
}  // namespace bitsplit::detail

#endif  // BITSPLIT_DETAIL_COMPILER_HPP
