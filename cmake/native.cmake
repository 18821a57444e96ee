# Native (Linux) targets: unit tests of the portable core, the PGP stand-in's logic,
# fuzz-corpus replays and benchmarks.
#
# TAVIX_SANITIZE (on in the native preset) builds all of them under AddressSanitizer and
# UndefinedBehaviorSanitizer, so a read or write one byte past a buffer fails the test that
# makes it. Benchmarks are left out then: sanitized timings tell nothing (native-bench).
option(TAVIX_SANITIZE "Build the native targets under ASan and UBSan" OFF)
if(TAVIX_SANITIZE)
  set(TAVIX_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  target_compile_options(tavix_core PRIVATE ${TAVIX_SANITIZE_FLAGS})
  add_compile_options(${TAVIX_SANITIZE_FLAGS})
  add_link_options(${TAVIX_SANITIZE_FLAGS})
endif()
add_subdirectory(tools/pgp)
add_subdirectory(tools/module_table)
add_subdirectory(tools/pgp2gpg)
add_subdirectory(tests/native)
add_subdirectory(tests/fuzz)
if(NOT TAVIX_SANITIZE)
  add_subdirectory(tests/bench)
endif()
add_test(NAME static.core_is_portable
  COMMAND ${CMAKE_SOURCE_DIR}/tests/static/check_core_portable.sh ${TAVIX_SRC}/core)
