# Runs the Windows test programs under Wine, headless, in a prefix that belongs to this build folder.
#  - the prefix is created once by the build (target tovin_wineprefix) with the null graphics driver,
#    so windows work without an X display;
#  - ctest starts one persistent wineserver (fixture "wine") before the tests and stops it after.
find_program(TOVIN_WINE wine REQUIRED)
find_program(TOVIN_WINESERVER wineserver REQUIRED)

set(TOVIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TOVIN_WINE_SESSION ${CMAKE_SOURCE_DIR}/cmake/wine-session.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR
  env WINEPREFIX=${TOVIN_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${TOVIN_WINE})

add_custom_command(OUTPUT ${TOVIN_WINEPREFIX}/tovin-prefix-2.stamp
  COMMAND sh ${TOVIN_WINE_SESSION} prepare ${TOVIN_WINEPREFIX} ${CMAKE_SOURCE_DIR}/presets/factory
  DEPENDS ${TOVIN_WINE_SESSION}
  COMMENT "Preparing the Wine prefix ${TOVIN_WINEPREFIX}"
  VERBATIM)
add_custom_target(tovin_wineprefix ALL DEPENDS ${TOVIN_WINEPREFIX}/tovin-prefix-2.stamp)
