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
  platform/display_win.cpp
  window/form1_win.cpp)
target_link_libraries(vigilo_win PUBLIC vigilo_core comctl32 advapi32 gdi32 user32)

if(VIGILO_BUILD_PRODUCT)
  # Reproducible: no link time stamp in the PE, no build folder in the code.
  set(PRODUCT_LINK ${STATIC_LINK})
  if(MINGW)
    list(APPEND PRODUCT_LINK -Wl,--no-insert-timestamp)
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
  endif()
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Windows 95, 98 and ME load only programs that ask for 4.0 or less.
    list(APPEND PRODUCT_LINK -Wl,--major-os-version,4,--minor-os-version,0
         -Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
  endif()
  add_executable(vigilo WIN32 window/main_win.cpp window/vigilo.rc)
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_sources(vigilo PRIVATE platform/ansi_imports_win.cpp)
  endif()
  target_link_libraries(vigilo PRIVATE vigilo_win ${PRODUCT_LINK})
  if(MSVC)
    # vigilo.rc holds the manifest; the linker must not add one of its own.
    target_link_options(vigilo PRIVATE /MANIFEST:NO)
  endif()
  set_target_properties(vigilo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

  # What make bench measures start-up against: the same window with no
  # logic, built and linked as the product is.
  add_executable(floor WIN32 tests/bench/floor_win.cpp tests/bench/floor.rc)
  target_link_libraries(floor PRIVATE vigilo_core comctl32 gdi32 user32 ${PRODUCT_LINK})
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_sources(floor PRIVATE platform/ansi_imports_win.cpp)
  endif()
  set_target_properties(floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

  add_executable(nwserver WIN32 standin/nwserver_win.cpp)
  target_link_libraries(nwserver PRIVATE user32 gdi32 ${PRODUCT_LINK})
  set_target_properties(nwserver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
endif()

if(NOT VIGILO_BUILD_TESTS)
  return()
endif()

# The tests run the exes of the product's tree (this one unless told).
set(VIGILO_PRODUCT_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder of vigilo.exe and standin/")

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
wine_path(WIN_VIGILO_EXE ${VIGILO_PRODUCT_DIR}/vigilo.exe)
wine_path(WIN_STANDIN_EXE ${VIGILO_PRODUCT_DIR}/standin/nwserver.exe)
wine_path(WIN_SCRATCH_DIR ${CMAKE_BINARY_DIR}/scratch)

add_executable(platform_tests
  tests/wine/store_test.cpp
  tests/wine/shell_test.cpp
  tests/wine/process_test.cpp
  tests/wine/window_list_test.cpp
  tests/wine/owner_test.cpp)
target_link_libraries(platform_tests PRIVATE vigilo_win GTest::gtest_main ${STATIC_LINK})
target_compile_definitions(platform_tests PRIVATE STANDIN_EXE="${WIN_STANDIN_EXE}")
add_test(NAME platform_tests COMMAND platform_tests)

add_library(probe SHARED tests/blackbox/probe_dll.cpp)
set_target_properties(probe PROPERTIES PREFIX "")
target_link_libraries(probe PRIVATE gdi32 user32 ${STATIC_LINK})
wine_path(WIN_PROBE_DLL ${CMAKE_BINARY_DIR}/probe.dll)
add_dependencies(platform_tests probe)  # a DLL beside the tests that no system has

add_executable(blackbox_tests
  tests/blackbox/driver.cpp
  tests/blackbox/startup_test.cpp
  tests/blackbox/settings_test.cpp
  tests/blackbox/supervision_test.cpp
  tests/blackbox/soak_test.cpp
  tests/blackbox/window_test.cpp)
target_link_libraries(blackbox_tests PRIVATE vigilo_core GTest::gtest_main advapi32 user32 gdi32 version
  oleacc oleaut32 ole32 uuid ${STATIC_LINK})
add_executable(churn WIN32 tests/blackbox/churn_win.cpp)
target_link_libraries(churn PRIVATE user32 ${STATIC_LINK})
wine_path(WIN_CHURN_EXE ${CMAKE_BINARY_DIR}/churn.exe)
# The window before the hidden caption labels, built for the same processor.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  wine_path(WIN_REFERENCE_EXE ${CMAKE_SOURCE_DIR}/tests/data/reference/vigilo64.exe)
else()
  wine_path(WIN_REFERENCE_EXE ${CMAKE_SOURCE_DIR}/tests/data/reference/vigilo.exe)
endif()
add_dependencies(blackbox_tests probe churn)
if(MSVC)
  target_compile_options(blackbox_tests PRIVATE /wd4996)  # GetVersion: which family Wine reports
endif()
if(TARGET vigilo)
  add_dependencies(platform_tests nwserver)
  add_dependencies(blackbox_tests vigilo nwserver)
endif()
target_compile_definitions(blackbox_tests PRIVATE
  VIGILO_EXE="${WIN_VIGILO_EXE}"
  STANDIN_EXE="${WIN_STANDIN_EXE}"
  SCRATCH_DIR="${WIN_SCRATCH_DIR}"
  PROBE_DLL="${WIN_PROBE_DLL}"
  CHURN_EXE="${WIN_CHURN_EXE}"
  REFERENCE_EXE="${WIN_REFERENCE_EXE}")

# Side-by-side figures under Wine (make bench).
add_executable(wine_bench tests/bench/wine_bench.cpp)
target_link_libraries(wine_bench PRIVATE vigilo_core psapi user32 ${STATIC_LINK})

# Each scenario is its own test so that ctest -j runs them side by side.
foreach(suite Startup Settings Window WorkedSequence SlowStart LaunchFailure KillFirst Input Dpi
              Names Soak Desktop Launcher Hosted)
  set(filter ${suite}.*)
  if(suite STREQUAL WorkedSequence)
    set(filter WorkedSequence.InRealTime*)
  endif()
  add_test(NAME blackbox_${suite} COMMAND blackbox_tests --gtest_filter=${filter})
  set_tests_properties(blackbox_${suite} PROPERTIES LABELS blackbox)
endforeach()

# Wine takes a display's DPI when the prefix's Wine server starts: the start
# at 144 DPI runs in a prefix and on a display of its own.
add_test(NAME blackbox_DpiStart
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine/with-wine.sh --own-display --dpi 144
                 wine $<TARGET_FILE:blackbox_tests> --gtest_filter=DpiStart.*)
set_tests_properties(blackbox_DpiStart PROPERTIES LABELS blackbox)

# Real keystrokes go to the foreground window, the DPI setting is the whole
# prefix's, and a capture of the screen wants no other program's window
# coming up: these run alone.
set_tests_properties(blackbox_Input blackbox_Dpi blackbox_Names PROPERTIES RUN_SERIAL TRUE)
# The soak's servers take the activation hundreds of times: it starts once the
# suites that watch the window's focus and contents are done, and runs beside
# the ones that wait on the watchdog's real intervals.
set_tests_properties(blackbox_Soak PROPERTIES DEPENDS
                     "blackbox_Startup;blackbox_Settings;blackbox_Window;blackbox_KillFirst")

# The Windows 9x code path and a Cyrillic code page: these run again in a
# prefix where Wine reports a Russian Windows 98 (scripts/test.sh), and
# check that it does.
foreach(suite Startup KillFirst WorkedSequence Fonts)
  set(filter ${suite}.*)
  if(suite STREQUAL Fonts)
    set(filter Window.CaptionLabelsAndTheLogUseTheirFonts)
  elseif(suite STREQUAL WorkedSequence)
    set(filter WorkedSequence.Ticked*)
  endif()
  add_test(NAME win98_${suite} COMMAND blackbox_tests --gtest_filter=${filter})
  set_tests_properties(win98_${suite} PROPERTIES LABELS "blackbox;win98"
                       ENVIRONMENT VIGILO_EXPECT_WIN98=1)
endforeach()

# Where each suite runs. Every one runs on the shipped 32-bit exe where the
# kernel runs 32-bit code, and on the 64-bit build on the host where it
# does not; there the emulated PC runs those labelled "guest" and the
# "win98" runs: what differs in the 32-bit build, the core and the platform
# layer at 32 bits, the exe's start, window procedure, keys, DPI, launches,
# jobs and kills. Left to the 64-bit build, whose source is the same: the
# suites that wait on the watchdog's real intervals (WorkedSequence and
# LaunchFailure, whose ticked sequence the win98 runs make; Desktop),
# Window's drawing and table of places (279 s there), DpiStart (a prefix of
# its own), Settings and the soak.
set_property(TEST core_tests platform_tests blackbox_Startup blackbox_SlowStart blackbox_KillFirst
             blackbox_Input blackbox_Dpi blackbox_Names blackbox_Launcher blackbox_Hosted
             APPEND PROPERTY LABELS guest)

# Each test's time bound in seconds, about twice its time on two cores with
# the suites side by side and never under a minute, so that a fault fails
# within it rather than after ctest's default. VIGILO_TIME_SCALE stretches
# them, and the tests' own waits, for a slower machine: 5 for QEMU's
# software CPU (scripts/test.sh). The soak's bound is for its default
# length; `make soak` runs it outside ctest.
set(VIGILO_TIME_SCALE 1 CACHE STRING "How much slower than a two-core PC the tests run")
foreach(bound
    core_tests:60 platform_tests:120
    blackbox_Startup:90 blackbox_Settings:90 blackbox_Window:120 blackbox_WorkedSequence:300
    blackbox_SlowStart:60 blackbox_LaunchFailure:150 blackbox_KillFirst:60 blackbox_Input:90
    blackbox_Dpi:90 blackbox_DpiStart:90 blackbox_Names:90 blackbox_Soak:300 blackbox_Desktop:150
    blackbox_Launcher:60 blackbox_Hosted:60
    win98_Startup:90 win98_KillFirst:60 win98_WorkedSequence:90 win98_Fonts:60)
  string(REPLACE ":" ";" bound "${bound}")
  list(GET bound 0 test)
  list(GET bound 1 seconds)
  math(EXPR seconds "${seconds} * ${VIGILO_TIME_SCALE}")
  set_tests_properties(${test} PROPERTIES TIMEOUT ${seconds})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT VIGILO_TIME_SCALE=${VIGILO_TIME_SCALE})
endforeach()
