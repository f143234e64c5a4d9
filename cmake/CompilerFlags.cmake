# Warning and sanitizer flags live on INTERFACE targets that every target links.
# Warnings are errors in CI and in scripts/test; a plain or packaged build leaves them warnings, so a
# newer compiler's new warning does not break it.
option(TERVALO_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(tervalo_flags INTERFACE)
target_compile_options(tervalo_flags INTERFACE
  -Wall -Wextra -Wpedantic $<$<BOOL:${TERVALO_WARNINGS_AS_ERRORS}>:-Werror>
  -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
target_compile_definitions(tervalo_flags INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS)

if(TERVALO_SANITIZE)
  target_compile_options(tervalo_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tervalo_flags INTERFACE -fsanitize=address,undefined)
endif()

# The fuzz build instruments every library for coverage; only the harnesses link libFuzzer's main.
if(TERVALO_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TERVALO_BUILD_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  target_compile_options(tervalo_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()
