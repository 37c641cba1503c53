#pragma once

#include <QColor>

// The colours of the default skin, in one place: a dark frame and playback
// chrome, a light library area and one accent.
namespace Palette {

inline QColor rgb(int hex, int alpha = 255) {
  return QColor((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF, alpha);
}
// A skin colour as the skin reads it back (each component v/256, FF as 1),
// so that a picture painted over a colour of the definition matches it.
inline QColor skinColor(int hex) {
  const auto component = [](int v) { return v == 0xFF ? 1.0 : v / 256.0; };
  return QColor::fromRgbF(float(component((hex >> 16) & 0xFF)),
                          float(component((hex >> 8) & 0xFF)), float(component(hex & 0xFF)));
}

// The frame: a header band, a toolbar band below it and a status band.
inline QColor headerTop() { return rgb(0x3A3A3A); }
inline QColor headerBottom() { return rgb(0x303030); }
inline QColor toolbar() { return rgb(0x2A2A2A); }
inline QColor statusBar() { return rgb(0x262626); }
inline QColor frameLine() { return rgb(0x1A1A1A); }
inline QColor frameHighlight() { return rgb(0xFFFFFF, 20); }

// Text and icons on the dark chrome.
inline QColor ink() { return rgb(0xF2F2F2); }
inline QColor inkDim() { return rgb(0xB8B8B8); }

// Controls on the chrome: filled buttons and fields.
inline QColor control() { return rgb(0x444444); }
inline QColor controlHover() { return rgb(0x4F4F4F); }
inline QColor controlDown() { return rgb(0x5C5C5C); }
inline QColor controlBorder() { return rgb(0x1E1E1E); }
inline QColor field() { return rgb(0x1C1C1C); }
inline QColor fieldBorder() { return rgb(0x4A4A4A); }

// The one accent: selection, progress, the new badge.
inline QColor accent() { return rgb(0x3584E4); }
inline QColor accentLight() { return rgb(0x62A0EA); }
inline QColor accentDark() { return rgb(0x1C71D8); }
inline QColor accentPale() { return rgb(0xD6E6FA); }

// Playback: the bars under and over the movie.
inline QColor playbackTop() { return rgb(0x222222); }
inline QColor playbackBottom() { return rgb(0x171717); }
inline QColor track() { return rgb(0x555555); }

// The light library area and its badges.
inline QColor paper() { return rgb(0xFFFFFF); }
inline QColor paperInk() { return rgb(0x2E3436); }
inline QColor paperInkDim() { return rgb(0x77797B); }
inline QColor paperLine() { return rgb(0xD5D8DC); }
inline QColor star() { return rgb(0xF5B800); }
inline QColor starEmpty() { return rgb(0xC0C3C7); }
inline QColor saved() { return rgb(0x26A269); }
inline QColor newCount() { return rgb(0xFFD45C); }

// The playlist pane and its list.
inline QColor pane() { return QColor::fromRgbF(0.375, 0.375, 0.375); }
constexpr int playlistHex = 0x333333;
constexpr int playlistSelectedHex = 0x3584E4;

// The downloads list (the player's own colours for it).
inline QColor downloadsBackground() { return QColor::fromRgbF(0.93359375, 0.9453125, 0.96484375); }
inline QColor downloadsTrack() { return rgb(0x6B7480); }

// Dialogs: a dark title strip over a light body.
constexpr int dialogBodyHex = 0xFAFAFA;

}  // namespace Palette
