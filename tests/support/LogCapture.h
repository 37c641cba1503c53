#pragma once

// Collects what the program writes through Qt's logging while it lives (the
// messages of enabled categories only, as the user would see them on
// standard error), instead of printing it.

#include <QList>
#include <QString>
#include <QtGlobal>

class LogCapture {
 public:
  struct Line {
    QString category;
    QtMsgType type;
    QString message;
  };

  LogCapture() {
    sCurrent = this;
    fPrevious = qInstallMessageHandler(&LogCapture::handler);
  }
  ~LogCapture() {
    qInstallMessageHandler(fPrevious);
    sCurrent = nullptr;
  }

  // The lines of the category ("zaro.library", ...).
  QList<Line> lines(const QString &category) const {
    QList<Line> out;
    for (const Line &line : fLines)
      if (line.category == category) out.append(line);
    return out;
  }
  void clear() { fLines.clear(); }

 private:
  static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (sCurrent)
      sCurrent->fLines.append(
          {QString::fromLatin1(context.category ? context.category : "default"), type, message});
  }

  static inline LogCapture *sCurrent = nullptr;
  QtMessageHandler fPrevious = nullptr;
  QList<Line> fLines;
};
