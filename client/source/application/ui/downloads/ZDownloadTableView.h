#pragma once

#include "ZDownloadDataSource.h"
#include "ZDownloadTableEnvironment.h"
#include "ZDownloadTableLayout.h"
#include "ZView.h"

#include <QHash>
#include <QImage>

class ZDownloadListModel;
class ZDownloadRowsView;
class ZDownloadTableRowView;

// The downloads page of the main window: the download queue as a list. A
// header band names the columns (video, speed, progress, time remaining);
// below it the rows (ZDownloadRowsView, the scroll view) show each download
// with its thumbnail, title, speed or state, progress bar and time left, and
// a button that stops it (asking first while "DownloadConfirmCancellation"
// is on) or, once it is complete, plays it. An empty queue shows the header
// and a message instead of rows.
//
// The list follows the queue through ZDownloadListModel: rows inserted,
// removed and moved as the queue changes, one row repainted when one
// download moves on. Every colour, size, text style and picture is the
// current skin's.
class ZDownloadTableView : public ZOpaqueView {
  Q_OBJECT
 public:
  // Over the application's queue, settings and now-playing list.
  explicit ZDownloadTableView(QWidget *parent = nullptr);
  ZDownloadTableView(const ZDownloadTableEnvironment &environment, QWidget *parent = nullptr);
  ~ZDownloadTableView() override;

  // Takes the current skin's look and shows the queue (the main window
  // calls it once when it loads; again after a change of skin).
  void setup();

  // What a row's button does: stops a download (after the confirmation,
  // when asked for) or plays a complete one that is in the library.
  void stopOrPlay(const ZDownloadDataSource::ItemRef &item);
  // Whether a finished download's video is in the library to play (a
  // video deleted since is not: its row offers no play button).
  bool canPlay(const ZDownloadItem &item) const;

  ZDownloadListModel &model() const { return *fModel; }
  ZDownloadRowsView *scrollView() const { return fScrollView; }
  const ZDownloadTableMetrics &metrics() const { return fMetrics; }
  const ZDownloadTableImages &images() const { return fImages; }

  // The download's thumbnail at most the size given, read once and kept
  // while the download is shown; a null image when it has none or it does
  // not load.
  QImage thumbnailFor(const ZDownloadItem &item, const QSize &size);

  // The header's titles and the empty-list message as drawn.
  static QString accessibleListName();
  bool showsEmptyMessage() const;

  // Row views ask these.
  bool hasKeyboardFocus() const;
  void rowClicked(ZDownloadTableRowView *row);

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  void downloadListChanged();
  void layoutScrollView();
  double scrollerWidth() const;

  ZDownloadTableEnvironment fEnvironment;
  ZDownloadListModel *fModel = nullptr;
  ZDownloadRowsView *fScrollView = nullptr;
  ZDownloadTableMetrics fMetrics;
  ZDownloadTableImages fImages;

  struct Thumbnail {
    QString path;
    QSize size;
    QImage image;  // null: none, or it did not load
  };
  QHash<const ZDownloadItem *, Thumbnail> fThumbnails;
};
