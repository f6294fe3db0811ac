# One interface target carries the language level and the warnings, so every
# target of the project is built the same way.
add_library(quobrix_build_options INTERFACE)
target_compile_features(quobrix_build_options INTERFACE cxx_std_20)
target_compile_options(quobrix_build_options INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wsuggest-override
  -Wold-style-cast -Wextra-semi -Wcast-qual)
if(QUOBRIX_WERROR)
  target_compile_options(quobrix_build_options INTERFACE -Werror)
endif()

# clang checks the lock rules written in the core's headers (GUARDED_BY,
# REQUIRES, ...), and with its beta checks the nestings (ACQUIRED_BEFORE).
# quobrix_core only: tests set up a record without taking its locks.
option(QUOBRIX_THREAD_SAFETY "Check quobrix_core's lock rules (clang only)" OFF)
if(QUOBRIX_THREAD_SAFETY AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(quobrix_build_options INTERFACE
    "$<$<STREQUAL:$<TARGET_PROPERTY:NAME>,quobrix_core>:-Wthread-safety;-Wthread-safety-beta;-Werror>")
endif()

# Sanitizer builds: -DQUOBRIX_SANITIZE=thread or address,undefined
set(QUOBRIX_SANITIZE "" CACHE STRING "Sanitizers to build with (thread, or address,undefined)")
if(QUOBRIX_SANITIZE)
  target_compile_options(quobrix_build_options INTERFACE
    -fsanitize=${QUOBRIX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(quobrix_build_options INTERFACE -fsanitize=${QUOBRIX_SANITIZE})
endif()

# Fuzz builds instrument the whole core for coverage; the fuzz targets
# themselves link libFuzzer's main.
if(QUOBRIX_BUILD_FUZZ)
  target_compile_options(quobrix_build_options INTERFACE -fsanitize=fuzzer-no-link)
  target_link_options(quobrix_build_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
