# Cross-builds the macOS x86-64 bundle on Linux, without Apple's SDK:
#   - clang-14 for x86_64-apple-macos10.13 against libc++'s headers from Debian (libc++-14-dev);
#   - macos-sysroot/ beside this file for everything else: the few C headers those sources reach,
#     in Darwin's layouts, libc++'s __config_site with vendor availability annotations left on
#     (so nothing newer than the deployment target slips in), and text stubs of libSystem and
#     libc++ that list only the symbols the module binds;
#   - ld64.lld-16 called directly (lld 14 writes wrong __eh_frame addresses, which breaks
#     exceptions). Every import resolves against the stubs, bound to its library by two-level
#     namespace; a symbol the stubs do not list fails the link instead of being left to a flat
#     lookup at load time. Add a new import to the stub only after checking that the system
#     library exports it on the oldest macOS the bundle supports.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE_MACOS_MIN 10.13)
set(ORVANE_MACOS_TRIPLE x86_64-apple-macos${ORVANE_MACOS_MIN})
set(ORVANE_MACOS_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/macos-sysroot)
set(ORVANE_LIBCXX_INCLUDE /usr/lib/llvm-14/include/c++/v1 CACHE PATH "libc++ headers")

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${ORVANE_MACOS_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${ORVANE_MACOS_TRIPLE})
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "")
find_program(CMAKE_LINKER ld64.lld-16 REQUIRED)
set(CMAKE_OSX_ARCHITECTURES x86_64)
set(CMAKE_OSX_DEPLOYMENT_TARGET ${ORVANE_MACOS_MIN})
set(CMAKE_SYSROOT ${ORVANE_MACOS_SYSROOT})

# Our __config_site comes before the one in libc++'s own folder.
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++ -nostdinc++ \
-isystem ${ORVANE_MACOS_SYSROOT}/usr/include/c++/v1 -isystem ${ORVANE_LIBCXX_INCLUDE}")

# Nothing can be linked into an executable here, so the compiler checks stop at compiling.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH ${ORVANE_MACOS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The link rule, which has to come after CMake's own Darwin rules.
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/macos-cross-rules.cmake)
