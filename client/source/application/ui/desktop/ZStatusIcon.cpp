#include "ZStatusIcon.h"

#include "ApplicationIdentity.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "ZDownloadDataSource.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

bool isRunning(const ZDownloadItem &item) {
  if (item.downloadComplete()) return false;
  switch (item.jobState()) {
    case JobStateRetrievingMetaInfo:
    case JobStateRetrievingImage:
    case JobStatePendingVideo:
    case JobStateDownloadingVideo:
      return true;
    default:
      return false;
  }
}

QString oneLine(const QString &text) {
  QString line;
  line.reserve(text.size());
  for (const QChar c : text) line += c.category() == QChar::Other_Control ? QChar(u' ') : c;
  line = line.simplified();
  // A menu takes "&" as the mark of a shortcut key.
  line.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return line;
}

}  // namespace

ZStatusIcon::ZStatusIcon(ZDownloadDataSource &downloads, Hooks hooks, QObject *parent)
    : QObject(parent), fDownloads(downloads), fHooks(std::move(hooks)) {
  fIcon.setIcon(QApplication::windowIcon());
  fMenu.setObjectName(QStringLiteral("statusIconMenu"));
  fMenu.setTitle(ApplicationIdentity::applicationName());
  fShowAction = fMenu.addAction(localized(QStringLiteral("statusIconShow")));
  fShowAction->setObjectName(QStringLiteral("statusIconShow"));
  connect(fShowAction, &QAction::triggered, this, [this] {
    if (fHooks.show) fHooks.show();
  });
  // The download lines go between these two separators.
  fMenu.addSeparator();
  fProgressSeparator = fMenu.addSeparator();
  fQuitAction = fMenu.addAction(localized(QStringLiteral("statusIconQuit")));
  fQuitAction->setObjectName(QStringLiteral("statusIconQuit"));
  connect(fQuitAction, &QAction::triggered, this, [this] {
    if (fHooks.quit) fHooks.quit();
  });
  fIcon.setContextMenu(&fMenu);
  connect(&fIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if ((why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) && fHooks.show)
      fHooks.show();
  });
  // The queue tells its changes by name only.
  NotificationCenter &center = NotificationCenter::defaultCenter();
  for (const char *name : {"VideoDownloadListChanged", "VideoDownloadStatusChanged",
                           "VideoDownloadProgressUpdated", "VideoDownloadFinished"})
    center.addObserver(this, QLatin1String(name), [this](const Notification &) { queueRefresh(); });
  refresh();
}

ZStatusIcon::~ZStatusIcon() { NotificationCenter::defaultCenter().removeObserver(this); }

bool ZStatusIcon::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void ZStatusIcon::setVisible(bool visible) {
  if (visible) refresh();
  fIcon.setVisible(visible);
}

QList<ZDownloadProgress> ZStatusIcon::runningDownloads() const {
  QList<ZDownloadProgress> running;
  for (const auto &item : fDownloads.downloadItems())
    if (item && isRunning(*item)) running.append({item->title(), double(item->percentDownloaded())});
  return running;
}

QStringList ZStatusIcon::progressLines(const QList<ZDownloadProgress> &downloads, int limit) {
  if (downloads.isEmpty()) return {localized(QStringLiteral("statusIconNoDownloads"))};
  QStringList lines;
  for (int i = 0; i < downloads.size() && i < limit; ++i) {
    const ZDownloadProgress &d = downloads.at(i);
    const double percent = std::isfinite(d.percent) ? std::clamp(d.percent, 0.0, 100.0) : 0.0;
    const QString title = d.title.trimmed().isEmpty()
                              ? localized(QStringLiteral("statusIconUntitledDownload"))
                              : oneLine(d.title);
    lines.append(localizedFormat(QStringLiteral("statusIconDownloadProgress"),
                                 {title, int(std::floor(percent))}));
  }
  if (downloads.size() > limit)
    lines.append(localizedFormat(QStringLiteral("statusIconMoreDownloads"),
                                 {int(downloads.size() - limit)}));
  return lines;
}

void ZStatusIcon::queueRefresh() {
  if (fRefreshQueued || !fIcon.isVisible()) return;
  fRefreshQueued = true;
  QTimer::singleShot(0, this, [this] {
    fRefreshQueued = false;
    refresh();
  });
}

void ZStatusIcon::refresh() {
  const QList<ZDownloadProgress> running = runningDownloads();
  const QStringList lines = progressLines(running);
  // The lines are replaced in place, so an open menu keeps its place.
  while (fProgressActions.size() > lines.size()) {
    QAction *action = fProgressActions.takeLast();
    fMenu.removeAction(action);
    delete action;
  }
  for (int i = 0; i < lines.size(); ++i) {
    if (i == fProgressActions.size()) {
      auto *action = new QAction(&fMenu);
      action->setEnabled(false);  // information, nothing to press
      fMenu.insertAction(fProgressSeparator, action);
      fProgressActions.append(action);
    }
    fProgressActions.at(i)->setText(lines.at(i));
  }
  QString tip = ApplicationIdentity::applicationName();
  if (!running.isEmpty())
    tip += QLatin1Char('\n') + localizedFormat(QStringLiteral("statusIconDownloadsRunning"),
                                               {int(running.size())});
  fIcon.setToolTip(tip);
}
