# Common compile settings for every target of the project.
function(stellix_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(STELLIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Reproducible arithmetic: no fused multiply-add contraction anywhere in the audio code.
add_compile_options(-ffp-contract=off)

if(STELLIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "STELLIX_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Coverage for the fuzzer in every library (STELLIX_SANITIZE is on with it).
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(STELLIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(STELLIX_TSAN)
  # ThreadSanitizer cannot share a process with AddressSanitizer, and its reports need the
  # unoptimised code's line numbers and call stacks.
  if(STELLIX_SANITIZE)
    message(FATAL_ERROR "STELLIX_TSAN cannot be combined with STELLIX_SANITIZE or STELLIX_FUZZ")
  endif()
  if(WIN32)
    message(FATAL_ERROR "STELLIX_TSAN is for Linux builds")
  endif()
  if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    message(FATAL_ERROR "STELLIX_TSAN needs -DCMAKE_BUILD_TYPE=Debug")
  endif()
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=thread)
  set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=thread)
  check_cxx_source_compiles("int main() { return 0; }" STELLIX_HAVE_TSAN)
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(NOT STELLIX_HAVE_TSAN)
    message(FATAL_ERROR "The compiler cannot build with -fsanitize=thread (is its libtsan installed?)")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(MINGW)
  # C99 printf family from mingw-w64 rather than the system C runtime's, so that number texts
  # come out exactly as on Linux.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
  # libgcc, libstdc++ and winpthread are linked in: the plug-in needs only Windows' own DLLs.
  add_link_options(-static)
endif()
