// Flush-to-zero and denormals-are-zero for the duration of a processing call.
#pragma once

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__SSE__) || defined(__x86_64__))
#define STELLIX_MXCSR_BUILTINS 1
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#define STELLIX_MXCSR_INTRINSICS 1
#endif

namespace stellix {

// Sets FTZ (bit 15) and DAZ (bit 6) of the SSE control register and restores the caller's
// register on destruction. Does nothing on other processors.
class ScopedFlushDenormals {
 public:
  static constexpr unsigned kFlushBits = 0x8040u;

  ScopedFlushDenormals() noexcept {
#if defined(STELLIX_MXCSR_BUILTINS)
    saved_ = __builtin_ia32_stmxcsr();
    __builtin_ia32_ldmxcsr(saved_ | kFlushBits);
#elif defined(STELLIX_MXCSR_INTRINSICS)
    saved_ = _mm_getcsr();
    _mm_setcsr(saved_ | kFlushBits);
#endif
  }
  ~ScopedFlushDenormals() {
#if defined(STELLIX_MXCSR_BUILTINS)
    __builtin_ia32_ldmxcsr(saved_);
#elif defined(STELLIX_MXCSR_INTRINSICS)
    _mm_setcsr(saved_);
#endif
  }
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

  // The current control register (0 where there is none); for tests.
  static unsigned controlWord() noexcept {
#if defined(STELLIX_MXCSR_BUILTINS)
    return __builtin_ia32_stmxcsr();
#elif defined(STELLIX_MXCSR_INTRINSICS)
    return _mm_getcsr();
#else
    return 0;
#endif
  }
  static void setControlWord([[maybe_unused]] unsigned w) noexcept {
#if defined(STELLIX_MXCSR_BUILTINS)
    __builtin_ia32_ldmxcsr(w);
#elif defined(STELLIX_MXCSR_INTRINSICS)
    _mm_setcsr(w);
#endif
  }

 private:
  unsigned saved_ = 0;
};

}  // namespace stellix
