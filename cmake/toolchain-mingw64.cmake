# x86_64 Windows build: the one that runs here under wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVIX_TRIPLE x86_64-w64-mingw32)
# The posix-thread compiler is needed by GoogleTest (std::mutex).
set(CMAKE_C_COMPILER ${TAVIX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIX_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVIX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
