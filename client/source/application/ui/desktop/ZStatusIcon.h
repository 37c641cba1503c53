#pragma once

#include <QList>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class ZDownloadDataSource;

// One download as the status icon's menu shows it.
struct ZDownloadProgress {
  QString title;
  double percent = 0;  // 0 to 100
};

// The player's icon in the desktop's status area while it runs without a
// window: its menu shows the player again, lists the running downloads with
// their progress and quits. Clicking the icon shows the player.
class ZStatusIcon : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void()> show;
    std::function<void()> quit;
  };

  ZStatusIcon(ZDownloadDataSource &downloads, Hooks hooks, QObject *parent = nullptr);
  ~ZStatusIcon() override;

  // Whether the desktop has a status area to show the icon in.
  static bool available();

  void setVisible(bool visible);
  bool isVisible() const { return fIcon.isVisible(); }
  QMenu &menu() { return fMenu; }
  QString toolTip() const { return fIcon.toolTip(); }

  // The running downloads of the queue, in its order.
  QList<ZDownloadProgress> runningDownloads() const;
  // The menu's lines for them: one per download up to the limit, then one
  // saying how many more there are; a line saying that none runs for none.
  static QStringList progressLines(const QList<ZDownloadProgress> &downloads, int limit = 5);

 private:
  void refresh();
  void queueRefresh();

  ZDownloadDataSource &fDownloads;
  Hooks fHooks;
  QMenu fMenu;
  QSystemTrayIcon fIcon;
  QAction *fShowAction = nullptr;
  QAction *fProgressSeparator = nullptr;
  QAction *fQuitAction = nullptr;
  QList<QAction *> fProgressActions;
  bool fRefreshQueued = false;
};
