#pragma once

#include "VideoInfo.h"
#include "ZSkin.h"

#include <QDateTime>
#include <QString>

class QPainter;
class QRectF;

// The texts the library's rows show for a video.
namespace ZLibraryTexts {

// The title without the movie file's extension: an imported file's title is
// its file name, so a title ending in "." and the video's "EXTENSION" loses
// that ending (compared ignoring case); any other dot in a title stays.
QString displayTitle(const VideoInfo &video);
// A length in whole seconds as minutes and seconds, each written with at
// least two digits: 605 -> "10:05", 59 -> "00:59", 6000 -> "100:00".
QString durationText(qint64 seconds);
// A date in the user's short date format; empty for no date.
QString shortDateText(const QDateTime &date);

// What assistive technology hears of a video besides its title: "By <publisher>,
// <length> long, added <date>, rated <n>, new|viewed", each part left out
// when it has nothing to say (no publisher, no length, no date, no rating);
// the date in full (the user's long date format).
QString accessibleVideoDescription(const QString &publisher, qint64 durationSeconds,
                                   const QDateTime &added, int rating, bool viewed);

// A text as it may be drawn: never markup (drawn as it stands), control
// characters shown as spaces; with `keepLineBreaks` line breaks stay.
QString drawable(const QString &text, bool keepLineBreaks = false);

// Draws the text wrapped to the rectangle's width in at most maxLines lines
// from its top; when more text is left the last line ends in an ellipsis.
// Answers the height drawn.
double drawWrappedLines(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                        const QRectF &rect, int maxLines);
// How many lines the text takes wrapped to the width (stopping at maxLines).
int lineCount(const QString &text, const ZTextAttributes &attributes, double width, int maxLines);

}  // namespace ZLibraryTexts
