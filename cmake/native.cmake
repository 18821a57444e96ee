# Native (Linux) targets: unit tests of the portable core, the PGP stand-in's logic,
# fuzz targets and benchmarks.
add_subdirectory(tools/pgp)
add_subdirectory(tools/module_table)
add_subdirectory(tools/pgp2gpg)
add_subdirectory(tests/native)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/CMakeLists.txt)
  add_subdirectory(tests/fuzz)
endif()
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/bench/CMakeLists.txt)
  add_subdirectory(tests/bench)
endif()
