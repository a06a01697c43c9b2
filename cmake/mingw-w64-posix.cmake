# Cross-build for 64-bit Windows with MinGW-w64, posix thread model (std::thread, std::mutex).
# The unsuffixed x86_64-w64-mingw32-g++ is the win32 thread model when both are installed, so
# the -posix compilers are named explicitly. QUORVEX_WINDOWS_PREFIX is where
# scripts/build-windows-deps.sh installed gflags and GoogleTest (static), GEOS (DLLs), and
# the RapidJSON and Eigen headers on their own (no /usr/include, whose glibc headers would
# come before MinGW's).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(QUORVEX_WINDOWS_PREFIX "$ENV{QUORVEX_WINDOWS_PREFIX}" CACHE PATH
    "prefix of the Windows libraries (scripts/build-windows-deps.sh)")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QUORVEX_WINDOWS_PREFIX})
set(CMAKE_PREFIX_PATH ${QUORVEX_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libstdc++, libgcc or winpthread DLLs to put beside the .exe: the GEOS DLLs alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests (and gtest_discover_tests) run the .exe files through Wine, headless.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
endif()
