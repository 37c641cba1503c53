#pragma once

#include "ZAccessibility.h"
#include "ZDownloadDataSource.h"

#include <QPointer>
#include <QWidget>

class ZButtonImageView;
class ZDownloadTableRowView;
class ZDownloadTableView;

// A row's progress bar as assistive technology sees it: the row paints the
// bar; this part of the row stands for it in the accessibility tree (a
// progress bar from 0 to 100, ZDownloadAccessibility).
class ZDownloadRowProgress : public QObject {
  Q_OBJECT
 public:
  explicit ZDownloadRowProgress(ZDownloadTableRowView *row);
  ZDownloadTableRowView *row() const;
};

// One row of the downloads page: the download's thumbnail, title, speed (or
// state), progress bar with its percentage, time remaining, and the button
// that stops it or, once it is complete, plays it.
//
// Rows are made only for what is in sight: the page keeps a few and hands
// each the download of the row it shows (setItem), again as the list
// scrolls or changes. For screen readers a row is a list item named by the
// title, its description the speed and time left; its children are the
// progress bar and the button, a push button named "Stop" or "Play". A
// change of the bar's percentage or of the description is announced at most
// once a second (AnnounceIntervalMs) per row; the last one always goes out.
class ZDownloadTableRowView : public QWidget {
  Q_OBJECT
 public:
  ZDownloadTableRowView(ZDownloadTableView &table, QWidget *parent);

  // Shows the download (null: none); the row is told again whenever the
  // download changes (refresh).
  void setItem(const ZDownloadDataSource::ItemRef &item);
  ZDownloadItem *downloadItem() const { return fDownloadItem.get(); }
  // Reads the download again: button, texts, picture. The row repaints
  // only when something it shows changed (a transfer's every block asks,
  // but its percentage moves a tenth or its bar a pixel far less often).
  void refresh();
  // Takes the page's look again (a new skin) and repaints.
  void restyle();
  // The keyboard's current row, drawn with a focus frame.
  void setCurrent(bool current);
  bool isCurrent() const { return fCurrent; }

  ZButtonImageView *stopButton() const { return fStopButton; }
  // What pressing the button does (also Space and Return on the current
  // row, and the accessible "press" action).
  void pressStopButton();

  // The texts the row writes, as shown.
  QString titleText() const;
  QString connectionSpeedText() const;
  QString progressText() const;
  QString timeRemainingText() const;

  // What assistive technology reads, as last drawn: the bar's percentage
  // (0 to 100, one decimal, and as written over the bar) and the row's
  // description (ZDownloadTexts::accessibleDescription). Empty without a
  // download.
  double accessiblePercent() const { return fShown.percent; }
  QString accessibleProgressText() const { return fShown.progress; }
  QString accessibleDescriptionText() const { return fShown.description; }
  ZDownloadRowProgress *progressPart() const { return fProgressPart; }
  // The progress column in the row's coordinates.
  QRect progressRect() const;

  static constexpr int AnnounceIntervalMs = 1000;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

 private:
  // Everything a row shows of its download.
  struct Appearance {
    QString title, connectionSpeed, progress, timeRemaining, thumbnailPath, description;
    double percent = 0;
    int barPixels = 0;
    bool complete = false;
    bool playable = false;  // complete, and its video is in the library
    bool operator==(const Appearance &) const = default;
  };
  Appearance appearance() const;

  void placeButton();
  void updateButton();
  // Tells assistive technology what changed since it was last told
  // (through fAnnouncer: at most once per AnnounceIntervalMs).
  void announce();

  ZDownloadTableView &fTable;
  ZDownloadDataSource::ItemRef fDownloadItem;
  Appearance fShown;
  ZButtonImageView *fStopButton = nullptr;
  ZDownloadRowProgress *fProgressPart = nullptr;
  bool fCurrent = false;
  // The percentage text and description assistive technology was last told of.
  QString fAnnouncedProgress, fAnnouncedDescription;
  ZAccessibleAnnouncer fAnnouncer{AnnounceIntervalMs, [this] { announce(); }};
};
