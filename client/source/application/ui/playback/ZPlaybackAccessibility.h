#pragma once

// What the playback bars' own controls tell assistive technology:
//
//   ZMovieSlider        slider in seconds; its value is where the knob is,
//                       its value text the time shown in the cap ("02:05");
//                       setting the value seeks; while the movie plays, a
//                       new value is announced about once a second
//                       (ZMovieSlider::AnnounceIntervalMs)
//   ZVolumeSlider       slider from 0 to 100 (percent)
//   ZVolumeMuteButton   toggle button, checked while muted; "press" mutes
//                       or unmutes
//
// Installed once, when the first bar is made.
class QWidget;

namespace ZPlaybackAccessibility {

void install();

// Tells assistive technology that the controls in a bar appeared or went
// with it (Qt tells it only of the bar itself).
void announce(QWidget *bar, bool shown);

}  // namespace ZPlaybackAccessibility
