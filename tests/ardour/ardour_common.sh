# Shared by the Ardour checks (sourced): a private Ardour 7 for one run and its scan of the module.
#   ardour_private_setup MODULE WORK   the module copied into WORK/plugins and dated a minute back
#                                      (Ardour trusts a scan cache only when it is newer than the
#                                      module), private config, caches and data, the factory presets
#                                      as the installation directory, the Dummy backend; exports
#                                      XDG_*, LXVST_PATH and TOVIN_INSTALL_DIRECTORY
#   ardour_scan WORK LOG               Ardour's own scanner on the copy; fails unless it finds Tovin
# Both call fail (defined by the sourcing script) on errors.

ardour_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

ardour_private_setup() {  # MODULE WORK
  local module=$1 work=$2
  mkdir -p "$work/config/ardour7" "$work/cache" "$work/data" "$work/plugins"
  cp "$module" "$work/plugins/Tovin.so"
  touch -d '-1 minute' "$work/plugins/Tovin.so"
  cp -r "$ardour_root/presets/factory" "$work/install"
  export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
  export LXVST_PATH="$work/plugins" TOVIN_INSTALL_DIRECTORY="$work/install"
  touch "$work/config/ardour7/.a7"  # no first-run wizard
  cat >"$work/config/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0" input-channels="0" output-channels="0" active="1" use-buffered-io="0" midi-option="" lm-input="" lm-output=""/>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML
}

ardour_scan() {  # WORK LOG
  LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 30 /usr/lib/ardour7/ardour-vst-scanner -f -v "$1/plugins/Tovin.so" \
    >"$2" 2>&1 || fail "Ardour's scanner failed on the module (see $2)"
  grep -q 'name="Tovin" creator="Corvane"' "$2" || fail "the scan did not find Tovin by Corvane (see $2)"
}
