#pragma once

// What the playback bars' own controls tell assistive technology:
//
//   ZMovieSlider        slider in seconds; its value text is the time shown
//                       ("02:05"); setting the value seeks
//   ZVolumeSlider       slider from 0 to 100 (percent)
//   ZVolumeMuteButton   toggle button, checked while muted; "press" mutes
//                       or unmutes
//
// Installed once, when the first bar is made.
namespace ZPlaybackAccessibility {

void install();

}  // namespace ZPlaybackAccessibility
