# Cross build for 32-bit Windows with mingw-w64. The "-posix" compilers give
# std::thread and std::mutex; everything is linked statically so the .exe
# runs on its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# libjpeg-turbo cross-built by scripts/setup into the build tree.
set(PIM_MINGW_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/third_party/mingw-i686" CACHE PATH
    "Prefix holding the cross-built third-party libraries")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${PIM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine in a prefix of this build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
