#include "ZElidedLabel.h"

#include "ZLibraryTexts.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// What may be drawn of a text: control characters (line breaks included)
// become blanks, as in the library's rows.
QString drawable(const QString &text) { return ZLibraryTexts::drawable(text); }

}  // namespace

ZElidedLabel::ZElidedLabel(int maxLines, QWidget *parent) : QLabel(parent), fMaxLines(maxLines) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setTextInteractionFlags(Qt::NoTextInteraction);
  // The label's own size never follows its text: it is given one.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ZElidedLabel::setFullText(const QString &text) {
  fFullText = text;
  setAccessibleName(drawable(text).simplified());
  refit();
}

void ZElidedLabel::setMaxLines(int lines) {
  fMaxLines = lines;
  refit();
}

int ZElidedLabel::heightForLines(int lines) const {
  return int(std::ceil(QFontMetricsF(font()).lineSpacing() * lines));
}

int ZElidedLabel::linesThatFit() const {
  if (fMaxLines > 0) return fMaxLines;
  return std::max(1, int(height() / QFontMetricsF(font()).lineSpacing()));
}

QString ZElidedLabel::fittedText(const QString &text, const QFont &font, double width,
                                 int maxLines) {
  const QString clean = drawable(text);
  if (clean.isEmpty() || width <= 0 || maxLines <= 0) return QString();
  QTextLayout layout(clean, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    if (lines.size() == maxLines - 1) {
      // The last line that fits takes the rest, cut off with an ellipsis.
      const QString rest = clean.mid(line.textStart()).trimmed();
      lines.append(QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width));
      break;
    }
    lines.append(clean.mid(line.textStart(), line.textLength()).trimmed());
  }
  layout.endLayout();
  return lines.join(QLatin1Char('\n'));
}

void ZElidedLabel::refit() {
  setText(fittedText(fFullText, font(), contentsRect().width(), linesThatFit()));
}

void ZElidedLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  refit();
}

void ZElidedLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) refit();
}
