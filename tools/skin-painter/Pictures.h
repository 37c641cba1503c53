#pragma once

#include "Glyphs.h"
#include "Pieces.h"
#include "SkinBuilder.h"

#include <QColor>
#include <QSizeF>
#include <QString>

// The pictures of the default skin, area by area. Each adds its picture to
// the builder (once) and answers the file name.
namespace Pictures {

// ---- the window frame and its controls ----
enum class Edge { Left, Middle, Right };
QString frameTop(SkinBuilder &skin, Edge edge);
QString frameBottom(SkinBuilder &skin, Edge edge);
// A button of `states` cells in one of the chrome's looks with a glyph.
QString button(SkinBuilder &skin, const QString &file, const QSizeF &cell, int states,
               Pieces::Look look, Glyph glyph, double glyphSize);
// A pop-up button: a rounded field with a downward chevron at its right end
// and, when given, a glyph at its left end (three states).
QString popup(SkinBuilder &skin, const QString &file, const QSizeF &cell, bool withGlyph = false,
              Glyph glyph = Glyph::Import);
// The search field: a dark rounded field with the magnifier in its left inset.
QString searchField(SkinBuilder &skin, const QString &file, const QSizeF &size);
// A title picture: a glyph alone.
QString label(SkinBuilder &skin, const QString &file, const QSizeF &size, Glyph glyph,
              const QColor &color);
// The playlist pane's bottom bar.
QString playlistBar(SkinBuilder &skin);

// ---- playback ----
QString titleBar(SkinBuilder &skin);
QString controlBar(SkinBuilder &skin, const QString &file);
// The progress bar's pieces: the caps that hold the times, a stretch of the
// bar itself, the slider's played and unplayed track and its knob.
QString progressCap(SkinBuilder &skin, const QString &file, bool left);
QString progressStretch(SkinBuilder &skin, const QString &file);
QString sliderTrack(SkinBuilder &skin, const QString &file, double height, bool played,
                    bool withBackground);
QString sliderCap(SkinBuilder &skin, const QString &file, double height, bool left);
QString knob(SkinBuilder &skin, const QString &file, double size);
// The full-screen bar's picture of the volume scale.
QString volumeScale(SkinBuilder &skin, const QString &file);

// ---- the library, playlist and downloads areas ----
void addLibraryPictures(SkinBuilder &skin);
void addDownloadsPictures(SkinBuilder &skin);
QString playlistDragImage(SkinBuilder &skin);

// ---- dialogs and the settings window ----
enum class DialogPiece { TopLeft, TopRight, TopMiddle, BottomLeft, BottomRight, BottomMiddle,
                         MiddleLeft, MiddleRight };
QString dialogPiece(SkinBuilder &skin, DialogPiece piece);
QString settingsTab(SkinBuilder &skin, const QString &file, Glyph glyph, const QString &title);

}  // namespace Pictures
