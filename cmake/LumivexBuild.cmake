# Project-wide build settings and the helpers every folder uses.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

option(LUMIVEX_WERROR "Treat compiler warnings as errors" OFF)
option(LUMIVEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LUMIVEX_BENCHMARKS "Build the benchmarks" ON)
option(LUMIVEX_TESTS "Build the tests" ON)
option(LUMIVEX_FUZZ "Build the fuzz harnesses of fuzz/ (clang; implies the sanitizers)" OFF)

add_compile_options(-Wall -Wextra)
# GCC 12 at -O3 reports a false -Wrestrict overlap inside the standard
# library's "literal" + std::string (GCC bug 105651, mended in GCC 13); it
# fires wherever such a concatenation is inlined, so it is turned off for
# that compiler alone rather than line by line.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
if(LUMIVEX_WERROR)
  add_compile_options(-Werror)
endif()
if(LUMIVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "LUMIVEX_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  set(LUMIVEX_SANITIZE ON)
  # Everything is instrumented for coverage; only the harnesses link the
  # fuzzer's own main (see fuzz/CMakeLists.txt).
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(LUMIVEX_SANITIZE)
  set(LVX_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${LVX_SAN_FLAGS})
  add_link_options(${LVX_SAN_FLAGS})
endif()

# Everything lands in build/bin and build/lib; nothing needs installing.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/static)
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_SKIP_BUILD_RPATH OFF)
add_link_options(-Wl,--enable-new-dtags)
set(LVX_GEN_DIR ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${LVX_GEN_DIR})

# A shared library or dlopen module of ours: hidden symbols by default, RUNPATH
# $ORIGIN so that it finds its sibling libraries in build/lib.
function(lvx_shared_library target)
  set_target_properties(${target} PROPERTIES
    INSTALL_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(NOT LUMIVEX_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

# A program of ours: RUNPATH $ORIGIN/../lib.
function(lvx_executable target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
endfunction()

# lvx_add_test_and_bench_dirs(): adds the calling folder's tests/ and bench/
# sub-folders (each when it is built and has a CMakeLists.txt).
function(lvx_add_test_and_bench_dirs)
  if(LUMIVEX_TESTS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/CMakeLists.txt)
    add_subdirectory(tests)
  endif()
  if(LUMIVEX_BENCHMARKS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/CMakeLists.txt)
    add_subdirectory(bench)
  endif()
endfunction()

if(LUMIVEX_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# lvx_add_gtest(NAME n SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s])
# One GoogleTest executable; every test case runs as its own ctest test, in
# its own process, with its own temporary registry file (see platform/testing).
function(lvx_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} LvxTestMain GTest::gtest GTest::gmock)
  lvx_executable(${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    # The discovery script would split a list of labels into separate
    # properties, so the labels are set by a script of their own, run after
    # it on the tests it found.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_labels.cmake)
    file(WRITE ${script}
         "foreach(t IN LISTS ${T_NAME}_TESTS)\n"
         "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${T_LABELS}\")\n"
         "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/LumivexResources.cmake)

# lvx_add_benchmark(NAME target SMOKE_TEST test SOURCES ... [LIBS ...])
# A Google Benchmark program in build/bin. The test suite runs it only as
# SMOKE_TEST (label bench-smoke): every benchmark once, with --smoke.
function(lvx_add_benchmark)
  cmake_parse_arguments(B "" "NAME;SMOKE_TEST" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} LvxBenchSupport benchmark::benchmark)
  lvx_executable(${B_NAME})
  add_test(NAME ${B_SMOKE_TEST} COMMAND ${B_NAME} --smoke)
  set_tests_properties(${B_SMOKE_TEST} PROPERTIES LABELS bench-smoke TIMEOUT 120)
endfunction()
