# Cross build for 32-bit Windows with MinGW-w64 (posix thread model: std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOVIN_MINGW_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER ${TOVIN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVIN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVIN_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${TOVIN_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump for the target")

set(CMAKE_FIND_ROOT_PATH /usr/${TOVIN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not offer the build machine's Linux libraries to the cross build.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# SSE2 arithmetic as on x86_64 (every CPU that runs a current VST host has it), and a realigned
# stack at entry points, since 32-bit hosts may call with only 4-byte stack alignment.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")

# Everything links statically: no libstdc++, libgcc or libwinpthread DLL beside the plug-in or the tests.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
