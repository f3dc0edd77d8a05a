# Cross-builds the game and its suite for another Debian architecture with Debian's cross
# toolchain, against that architecture's Qt and X11 packages installed beside this machine's own
# (multiarch), and runs the built programs through qemu-user:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cross/toolchain.cmake -DKUBRISK_ARCH=arm64
# with dpkg-dev, crossbuild-essential-ARCH, qtbase5-dev:ARCH or qt6-base-dev:ARCH and qemu-user.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KUBRISK_ARCH)
execute_process(COMMAND dpkg-architecture -a${KUBRISK_ARCH} -qDEB_HOST_GNU_TYPE
                OUTPUT_VARIABLE triplet OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed OR NOT triplet)
    message(FATAL_ERROR "KUBRISK_ARCH names no Debian architecture: '${KUBRISK_ARCH}'")
endif()
string(REGEX REPLACE "-.*" "" processor ${triplet})

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
# The architecture's libraries and CMake packages in /usr/lib/TRIPLET; Qt's moc, uic and rcc are
# this machine's own programs.
set(CMAKE_LIBRARY_ARCHITECTURE ${triplet})

# ctest runs the built programs through qemu-user.
set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/qemu.sh ${KUBRISK_ARCH})
