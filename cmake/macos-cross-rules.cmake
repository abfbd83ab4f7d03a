# Link rule for the cross build (see macos-cross.cmake): the linker is called directly, so the
# options a target gives with the LINKER: prefix reach it as they are.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
set(CMAKE_CXX_CREATE_SHARED_MODULE "<CMAKE_LINKER> -arch x86_64 \
-platform_version macos ${ORVANE_MACOS_MIN} ${ORVANE_MACOS_MIN} -bundle \
-syslibroot ${ORVANE_MACOS_SYSROOT} <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES> \
-lc++ -lSystem")
