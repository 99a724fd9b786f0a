# Installing on Linux: the plug-in where VST 2 hosts look for it, the factory presets and the
# initial settings into the installation directory, and the configuration file that names that
# directory (the counterpart of the Windows registry value InstallDirectory).
#
#   cmake --install build/linux                       # user install: ~/.vst, ~/.local/share/Corvane/Tovin
#   cmake --install build/linux -DTOVIN_USER_INSTALL=OFF --prefix /usr/local   (at configure time)
#
# The installation directory must be writable by the user: user presets, options and the notice
# file of the running instances are written there.
if(WIN32)
  return()
endif()

option(TOVIN_USER_INSTALL "Install for the current user (~/.vst and ~/.local/share)" ON)
if(TOVIN_USER_INSTALL)
  set(_tovin_vst_default "$ENV{HOME}/.vst")
  set(_tovin_data_default "$ENV{HOME}/.local/share/Corvane/Tovin")
else()
  set(_tovin_vst_default "${CMAKE_INSTALL_PREFIX}/lib/vst")
  set(_tovin_data_default "${CMAKE_INSTALL_PREFIX}/share/Corvane/Tovin")
endif()
set(TOVIN_VST_DIRECTORY "${_tovin_vst_default}" CACHE PATH "Where Tovin.so is installed")
set(TOVIN_INSTALL_DIRECTORY "${_tovin_data_default}" CACHE PATH "The installation directory: presets, options")
if(DEFINED ENV{XDG_CONFIG_HOME} AND NOT "$ENV{XDG_CONFIG_HOME}" STREQUAL "")
  set(_tovin_config_default "$ENV{XDG_CONFIG_HOME}/Corvane/Tovin/InstallDirectory")
else()
  set(_tovin_config_default "$ENV{HOME}/.config/Corvane/Tovin/InstallDirectory")
endif()
set(TOVIN_CONFIG_FILE "${_tovin_config_default}" CACHE FILEPATH
    "The file whose first line names the installation directory; empty to skip")

install(TARGETS Tovin LIBRARY DESTINATION "${TOVIN_VST_DIRECTORY}" COMPONENT plugin)
# The editor's file dialog for bank export and import, found beside the plug-in.
install(TARGETS Morvashel LIBRARY DESTINATION "${TOVIN_VST_DIRECTORY}" COMPONENT plugin)

file(GLOB _tovin_factory_presets "${CMAKE_SOURCE_DIR}/presets/factory/preset*.inf"
     "${CMAKE_SOURCE_DIR}/presets/factory/preset*.prt")
install(FILES ${_tovin_factory_presets} DESTINATION "${TOVIN_INSTALL_DIRECTORY}" COMPONENT presets)

# The initial settings and the configuration file are the user's: never overwritten once present.
install(CODE "
  set(_dest \"\$ENV{DESTDIR}${TOVIN_INSTALL_DIRECTORY}\")
  if(NOT EXISTS \"\${_dest}/InitSettings\")
    file(COPY \"${CMAKE_SOURCE_DIR}/presets/factory/InitSettings\" DESTINATION \"\${_dest}\")
    message(STATUS \"Installing: \${_dest}/InitSettings\")
  endif()
  set(_config \"${TOVIN_CONFIG_FILE}\")
  if(NOT _config STREQUAL \"\")
    set(_config \"\$ENV{DESTDIR}\${_config}\")
    file(WRITE \"\${_config}\" \"${TOVIN_INSTALL_DIRECTORY}/\\n\")
    message(STATUS \"Installing: \${_config}\")
  endif()
" COMPONENT presets)
