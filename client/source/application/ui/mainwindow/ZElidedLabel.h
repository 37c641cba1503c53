#pragma once

#include <QLabel>

// A label of plain text (never markup) wrapped to its width in at most a
// number of lines, the last one ending in an ellipsis when more text is
// left. Control characters show as blanks; right-to-left text keeps its
// direction. Its accessible name is the whole text.
class ZElidedLabel : public QLabel {
  Q_OBJECT
 public:
  // maxLines 0: as many lines as the label's height holds.
  explicit ZElidedLabel(int maxLines = 1, QWidget *parent = nullptr);

  void setFullText(const QString &text);
  QString fullText() const { return fFullText; }
  void setMaxLines(int lines);
  // The height of n lines in the label's font.
  int heightForLines(int lines) const;

  // The text that fits: wrapped to the width in at most maxLines lines.
  static QString fittedText(const QString &text, const QFont &font, double width, int maxLines);

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  void refit();
  int linesThatFit() const;

  QString fFullText;
  int fMaxLines;
};
