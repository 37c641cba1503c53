#include "ZLibraryTexts.h"

#include "Localization.h"

#include <QLocale>
#include <QStringList>

namespace ZLibraryTexts {

QString displayTitle(const VideoInfo &video) {
  const QString title = video.value(QStringLiteral("TITLE"));
  const QString extension = video.value(QStringLiteral("EXTENSION"));
  if (extension.isEmpty() || title.size() <= extension.size() + 1) return title;
  const qsizetype dot = title.size() - extension.size() - 1;
  if (title.at(dot) == QLatin1Char('.') &&
      title.endsWith(extension, Qt::CaseInsensitive))
    return title.left(dot);
  return title;
}

QString durationText(qint64 seconds) {
  if (seconds < 0) seconds = 0;
  const auto part = [](qint64 value) {
    return value > 9 ? QString::number(value) : QStringLiteral("0") + QString::number(value);
  };
  return part(seconds / 60) + QLatin1Char(':') + part(seconds % 60);
}

QString accessibleVideoDescription(const QString &publisher, qint64 durationSeconds,
                                   const QDateTime &added, int rating, bool viewed) {
  QStringList parts;
  const QString by = drawable(publisher).trimmed();
  if (!by.isEmpty()) parts << localizedFormat(QStringLiteral("libraryAccessibleBy"), {by});
  if (durationSeconds > 0)
    parts << localizedFormat(QStringLiteral("libraryAccessibleLength"),
                             {durationText(durationSeconds)});
  if (added.isValid())
    parts << localizedFormat(QStringLiteral("libraryAccessibleAdded"),
                             {QLocale().toString(added.date(), QLocale::LongFormat)});
  if (rating > 0) parts << localizedFormat(QStringLiteral("libraryAccessibleRated"), {rating});
  parts << localized(viewed ? QStringLiteral("libraryAccessibleViewed")
                            : QStringLiteral("libraryAccessibleNew"));
  return parts.join(QStringLiteral(", "));
}

QString shortDateText(const QDateTime &date) {
  if (!date.isValid()) return QString();
  return QLocale().toString(date.date(), QLocale::ShortFormat);
}

}  // namespace ZLibraryTexts

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace ZLibraryTexts {

QString drawable(const QString &text, bool keepLineBreaks) {
  QString out = text;
  for (QChar &c : out) {
    if (c == QLatin1Char('\n') && keepLineBreaks)
      c = QChar::LineSeparator;
    else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
             c == QChar::ParagraphSeparator)
      c = QLatin1Char(' ');
  }
  return out;
}

namespace {

// The lines of the text at the width, at most maxLines; `rest` tells whether
// text is left over.
QList<QPair<int, int>> breakLines(const QString &text, const QFont &font, double width,
                                  int maxLines, bool *rest) {
  QList<QPair<int, int>> lines;
  *rest = false;
  if (maxLines < 1 || width <= 0 || text.isEmpty()) {
    *rest = !text.isEmpty();
    return lines;
  }
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  while (true) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    if (lines.size() == maxLines) {
      *rest = true;
      break;
    }
    lines.append({line.textStart(), line.textLength()});
  }
  layout.endLayout();
  return lines;
}

}  // namespace

int lineCount(const QString &text, const ZTextAttributes &attributes, double width, int maxLines) {
  bool rest = false;
  return int(breakLines(text, attributes.font, width, maxLines, &rest).size());
}

double drawWrappedLines(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                        const QRectF &rect, int maxLines) {
  bool rest = false;
  const QList<QPair<int, int>> lines =
      breakLines(text, attributes.font, rect.width(), maxLines, &rest);
  const QFontMetricsF metrics(attributes.font);
  const double lineHeight = metrics.height();
  painter.save();
  painter.setFont(attributes.font);
  painter.setPen(attributes.foregroundColor);
  double y = rect.top();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = text.mid(lines[i].first, lines[i].second);
    const bool last = i == lines.size() - 1;
    if (last && rest)
      line = metrics.elidedText(text.mid(lines[i].first), Qt::ElideRight, rect.width());
    else
      line = line.trimmed();
    painter.drawText(QRectF(rect.left(), y, rect.width(), lineHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
    y += lineHeight;
  }
  painter.restore();
  return y - rect.top();
}

}  // namespace ZLibraryTexts
