// Invariant checks for the fuzz targets: a broken invariant is a finding, so it aborts
// with a message naming what broke (the fuzzer then saves the input).
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                       \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);   \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)
