#pragma once

#include "ZView.h"

// The downloads page of the main window: the download queue as a list.
//
// For now an empty page in the downloads' background colour; the list
// itself (header, rows, progress, stop and play buttons) takes its place.
// The main window calls setup() once when it loads.
class ZDownloadTableView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZDownloadTableView(QWidget *parent = nullptr);

  // Builds the rows from the queue.
  void setup();
};
