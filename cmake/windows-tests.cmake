# On Linux: cross-builds lorvex.exe with mingw-w64 into <build>/windows and runs its window under
# Wine and Xvfb as CTest tests labelled "windows". Left out when the tools are not installed
# (scripts/install-deps.sh installs them).
option(LORVEX_WINDOWS "Cross-build lorvex.exe and test it under Wine" ON)
find_program(LORVEX_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(LORVEX_WINE wine)
find_program(LORVEX_XVFB Xvfb)
if(NOT LORVEX_WINDOWS OR NOT LORVEX_MINGW_CXX OR NOT LORVEX_WINE OR NOT LORVEX_XVFB)
  message(STATUS "Windows build and tests: off (needs mingw-w64, wine and Xvfb)")
  return()
endif()

# The Windows build takes PrintMessage's window lines through the output layer's window channel
# and decodes directory values with the shared LDAP value helpers.
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/util/window_channel.h OR NOT EXISTS ${CMAKE_SOURCE_DIR}/directory/ads/ldap_values.h)
  message(STATUS "Windows build and tests: off (util/window_channel.h or directory/ads/ldap_values.h missing)")
  return()
endif()

include(ExternalProject)
set(windows_build ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(lorvex_windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${windows_build}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
             -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DLORVEX_WERROR=${LORVEX_WERROR} -DLORVEX_TESTS=ON
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

# Saved files, window texts, printed pages and the Wine prefix live here.
set(windows_work ${CMAKE_BINARY_DIR}/windows-test-artifacts)
set(windows_scripts ${CMAKE_SOURCE_DIR}/tests/windows)

add_test(NAME windows_session_start COMMAND ${windows_scripts}/session.sh start ${windows_work})
add_test(NAME windows_session_stop COMMAND ${windows_scripts}/session.sh stop ${windows_work})
set_tests_properties(windows_session_start PROPERTIES FIXTURES_SETUP windows_session LABELS windows
                     TIMEOUT 300 RESOURCE_LOCK wine)
set_tests_properties(windows_session_stop PROPERTIES FIXTURES_CLEANUP windows_session LABELS windows
                     RESOURCE_LOCK wine)

set(windows_scenarios usage-copy help version not-silent save-as save-as-failure find about menu-exit silent directory-error
                      follow-output escape-yes escape-no close-during-run thumb-drag)
foreach(scenario ${windows_scenarios})
  add_test(NAME windows_${scenario}
           COMMAND ${windows_scripts}/run_scenario.sh ${scenario} ${windows_build} ${windows_work})
  # Generous: the scenarios wait for conditions, and a loaded machine makes every step slow.
  set_tests_properties(windows_${scenario} PROPERTIES FIXTURES_REQUIRED windows_session LABELS windows
                       TIMEOUT 360 RESOURCE_LOCK wine)
endforeach()

# Printing through Wine's printer driver to a private CUPS server; skipped without one.
set(print_orders "print-uncollated=1 1 2 2 3 3" "print-collated=1 2 3 1 2 3" "print-range=2" "print-screen=image"
                 "print-screen-key=image" "print-screen-key-up=image")
foreach(entry ${print_orders})
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 scenario)
  list(GET parts 1 order)
  add_test(NAME windows_${scenario}
           COMMAND ${windows_scripts}/run_scenario.sh ${scenario} ${windows_build} ${windows_work} "${order}")
  set_tests_properties(windows_${scenario} PROPERTIES FIXTURES_REQUIRED windows_session LABELS windows
                       TIMEOUT 360 RESOURCE_LOCK wine SKIP_RETURN_CODE 77)
endforeach()

# lorvex.exe against the Samba test domain under Wine, its window's text compared with the output
# of the OpenLDAP build (tests/windows/directory_scenario.sh says what Wine allows). Like the other
# one-DC tests it runs after the two-DC fixture has brought the domain back to DC1 alone.
add_test(NAME windows_directory
         COMMAND ${windows_scripts}/directory_scenario.sh $<TARGET_FILE:lorvex> ${windows_build} ${windows_work})
set_tests_properties(windows_directory PROPERTIES FIXTURES_REQUIRED "windows_session;testdomain" LABELS windows
                     RESOURCE_LOCK "wine;testdomain" TIMEOUT 600 SKIP_RETURN_CODE 77 DEPENDS testdomain_dc2_stop)
