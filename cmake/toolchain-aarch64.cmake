# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit ARM (a Raspberry Pi beside the bench) with Debian's cross compiler
# and the arm64 libraries installed beside the build machine's (dpkg --add-architecture).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Libraries and CMake packages in /usr/lib/aarch64-linux-gnu, not the build machine's folder.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# The test programs run under user-mode emulation with the arm64 C library that Qt's arm64
# packages bring (libc6:arm64). Not with -L /usr/aarch64-linux-gnu: that folder's loader is
# the cross compiler's own build of the C library, and a loader of one build with the libc.so.6
# of another hangs at the first new thread.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
# Qt's code generators (moc) are the build machine's.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
