# Shared by the two mingw toolchain files; they set TAVIX_TRIPLE and the processor first.
set(CMAKE_SYSTEM_NAME Windows)
# The posix-thread compiler is needed by GoogleTest (std::mutex).
set(CMAKE_C_COMPILER ${TAVIX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIX_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVIX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
