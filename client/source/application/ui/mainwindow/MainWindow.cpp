#include "MainWindow.h"

#include "UserDefaults.h"
#include "ZAccessibility.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

MainWindow::MainWindow(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  // Before the window is known to assistive technology: it is a frame.
  ZAccessibility::install();
  setProperty(ZAccessibility::FrameProperty, true);
  setObjectName(QStringLiteral("MainWindow"));
  // Outside the frame's rounded corners the desktop shows.
  setAttribute(Qt::WA_TranslucentBackground);
  setMinimumSize(MainWindowGeometry::MinimumSize);
  fSaveTimer.setSingleShot(true);
  fSaveTimer.setInterval(500);
  connect(&fSaveTimer, &QTimer::timeout, this, [this] { saveFrameUsingName(fAutosaveName); });
}

MainWindow::~MainWindow() = default;

void MainWindow::setViewAcceptingMouseMoved(QWidget *view) {
  fViewAcceptingMouseMoved = view;
  setMouseTracking(view != nullptr);
}

QRect MainWindow::visibleAreaOfMainScreen() const {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QRect MainWindow::standardFrame() const {
  const QScreen *own = screen() ? screen() : QGuiApplication::primaryScreen();
  return own ? own->availableGeometry() : geometry();
}

void MainWindow::zoom() {
  if (!fZoomed) {
    // Remember the frame to come back to before leaving it.
    saveFrameUsingName(fAutosaveName);
    fZoomed = true;
    setGeometry(standardFrame());
  } else {
    fZoomed = false;
    if (!setFrameUsingName(fAutosaveName)) setGeometry(QRect(pos(), minimumSize()));
  }
}

QString MainWindow::frameKey(const QString &name) {
  return QStringLiteral("NSWindow Frame ") + name;
}

void MainWindow::saveFrameUsingName(const QString &name) {
  if (fZoomed || name.isEmpty()) return;
  const QRect frame = geometry();
  UserDefaults::standardUserDefaults().setString(QStringLiteral("%1 %2 %3 %4")
                                                     .arg(frame.x())
                                                     .arg(frame.y())
                                                     .arg(frame.width())
                                                     .arg(frame.height()),
                                                 frameKey(name));
}

bool MainWindow::setFrameUsingName(const QString &name) {
  if (name.isEmpty()) return false;
  const QStringList parts = UserDefaults::standardUserDefaults()
                                .stringForKey(frameKey(name))
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.size() != 4) return false;
  int values[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    values[i] = parts.at(i).toInt(&ok);
    // A frame beyond any screen is not one (the file may have been edited).
    if (!ok || values[i] < -100000 || values[i] > 100000) return false;
  }
  if (values[2] <= 0 || values[3] <= 0) return false;
  setGeometry(QRect(values[0], values[1], std::max(values[2], minimumWidth()),
                    std::max(values[3], minimumHeight())));
  return true;
}

void MainWindow::pressAt(const QPoint &globalPointer) {
  const QRect frame = geometry();
  initialLocation = globalPointer - frame.topLeft();
  fInitialPointer = globalPointer;
  switch (MainWindowGeometry::grabAt(initialLocation, frame.size())) {
    case MainWindowGeometry::Grab::Drag:
      fInDrag = true;
      break;
    case MainWindowGeometry::Grab::Resize:
      fInResize = true;
      fInitialWidth = frame.width();
      fInitialHeight = frame.height();
      fInitialY = frame.y();
      break;
    case MainWindowGeometry::Grab::None:
      break;
  }
}

void MainWindow::moveTo(const QPoint &globalPointer) {
  if (fInDrag) {
    move(MainWindowGeometry::draggedOrigin(globalPointer, initialLocation,
                                           visibleAreaOfMainScreen()));
  } else if (fInResize) {
    const QRect start(QPoint(x(), fInitialY), QSize(fInitialWidth, fInitialHeight));
    setGeometry(
        MainWindowGeometry::resizedFrame(start, fInitialPointer, globalPointer, minimumSize()));
  }
}

void MainWindow::release() {
  const bool changed = fInDrag || fInResize;
  fInDrag = fInResize = false;
  if (changed) {
    // A moved or resized window is no longer zoomed.
    fZoomed = false;
    saveFrameUsingName(fAutosaveName);
  }
}

void MainWindow::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  if (isVisible()) fSaveTimer.start();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  if (isVisible()) fSaveTimer.start();
}

bool MainWindow::event(QEvent *event) {
  switch (event->type()) {
    case QEvent::ActivationChange:
      // Losing the activation to no window at all (the native window going)
      // still counts as active; to another window of the player does not.
      if (isActiveWindow())
        fActive = true;
      else if (QApplication::activeWindow())
        fActive = false;
      break;
    case QEvent::WinIdChange:
      if (fActive && isVisible())
        QTimer::singleShot(0, this, [this] {
          if (isVisible()) activateWindow();
        });
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

void MainWindow::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressAt(event->globalPosition().toPoint());
  event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event) {
  if (fInDrag || fInResize) {
    moveTo(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  if (fViewAcceptingMouseMoved && fViewAcceptingMouseMoved != this) {
    QMouseEvent moved(
        QEvent::MouseMove, fViewAcceptingMouseMoved->mapFromGlobal(event->globalPosition()),
        event->globalPosition(), event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(fViewAcceptingMouseMoved, &moved);
  }
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) release();
  QWidget::mouseReleaseEvent(event);
}
