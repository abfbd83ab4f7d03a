# Compile and link rules for the cross build (see macos-cross.cmake). The linker is called
# directly, so the options a target gives with the LINKER: prefix reach it as they are.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")

# One link of the bundle's module for one CPU, into OUTPUT.
function(orvane_macos_link_command arch output out_var)
  set(min ${ORVANE_MACOS_MIN_${arch}})
  set(${out_var} "<CMAKE_LINKER> -arch ${arch} \
-platform_version macos ${min} ${min} -bundle \
-syslibroot ${ORVANE_MACOS_SYSROOT} <LINK_FLAGS> <OBJECTS> -o ${output} <LINK_LIBRARIES> \
-lc++ -lSystem" PARENT_SCOPE)
endfunction()

list(LENGTH ORVANE_MACOS_SLICES slices)
if(slices EQUAL 1)
  orvane_macos_link_command(${ORVANE_MACOS_SLICES} <TARGET> CMAKE_CXX_CREATE_SHARED_MODULE)
else()
  # A universal bundle: clang writes fat objects (with llvm-lipo, which -B makes the lipo it
  # runs); each slice is linked on its own beside the module, under the module's own name,
  # which the linker's signature records; llvm-lipo joins them into the module.
  foreach(lang C CXX)
    set(CMAKE_${lang}_COMPILE_OBJECT "<CMAKE_${lang}_COMPILER> -B${ORVANE_LIPO_DIR}/ <DEFINES> \
<INCLUDES> <FLAGS> -o <OBJECT> -c <SOURCE>")
  endforeach()
  set(CMAKE_CXX_CREATE_SHARED_MODULE "")
  set(slice_files "")
  foreach(arch IN LISTS ORVANE_MACOS_SLICES)
    set(dir <TARGET>.slices/${arch})
    orvane_macos_link_command(${arch} ${dir}/<TARGET_NAME> link)
    list(APPEND CMAKE_CXX_CREATE_SHARED_MODULE "${CMAKE_COMMAND} -E make_directory ${dir}" "${link}")
    list(APPEND slice_files ${dir}/<TARGET_NAME>)
  endforeach()
  string(REPLACE ";" " " slice_files "${slice_files}")
  list(APPEND CMAKE_CXX_CREATE_SHARED_MODULE
       "${ORVANE_LIPO} -create ${slice_files} -output <TARGET>"
       "${CMAKE_COMMAND} -E rm -rf <TARGET>.slices")
endif()
