-- Loaded into the mpv command-line player by bench/playback: at the end of
-- the movie it writes the frames mpv dropped (the video output's and the
-- decoder's) and quits.
mp.observe_property("eof-reached", "bool", function(_, eof)
  if not eof then return end
  local dropped = (mp.get_property_number("frame-drop-count") or 0)
      + (mp.get_property_number("decoder-frame-drop-count") or 0)
  io.stdout:write(string.format("dropped %d\n", dropped))
  io.stdout:flush()
  mp.command("quit")
end)
