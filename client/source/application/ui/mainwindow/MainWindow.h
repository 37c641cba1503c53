#pragma once

#include "MainWindowGeometry.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

// The application's main window: borderless, see-through outside the skin's
// rounded frame, moved by its top strip and resized by its bottom right
// corner (MainWindowGeometry holds the rules), zoomed to the visible area of
// its screen and back. Its frame is kept in the settings under an autosave
// name, except while zoomed.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget *parent = nullptr);
  ~MainWindow() override;

  // Mouse moves over the window go to this view too (the rating widget while
  // choosing); none to stop.
  void setViewAcceptingMouseMoved(QWidget *view);
  QWidget *viewAcceptingMouseMoved() const { return fViewAcceptingMouseMoved; }

  // Zooms to the standard frame (the visible area of the window's screen)
  // when not zoomed, else back to the frame saved under the autosave name.
  void zoom();
  bool isZoomed() const { return fZoomed; }
  QRect standardFrame() const;

  // The frame is saved under this name in the settings ("NSWindow Frame "
  // and the name) and read back from it.
  void setFrameAutosaveName(const QString &name) { fAutosaveName = name; }
  QString frameAutosaveName() const { return fAutosaveName; }
  // Saves the frame under the name; nothing while zoomed.
  void saveFrameUsingName(const QString &name);
  // Takes the frame saved under the name; false when none is (or it is not
  // a frame).
  bool setFrameUsingName(const QString &name);
  static QString frameKey(const QString &name);

  // The press, drag and release of a user's pointer, in screen coordinates
  // (what the mouse events call).
  void pressAt(const QPoint &globalPointer);
  void moveTo(const QPoint &globalPointer);
  void release();
  bool inDrag() const { return fInDrag; }
  bool inResize() const { return fInResize; }

 protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  // A moved or resized window saves its frame a moment later.
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  // Qt makes the window anew (another native window) when the first view
  // drawn by the graphics card (a web page, the movie) comes in; an active
  // window stays active.
  bool event(QEvent *event) override;

 private:
  QRect visibleAreaOfMainScreen() const;

  QPoint initialLocation;  // where the press began, relative to the window origin
  QPoint fInitialPointer;  // and on the screen
  int fInitialWidth = 0;
  int fInitialHeight = 0;
  int fInitialY = 0;
  bool fInDrag = false;
  bool fInResize = false;
  bool fZoomed = false;
  QString fAutosaveName;
  QTimer fSaveTimer;
  bool fActive = false;
  QPointer<QWidget> fViewAcceptingMouseMoved;
};
