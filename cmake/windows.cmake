# The Windows program lorvex.exe: a GUI-subsystem program with its own output window,
# over wldap32, linked statically so that it runs without any runtime DLL beside it.
enable_language(RC)

# The layer over wldap32 and its platform-free decisions (also unit-tested on Linux).
file(GLOB windows_directory_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/directory/ads/win32/*.cc)
set(windows_directory_sources)
pick_sources("${windows_directory_files}" windows_directory_sources windows_directory_sources)
add_library(lorvex_wldap STATIC ${windows_directory_sources})
target_include_directories(lorvex_wldap PUBLIC ${CMAKE_SOURCE_DIR})

set(windows_system_libraries wldap32 ntdsapi comdlg32 comctl32 gdi32 user32 advapi32 netapi32 ws2_32 secur32 rpcrt4)

# The wide entry point and explicit W functions; -municode selects wWinMain at link time.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

list(FILTER app_platform_sources EXCLUDE REGEX "/main_win32\\.cc$")
# Object files rather than an archive: the driver in lorvex_core calls back into the window
# (ShowUsage), so these must be linked whether or not an earlier object asked for them.
add_library(lorvex_window OBJECT ${app_platform_sources})
target_include_directories(lorvex_window PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(lorvex WIN32 ${CMAKE_SOURCE_DIR}/app/main_win32.cc ${CMAKE_SOURCE_DIR}/app/lorvex.rc)
target_link_options(lorvex PRIVATE -municode -static -static-libgcc -static-libstdc++)
target_link_libraries(lorvex PRIVATE lorvex_window lorvex_app lorvex_core lorvex_wldap lorvex_core
                      ${windows_system_libraries})
install(TARGETS lorvex RUNTIME DESTINATION .)

# The test driver that runs inside Wine beside lorvex.exe and works its window like a person.
if(LORVEX_TESTS)
  add_executable(lorvex_wine_driver ${CMAKE_SOURCE_DIR}/tests/windows/wine_driver_win32.cc)
  target_link_options(lorvex_wine_driver PRIVATE -municode -static -static-libgcc -static-libstdc++)
  target_link_libraries(lorvex_wine_driver PRIVATE user32 gdi32)

  # The output window and the worker thread with a slow run of their own that needs no directory:
  # following the output, Esc during the run and closing during the run.
  add_executable(lorvex_slow_run WIN32 ${CMAKE_SOURCE_DIR}/tests/windows/slow_run_win32.cc
                 ${CMAKE_SOURCE_DIR}/app/lorvex.rc)
  target_link_options(lorvex_slow_run PRIVATE -municode -static -static-libgcc -static-libstdc++)
  target_link_libraries(lorvex_slow_run PRIVATE lorvex_window lorvex_app lorvex_core lorvex_wldap lorvex_core
                        ${windows_system_libraries})
endif()
