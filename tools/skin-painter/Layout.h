#pragma once

// The default skin's layout numbers (display units) that pictures and
// control places share.
namespace Layout {

// The main window's frame: a header band and a toolbar band at the top, a
// status band at the bottom; its smallest size.
constexpr int headerHeight = 48;
constexpr int toolbarHeight = 40;
constexpr int topFrameHeight = headerHeight + toolbarHeight;
constexpr int bottomFrameHeight = 28;
constexpr int frameCornerWidth = 220;
constexpr int minimumWindowWidth = 800;
constexpr int minimumWindowHeight = 560;
// The square at the bottom right corner that resizes the window.
constexpr int resizeCorner = 20;
// The width the playlist pane takes at the window's right edge.
constexpr int playlistAreaWidth = 176;

// Toolbar controls: their top edge and height.
constexpr int toolbarTop = headerHeight + 6;
constexpr int toolbarControlHeight = 28;

// The playlist pane's bottom bar.
constexpr int playlistBarHeight = 32;

// Playback: the title bar over the movie, the progress bar and the control
// bar under it.
constexpr int titleBarHeight = 40;
constexpr int progressHeight = 28;
constexpr int progressCapWidth = 64;
constexpr int progressKnob = 14;
constexpr int controlBarHeight = 56;
constexpr int volumeWidth = 132;
constexpr int volumeHeight = 32;
constexpr int volumeButton = 28;
constexpr int volumeKnob = 12;

// Dialogs: the title strip and the bottom strip.
constexpr int dialogTitleHeight = 40;
constexpr int dialogBottomHeight = 12;
constexpr int dialogCornerWidth = 16;

}  // namespace Layout
