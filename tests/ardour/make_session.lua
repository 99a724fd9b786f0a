-- Creates an Ardour session with one stereo track carrying Tovin, saves it and prints the ids the
-- GUI's window state needs: "ROUTE <id>" and "PROCESSOR <id>".
-- Usage: ardour7-lua make_session.lua SESSION_DIR SESSION_NAME
local dir, name = arg[1], arg[2]
assert(dir and name, "usage: make_session.lua SESSION_DIR SESSION_NAME")

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no Dummy backend")

local session = create_session(dir, name, 48000)
assert(session, "the session was not created")

local track = session:new_audio_track(2, 2, nil, 1, "T", -1, ARDOUR.TrackMode.Normal, true, false):front()
assert(track, "the track was not created")
local plugin = ARDOUR.LuaAPI.new_plugin(session, "Tovin", ARDOUR.PluginType.LXVST, "")
assert(not plugin:isnil(), "Tovin was not found among the scanned plug-ins")
track:add_processor_by_index(plugin, 0, nil, true)

session:save_state("", false, false, false, false, false)
print("ROUTE " .. track:to_stateful():id():to_s())
print("PROCESSOR " .. plugin:to_stateful():id():to_s())
close_session()
