-- Creates a session with one stereo track carrying Tovin, checks the plug-in's parameters, sets the
-- values given, records SECONDS of the Dummy backend's sines onto the track (the check replaces the
-- recorded files with its own signal), makes the track's signal path plain (no region fades, panners
-- bypassed) and saves. Prints "PARAMS <count>", "PARAM <index> <long name>" and "SET <index> <value>".
-- Usage: ardour7-lua render_session.lua SESSION_DIR SESSION_NAME SECONDS INDEX=VALUE...
local dir, name, seconds = arg[1], arg[2], tonumber(arg[3])
assert(dir and name and seconds, "usage: render_session.lua SESSION_DIR SESSION_NAME SECONDS INDEX=VALUE...")

ARDOUR.config():set_hide_dummy_backend(false)
local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(backend, "no Dummy backend")
backend:set_device_name("Sine Wave")

local session = create_session(dir, name, 48000)
assert(session, "the session was not created")
local track = session:new_audio_track(2, 2, nil, 1, "T", -1, ARDOUR.TrackMode.Normal, true, false):front()
assert(track, "the track was not created")
local processor = ARDOUR.LuaAPI.new_plugin(session, "Tovin", ARDOUR.PluginType.LXVST, "")
assert(not processor:isnil(), "Tovin was not found among the scanned plug-ins")
track:add_processor_by_index(processor, 0, nil, true)

local plugin = processor:to_insert():plugin(0)
local count = plugin:parameter_count()
print("PARAMS " .. count)
for i = 0, count - 1 do
  print("PARAM " .. i .. " " .. plugin:parameter_label(i))
end
for i = 4, #arg do
  local index, value = string.match(arg[i], "^(%d+)=([%d.]+)$")
  assert(index, "not INDEX=VALUE: " .. arg[i])
  ARDOUR.LuaAPI.set_processor_param(processor, tonumber(index), tonumber(value))
end
for i = 0, count - 1 do
  print("SET " .. i .. " " .. string.format("%.9g", ARDOUR.LuaAPI.get_processor_param(processor, i, true)))
end

-- Record.
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
ARDOUR.LuaAPI.usleep(200000)
session:maybe_enable_record(false)
session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(math.floor(seconds * 1000000))
session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(1000000)
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
session:disable_record(false, false)
for _ = 1, 50 do
  if track:rec_enable_control():get_value() == 0 then break end
  ARDOUR.LuaAPI.usleep(100000)
end
assert(track:rec_enable_control():get_value() == 0, "the track stays rec-enabled")

-- A plain path: the region exactly as its files, no panning.
local regions = 0
for region in track:playlist():region_list():iter() do
  local audio = region:to_audioregion()
  audio:set_fade_in_active(false)
  audio:set_fade_out_active(false)
  -- The region may begin a few frames into its files (Ardour aligns what it captured): the check
  -- places its own signal that far into the files.
  print("REGION " .. region:position():samples() .. " " .. region:length():samples() .. " " .. region:start():samples())
  regions = regions + 1
end
assert(regions == 1, "recording made " .. regions .. " regions")
track:panner_shell():set_bypassed(true)
session:master_out():panner_shell():set_bypassed(true)
session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(300000)

session:save_state("", false, false, false, false, false)
close_session()
print("SAVED")
