#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// The icons of the default skin, drawn on a grid of 24 by 24 units and
// scaled to the box they are painted into. Each is one filled outline, so
// that it stays sharp at every size.
enum class Glyph {
  Play, Pause, Stop, SkipNext, SkipPrevious, FastForward, Rewind,
  FullScreen, LeaveFullScreen, Volume, Muted, Plus, Minus, Back,
  Library, Downloads, Upload, Guide, PlaylistShow, PlaylistHide, Grid, List,
  Import, Search, Close, Minimize, Maximize, Trash, ClearList, PlayAll,
  Star, StarOutline, Check, Bookmark, BookmarkOutline, Dot, Ring, Rss, Ellipsis,
  ChevronDown, ChevronRight, Info, NowPlaying, Layers, Video, Gear,
  CircledClose, CircledPlay, SortUp, SortDown,
};

// The glyph's outline in the 24-unit grid.
QPainterPath glyphPath(Glyph glyph);
// Fills the glyph into the box (keeping its proportions, centred).
void drawGlyph(QPainter &painter, Glyph glyph, const QRectF &box, const QColor &color);
