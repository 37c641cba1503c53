#pragma once

class QKeyEvent;
class ZOQTMovieController;

// The keys of playback, in the window's playback view and in full screen:
//
//   Space              play / pause
//   F                  full screen on / off
//   Left, Right        10 seconds back / on
//   Up, Down           volume up / down (also with Ctrl)
//   M                  mute / unmute
//   Ctrl+Left, Right   previous / next video
//
// Escape is each place's own (it leaves full screen, or playback).
namespace ZPlaybackKeys {

inline constexpr double kSeekSeconds = 10.0;

// Carries out the key; false when it is none of these.
bool handleKey(const QKeyEvent &event, ZOQTMovieController *movie, bool inFullScreen);

}  // namespace ZPlaybackKeys
