# The Windows side: the product, the stand-in server and the tests that run
# under Wine. Everything is linked statically: one self-contained .exe each.
enable_language(RC)
if(MINGW)
  set(STATIC_LINK -static -static-libgcc -static-libstdc++ -s)
endif()

add_library(vigilo_win STATIC
  platform/shell_win.cpp
  platform/store_win.cpp
  platform/process_win.cpp
  platform/window_list_win.cpp
  platform/timer_win.cpp
  window/form1_win.cpp)
target_link_libraries(vigilo_win PUBLIC vigilo_core comctl32 advapi32 gdi32 user32)

add_executable(vigilo WIN32 window/main_win.cpp window/vigilo.rc)
target_link_libraries(vigilo PRIVATE vigilo_win ${STATIC_LINK})
set_target_properties(vigilo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(nwserver WIN32 standin/nwserver_win.cpp)
target_link_libraries(nwserver PRIVATE user32 gdi32 ${STATIC_LINK})
set_target_properties(nwserver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)

# The core's tests again, built by the target compiler.
target_link_libraries(core_tests PRIVATE ${STATIC_LINK})

# Paths as the Windows programs see them: under Wine, drive Z: is the root.
function(wine_path out path)
  string(REPLACE "/" "\\\\" p "${path}")
  if(CMAKE_CROSSCOMPILING)
    set(p "Z:${p}")
  endif()
  set(${out} "${p}" PARENT_SCOPE)
endfunction()
wine_path(WIN_VIGILO_EXE ${CMAKE_BINARY_DIR}/vigilo.exe)
wine_path(WIN_STANDIN_EXE ${CMAKE_BINARY_DIR}/standin/nwserver.exe)
wine_path(WIN_SCRATCH_DIR ${CMAKE_BINARY_DIR}/scratch)

add_executable(platform_tests
  tests/wine/store_test.cpp
  tests/wine/shell_test.cpp
  tests/wine/process_test.cpp
  tests/wine/window_list_test.cpp)
target_link_libraries(platform_tests PRIVATE vigilo_win GTest::gtest_main ${STATIC_LINK})
add_dependencies(platform_tests nwserver)
target_compile_definitions(platform_tests PRIVATE STANDIN_EXE="${WIN_STANDIN_EXE}")
add_test(NAME platform_tests COMMAND platform_tests)

add_library(font_probe SHARED tests/blackbox/font_probe.cpp)
set_target_properties(font_probe PROPERTIES PREFIX "")
target_link_libraries(font_probe PRIVATE ${STATIC_LINK})
wine_path(WIN_FONT_PROBE_DLL ${CMAKE_BINARY_DIR}/font_probe.dll)

add_executable(blackbox_tests
  tests/blackbox/driver.cpp
  tests/blackbox/startup_test.cpp
  tests/blackbox/settings_test.cpp
  tests/blackbox/supervision_test.cpp
  tests/blackbox/window_test.cpp)
target_link_libraries(blackbox_tests PRIVATE vigilo_core GTest::gtest_main advapi32 user32 gdi32 version
  ${STATIC_LINK})
add_dependencies(blackbox_tests vigilo nwserver font_probe)
target_compile_definitions(blackbox_tests PRIVATE
  VIGILO_EXE="${WIN_VIGILO_EXE}"
  STANDIN_EXE="${WIN_STANDIN_EXE}"
  SCRATCH_DIR="${WIN_SCRATCH_DIR}"
  FONT_PROBE_DLL="${WIN_FONT_PROBE_DLL}")

# Each scenario is its own test so that ctest -j runs them side by side.
foreach(suite Startup Settings Window WorkedSequence SlowStart LaunchFailure KillFirst Input Dpi)
  add_test(NAME blackbox_${suite} COMMAND blackbox_tests --gtest_filter=${suite}.*)
  set_tests_properties(blackbox_${suite} PROPERTIES LABELS blackbox)
endforeach()
# Real keystrokes go to the foreground window, and the DPI setting is the
# whole prefix's: these run alone.
set_tests_properties(blackbox_Input blackbox_Dpi PROPERTIES RUN_SERIAL TRUE)
