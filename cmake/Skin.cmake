# tovin_add_skin(<target>): makes the skin bitmaps of editor/skin/ available to <target>.
# Windows: the BITMAP resources (a resource script compiled by windres) go into every executable and
# DLL, since a static library's resources are not linked. Linux: the bitmaps are embedded once, in
# tovin_core, and found through gui/bitmap_resource_linux.cpp.
set(TOVIN_SKIN_DIR ${CMAKE_SOURCE_DIR}/editor/skin)
file(GLOB TOVIN_SKIN_BITMAPS CONFIGURE_DEPENDS ${TOVIN_SKIN_DIR}/bitmaps/*.bmp)
if(WIN32)
  enable_language(RC)
endif()

function(tovin_add_skin target)
  get_target_property(type ${target} TYPE)
  if(WIN32)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
      return()
    endif()
    target_sources(${target} PRIVATE ${TOVIN_SKIN_DIR}/skin.rc)
    # A changed picture recompiles the script, so the binary is linked again.
    set_source_files_properties(${TOVIN_SKIN_DIR}/skin.rc PROPERTIES OBJECT_DEPENDS "${TOVIN_SKIN_BITMAPS}")
  elseif(target STREQUAL "tovin_core")
    set_source_files_properties(${CMAKE_SOURCE_DIR}/gui/bitmap_resource_linux.cpp PROPERTIES
      OBJECT_DEPENDS "${TOVIN_SKIN_BITMAPS};${TOVIN_SKIN_DIR}/skin_bitmaps.inc"
      COMPILE_DEFINITIONS "TOVIN_SKIN_BITMAP_DIR=\"${TOVIN_SKIN_DIR}/bitmaps\"")
  endif()
endfunction()
