# Windows targets: the plug-in DLL, the stand-ins and (on x86_64) the tests run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -O coff")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
# Static runtime: the DLL and the programs import only Windows system DLLs.
set(TAVIX_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(TAVIX_WIN_LIBS user32 gdi32 comdlg32 version)

# Everything of the plug-in except the module entry point is compiled once and linked
# both into the DLL and into the Windows test programs.
file(GLOB TAVIX_WIN_SOURCES CONFIGURE_DEPENDS
  ${TAVIX_SRC}/plugin/*.cpp ${TAVIX_SRC}/config/*.cpp ${TAVIX_SRC}/host/*.cpp
  ${TAVIX_SRC}/pgp/*.cpp ${TAVIX_SRC}/ui/*.cpp)
list(FILTER TAVIX_WIN_SOURCES EXCLUDE REGEX "/plugin/dll_main\\.cpp$")
add_library(tavix_win OBJECT ${TAVIX_WIN_SOURCES})
target_include_directories(tavix_win PUBLIC ${TAVIX_SRC})

# The module-definition table is generated into MODULE_TABLE_DIR, which the resource
# compiler searches for the files a script names.
add_subdirectory(tools/module_table)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${MODULE_TABLE_DIR}")

set(TAVIX_RC ${TAVIX_SRC}/resources/tavix.rc)
set_source_files_properties(${TAVIX_RC} PROPERTIES
  OBJECT_DEPENDS "${TAVIX_SRC}/resources/tavix131.ico;${TAVIX_SRC}/resources/tavix133.ico;${MODULE_TABLE_BINARY}")

add_library(Tavix32 SHARED
  ${TAVIX_SRC}/plugin/dll_main.cpp
  $<TARGET_OBJECTS:tavix_win>
  ${TAVIX_RC}
  ${TAVIX_SRC}/plugin/Tavix32.def)
set_target_properties(Tavix32 PROPERTIES PREFIX "" OUTPUT_NAME Tavix32 SUFFIX ".dll")
target_include_directories(Tavix32 PRIVATE ${TAVIX_SRC})
target_link_options(Tavix32 PRIVATE ${TAVIX_STATIC_LINK} -Wl,--enable-stdcall-fixup)
target_link_libraries(Tavix32 PRIVATE tavix_core ${TAVIX_WIN_LIBS})
add_dependencies(Tavix32 module_table)

add_subdirectory(tools/pgp)
add_subdirectory(tools/pgp2gpg)
add_subdirectory(tools/host)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_subdirectory(tests/win)
else()
  add_subdirectory(tests/static)
endif()
