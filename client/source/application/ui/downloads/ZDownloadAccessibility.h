#pragma once

// What the downloads page tells screen readers and AT-SPI automation: the
// list of downloads (a list named "Downloads"), each row in sight a list item
// named by its video's title (its description: speed, percentage, time
// left), and the row's button a push button named "Stop" or "Play" whose
// "press" action does what a click does. Installed by the first page made;
// again does nothing.
namespace ZDownloadAccessibility {

void install();

}  // namespace ZDownloadAccessibility
