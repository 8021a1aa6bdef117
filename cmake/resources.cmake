# Resources of Vessop.exe: icon group 1 (drawn at build time by res/make-icon.sh), the application
# manifest and the version block, all through res/vessop.rc.
# On a Windows host only ImageMagick 7's "magick" will do: System32 holds an unrelated convert.exe.
if(CMAKE_HOST_WIN32)
  find_program(VESSOP_CONVERT NAMES magick REQUIRED)
else()
  find_program(VESSOP_CONVERT NAMES convert magick REQUIRED)
endif()
find_program(VESSOP_BASH NAMES bash REQUIRED)
set(VESSOP_RES_DIR ${CMAKE_BINARY_DIR}/res)
set(VESSOP_ICON ${VESSOP_RES_DIR}/vessop.ico)
add_custom_command(
  OUTPUT ${VESSOP_ICON}
  COMMAND ${CMAKE_COMMAND} -E env CONVERT=${VESSOP_CONVERT}
          ${VESSOP_BASH} ${CMAKE_SOURCE_DIR}/res/make-icon.sh ${VESSOP_ICON} ${VESSOP_RES_DIR}/icon-work
  DEPENDS ${CMAKE_SOURCE_DIR}/res/make-icon.sh
  COMMENT "Drawing the program icon"
  VERBATIM)
add_custom_target(vessop_icon DEPENDS ${VESSOP_ICON})

configure_file(${CMAKE_SOURCE_DIR}/res/vessop.manifest.in ${VESSOP_RES_DIR}/vessop.manifest @ONLY)

target_sources(Vessop PRIVATE ${CMAKE_SOURCE_DIR}/res/vessop.rc)
# The .rc names the icon and the manifest by bare file name: search the build tree, then res/.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/vessop.rc APPEND PROPERTY INCLUDE_DIRECTORIES
             ${VESSOP_RES_DIR} ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/vessop.rc APPEND PROPERTY OBJECT_DEPENDS
             ${VESSOP_ICON} ${VESSOP_RES_DIR}/vessop.manifest ${CMAKE_BINARY_DIR}/generated/vessop_version.h)
add_dependencies(Vessop vessop_icon)
if(MSVC)
  # The manifest comes from the .rc; a second one from the linker would clash with it.
  target_link_options(Vessop PRIVATE /MANIFEST:NO)
endif()
