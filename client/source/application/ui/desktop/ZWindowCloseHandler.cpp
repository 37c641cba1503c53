#include "ZWindowCloseHandler.h"

#include "Logging.h"
#include "ZStatusIcon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

ZWindowCloseHandler::ZWindowCloseHandler(QWidget &window, ZStatusIcon &statusIcon, Hooks hooks,
                                         QObject *parent)
    : QObject(parent), fWindow(&window), fStatusIcon(statusIcon), fHooks(std::move(hooks)) {
  window.installEventFilter(this);
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
          [this] { fQuitting = true; });
}

bool ZWindowCloseHandler::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fWindow) {
    if (event->type() == QEvent::Show) {
      fStatusIcon.setVisible(false);
    } else if (event->type() == QEvent::Hide && !event->spontaneous() &&
               !fWindow->isMinimized()) {
      // A window made anew (a native window recreated) is hidden and shown
      // at once: only a window still hidden after the event counts.
      if (!fQueued) {
        fQueued = true;
        QTimer::singleShot(0, this, [this] {
          fQueued = false;
          windowClosed();
        });
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void ZWindowCloseHandler::windowClosed() {
  if (fQuitting || !fWindow || fWindow->isVisible()) return;
  const bool statusArea = fHooks.statusAreaAvailable ? fHooks.statusAreaAvailable()
                                                     : ZStatusIcon::available();
  if (statusArea) {
    fStatusIcon.setVisible(true);
    return;
  }
  Logging::warnOnce(zaroDesktop(), QStringLiteral("status-area"),
                    QStringLiteral("the desktop has no status area: closing the window quits "
                                   "the player"));
  if (fHooks.quit && fHooks.quit()) return;
  fWindow->show();  // the quit was cancelled
  fWindow->raise();
}
