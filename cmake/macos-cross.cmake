# Cross-builds the macOS bundle on Linux, without Apple's SDK, for the CPUs CMAKE_OSX_ARCHITECTURES
# names: x86_64 (the default), arm64, or both ("x86_64;arm64", one universal bundle).
#   - clang-14 for x86_64-apple-macos10.13 and arm64-apple-macos11 against libc++'s headers from
#     Debian (libc++-14-dev); for both, clang compiles each source for each CPU into one fat
#     object, as a Mac's clang does, joining the two with llvm-lipo;
#   - macos-sysroot/ beside this file for everything else: the few C headers those sources reach,
#     in Darwin's layouts (the same for both CPUs, which are LP64 alike), libc++'s __config_site
#     with vendor availability annotations left on (so nothing newer than the deployment target
#     slips in), and text stubs of libSystem and libc++ that list, for each CPU, only the
#     symbols the module binds;
#   - ld64.lld-16 called directly, once per CPU (lld 14 writes wrong __eh_frame addresses, which
#     breaks exceptions), and llvm-lipo joining the slices. Every import resolves against the
#     stubs, bound to its library by two-level namespace; a symbol the stubs do not list fails
#     the link instead of being left to a flat lookup at load time. Add a new import to the stub
#     only after checking that the system library exports it on the oldest macOS the bundle
#     supports for that CPU. The linker signs an arm64 slice ad hoc, without which arm64 code
#     does not run; codesign, which seals the whole bundle, exists only on a Mac.
set(CMAKE_SYSTEM_NAME Darwin)

# The oldest macOS each CPU's slice can ask for, which is what each slice here is built for.
set(ORVANE_MACOS_MIN_x86_64 10.13)
set(ORVANE_MACOS_MIN_arm64 11.0)
set(ORVANE_MACOS_TRIPLE_x86_64 x86_64-apple-macos10.13)
set(ORVANE_MACOS_TRIPLE_arm64 arm64-apple-macos11)
# The slices in the order the universal file holds them, whatever order the list gives.
set(ORVANE_MACOS_SLICES "")
foreach(arch x86_64 arm64)
  if(arch IN_LIST CMAKE_OSX_ARCHITECTURES)
    list(APPEND ORVANE_MACOS_SLICES ${arch})
  endif()
endforeach()
if(NOT ORVANE_MACOS_SLICES)
  # Unset, or nothing this build knows (the top-level CMakeLists.txt names the choices).
  set(ORVANE_MACOS_SLICES x86_64)
endif()
# The first slice sets the compiler's target and the deployment target; clang raises an arm64
# slice of a universal build to macOS 11 by itself, and the link rule gives each slice its own.
list(GET ORVANE_MACOS_SLICES 0 first)
set(CMAKE_SYSTEM_PROCESSOR ${first})
set(ORVANE_MACOS_MIN ${ORVANE_MACOS_MIN_${first}})
set(ORVANE_MACOS_TRIPLE ${ORVANE_MACOS_TRIPLE_${first}})
set(ORVANE_MACOS_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/macos-sysroot)
set(ORVANE_LIBCXX_INCLUDE /usr/lib/llvm-14/include/c++/v1 CACHE PATH "libc++ headers")

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${ORVANE_MACOS_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${ORVANE_MACOS_TRIPLE})
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "")
find_program(CMAKE_LINKER ld64.lld-16 REQUIRED)
set(CMAKE_OSX_ARCHITECTURES ${ORVANE_MACOS_SLICES})
set(CMAKE_OSX_DEPLOYMENT_TARGET ${ORVANE_MACOS_MIN})
set(CMAKE_SYSROOT ${ORVANE_MACOS_SYSROOT})

list(LENGTH ORVANE_MACOS_SLICES slices)
if(slices GREATER 1)
  # clang joins the objects of a fat compile with a program named lipo, looked for first in the
  # folder -B names (see macos-cross-rules.cmake); this one is LLVM's.
  find_program(ORVANE_LIPO NAMES llvm-lipo-14 llvm-lipo REQUIRED)
  set(ORVANE_LIPO_DIR ${CMAKE_BINARY_DIR}/macos-cross-tools)
  file(MAKE_DIRECTORY ${ORVANE_LIPO_DIR})
  file(CREATE_LINK ${ORVANE_LIPO} ${ORVANE_LIPO_DIR}/lipo SYMBOLIC)
  # One sysroot serves both CPUs: CMake is not to look for Xcode's per-CPU SDKs.
  list(TRANSFORM ORVANE_MACOS_SLICES REPLACE ".+" "${ORVANE_MACOS_SYSROOT}"
       OUTPUT_VARIABLE CMAKE_APPLE_ARCH_SYSROOTS)
endif()

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

# The compile and link rules, which have to come after CMake's own Darwin rules.
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/macos-cross-rules.cmake)
