# Shared by the MinGW-w64 toolchain files; MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

# MINGW_THREADS picks the compiler's thread model. The products use "win32":
# they need no winpthreads, whose imports (vectored exception handlers,
# GetTickCount64) Windows 98 and XP x64 lack. GoogleTest needs std::mutex, which only
# the "posix" model has, so the tests are built with that in a tree of their own.
if(NOT MINGW_THREADS)
  set(MINGW_THREADS posix)
endif()
foreach(tool gcc-${MINGW_THREADS} g++-${MINGW_THREADS} windres)
  find_program(MINGW_${tool} ${MINGW_TRIPLE}-${tool})
  if(NOT MINGW_${tool})
    message(FATAL_ERROR "${MINGW_TRIPLE}-${tool} not found: install mingw-w64 (make setup).")
  endif()
endforeach()
set(CMAKE_C_COMPILER ${MINGW_gcc-${MINGW_THREADS}})
set(CMAKE_CXX_COMPILER ${MINGW_g++-${MINGW_THREADS}})
set(CMAKE_RC_COMPILER ${MINGW_windres})

find_program(WINE_PROGRAM wine)
if(NOT WINE_PROGRAM)
  message(FATAL_ERROR "wine not found: install wine (make setup) to run the Windows tests.")
endif()
# Through the scripts' wine, which also starts where no 32-bit code runs. A
# path without "..": the emulated PC has the scripts but no cmake folder.
get_filename_component(WINE_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/bin/wine ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_WRAPPER})

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
