#pragma once

// What the downloads page tells screen readers and AT-SPI automation: the
// list of downloads (a list named "Downloads"), each row in sight a list item
// named by its video's title, described by its speed and time left
// (ZDownloadTexts::accessibleDescription), with two children: its progress
// bar (named "Progress", a value from 0 to 100, its text the percentage as
// written over the bar, "42.0%") and its button, a push button named "Stop"
// or "Play" whose "press" action does what a click does. The rows announce
// their changes themselves (ZDownloadTableRowView). Installed by the first
// page made; again does nothing.
namespace ZDownloadAccessibility {

void install();

}  // namespace ZDownloadAccessibility
