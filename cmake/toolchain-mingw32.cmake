# i686 Windows build: the release plug-in. Not executed here; inspected with objdump.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TAVIX_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
