-- Reopens a saved session and prints what Tovin on its track "T" restored: "PARAMS <count>" and
-- "GOT <index> <value>" (normalized).
-- Usage: ardour7-lua reopen_session.lua SESSION_DIR SESSION_NAME
local dir, name = arg[1], arg[2]
assert(dir and name, "usage: reopen_session.lua SESSION_DIR SESSION_NAME")

ARDOUR.config():set_hide_dummy_backend(false)
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no Dummy backend")
local session = load_session(dir, name)
assert(session, "the session was not loaded")
local track = session:route_by_name("T")
assert(not track:isnil(), "no track T")
local processor = track:nth_plugin(0)
assert(not processor:isnil(), "no plug-in on track T")
local plugin = processor:to_insert():plugin(0)
assert(plugin:name() == "Tovin", "the plug-in is " .. plugin:name())
local count = plugin:parameter_count()
print("PARAMS " .. count)
for i = 0, count - 1 do
  print("GOT " .. i .. " " .. string.format("%.9g", ARDOUR.LuaAPI.get_processor_param(processor, i, true)))
end
close_session()
