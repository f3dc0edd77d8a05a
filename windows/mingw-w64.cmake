# Cross-builds the game for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread model, which
# Qt needs) against a Qt built for it, and runs the built programs through Wine:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64.cmake \
#         -DKUBRISK_WINDOWS_QT=/path/to/qt
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Qt is looked for under its own prefix and the MinGW-w64 folders only, never among the host's
# libraries; its host tools (moc, uic, rcc) are Linux programs.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KUBRISK_WINDOWS_QT)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KUBRISK_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without the link time in the headers, the same sources give the same executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT -Wl,--no-insert-timestamp)

# ctest runs the .exe files through Wine, with Qt's and the compiler's DLLs on Wine's path.
set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine.sh ${KUBRISK_WINDOWS_QT})
