# System DLLs that are not KnownDLLs of Windows would be looked for in the program's own folder first
# when the loader binds them at start-up: a crypt32.dll planted beside a copy in Downloads would run
# with the user's rights. They are delay-loaded instead, so that each is bound at its first call, after
# the program's first statement has limited the DLL search to System32.
# vessop_system_library(<target name> <library>) makes an INTERFACE target to link instead of <library>.
if(MINGW)
  find_program(VESSOP_DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool dlltool REQUIRED)
  find_program(VESSOP_NM NAMES ${CMAKE_NM} x86_64-w64-mingw32-nm nm REQUIRED)
endif()

function(vessop_system_library target library)
  add_library(${target} INTERFACE)
  if(MINGW)
    find_library(VESSOP_IMPORT_LIB_${library} NAMES lib${library}.a REQUIRED)
    set(delay_lib ${CMAKE_BINARY_DIR}/deps/lib/lib${library}_delay.a)
    add_custom_command(
      OUTPUT ${delay_lib}
      COMMAND ${CMAKE_COMMAND} -DNM=${VESSOP_NM} -DDLLTOOL=${VESSOP_DLLTOOL} -DIMPORT_LIB=${VESSOP_IMPORT_LIB_${library}}
              -DOUT=${delay_lib} -P ${CMAKE_SOURCE_DIR}/cmake/make_delay_import.cmake
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make_delay_import.cmake
      COMMENT "Making the delay-import library for ${library}")
    add_custom_target(${target}_import DEPENDS ${delay_lib})
    add_dependencies(${target} ${target}_import)
    target_link_libraries(${target} INTERFACE ${delay_lib})
  else()
    target_link_libraries(${target} INTERFACE ${library} delayimp)
    target_link_options(${target} INTERFACE /DELAYLOAD:${library}.dll)
  endif()
endfunction()

foreach(library bcrypt crypt32 d2d1 d3d11 dwmapi dwrite dxgi winhttp wintrust wldap32 wtsapi32)
  vessop_system_library(vessop_dll_${library} ${library})
endforeach()
