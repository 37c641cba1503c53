#pragma once

#include "ZDownloadDataSource.h"
#include "ZRowEditingModel.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

struct Notification;

// The download queue as a list model, for the downloads page: one row per
// download in the queue's order. A change of the list is told row by row
// (inserted, removed, moved: the steps from the rows the views were shown to
// the queue's new list); an event of one download (its state, its progress,
// its thumbnail, its end) is a dataChanged of its row alone. The model never
// resets.
//
// Display, tool-tip and accessible-text roles give the title as plain text on
// one line (control characters become blanks); the other roles are below.
class ZDownloadListModel : public ZRowEditingModel<QAbstractListModel> {
  Q_OBJECT
 public:
  enum Role : int {
    ItemRole = Qt::UserRole + 200,  // ZDownloadItem*
    JobStateRole,                   // int, the job state
    CompleteRole,                   // bool, the video file is complete
    PercentRole,                    // double, 0 to 100
    ConnectionSpeedRole,            // text of the speed cell
    TimeRemainingRole,              // text of the time-remaining cell
    VideoIdRole,                    // int, the library id once added (-1 before)
  };

  explicit ZDownloadListModel(ZDownloadDataSource &queue, QObject *parent = nullptr);
  ~ZDownloadListModel() override;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QHash<int, QByteArray> roleNames() const override;

  // The download shown in a row (null outside the rows); the reference keeps
  // it alive after the queue dropped it.
  ZDownloadDataSource::ItemRef itemAt(int row) const;
  // The row of a download, or -1.
  int rowOf(const ZDownloadItem *item) const;

  // A title as a row writes it: one line of plain text.
  static QString plainTitle(const QString &title);

 private:
  void listChanged();
  void itemChanged(const Notification &notification);
  int serialOf(const ZDownloadItem *item);

  ZDownloadDataSource &fQueue;
  QList<ZDownloadDataSource::ItemRef> fItems;  // what the views were told
  // Every download the model has shown gets a number of its own, so that
  // the queue's new list can be compared with the rows.
  QHash<const ZDownloadItem *, int> fSerials;
  int fNextSerial = 0;
};
