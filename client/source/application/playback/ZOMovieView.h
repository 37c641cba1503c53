#pragma once

#include "ZPlaybackControls.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QWindow;
class ZMpvBackEnd;
struct mpv_render_context;

// The movie view: shows the movie of the engine handed to it, black when it
// shows none. mpv draws each frame through its render API straight into a
// native OpenGL window of the view's own (held in the widget tree by a
// window container), as soon as mpv hands the frame over, and the buffers
// are swapped: no texture for Qt to compose the window from. It never takes
// the keyboard focus. Mouse and key events that reach the native window go
// on to this widget (and from it to its parents, as a widget's own would);
// a cursor set on this widget shows over the movie. Without a display (the
// engine runs headless) it draws nothing.
//
// Only where the platform draws OpenGL (isAvailable()); a window shows a
// plain black area elsewhere (the offscreen platform of tests and CI), and
// the movie plays unseen.
//
// The view draws the pictures of one mpv engine: the one given to
// setEngine(), or the first one given to setMovie(). Its OpenGL context and
// the render context on it live as long as the view (or the engine): moving
// the view to another window re-parents the native window and keeps both.
class ZOMovieView : public QWidget, public ZMovieViewer {
  Q_OBJECT
 public:
  // Whether movie views can be shown here: a platform with a display and
  // OpenGL.
  static bool isAvailable();

  explicit ZOMovieView(QWidget *parent = nullptr);
  ~ZOMovieView() override;

  // The engine whose pictures this view draws; give it early, before a
  // movie is opened, so that pictures go here from the first frame on.
  void setEngine(ZMpvBackEnd *engine);
  // Shows this movie (nullptr: none). Detaches the old one first.
  void setMovie(ZMediaBackEnd *movie) override;
  ZMediaBackEnd *movie() const { return fMovie; }

  // Whether mpv draws into this view (a render context exists).
  bool isRendering() const { return fRenderContext != nullptr; }
  // Movie frames drawn so far.
  qint64 framesDrawn() const { return fFramesDrawn; }
  // Movie frames taken from mpv without drawing them, while the native
  // window was not shown (its window hidden or minimised): mpv's frame clock
  // runs on, so the movie goes on unseen, as its sound does.
  qint64 framesSkipped() const { return fFramesSkipped; }
  // The native window the movie is drawn in.
  QWindow *movieWindow() const;

  // Qt makes a shown top-level window anew, deleting its child windows with
  // it, when the first widget drawn through OpenGL enters it (the guide's
  // web view does). The movie's native window would go with it and leave
  // its container pointing at nothing (Qt's next move of the window then
  // crashes). A window that holds an OpenGL widget from the start is made
  // OpenGL-ready once, before any native window is in it: this puts a
  // hidden one into the widget (the view does it for the window it is made
  // in; full screen for itself). Nothing where OpenGL is not available.
  static void makeOpenGLReady(QWidget *widget);
  // Draws the current picture again and answers it (a null image while the
  // native window is not shown). Screenshots of widgets cannot see it.
  QImage grabFramebuffer();

 protected:
  bool event(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  class Surface;
  friend class Surface;

  // With the surface shown: makes the OpenGL context and mpv's render context
  // on it when they do not exist yet. False when there is nothing to draw with.
  bool prepareContext();
  // On the native window, or on a spare surface (when spare is set, or the
  // native window has none).
  bool makeCurrent(bool spare = false);
  void doneCurrent();
  void createRenderContext();
  // With the view's OpenGL context current: frees the render context.
  void freeRenderContext();
  // The same, making the context current first.
  void releaseRenderContext();
  void renderContextUpdated();
  // Draws the current frame (black without a movie) and swaps; into the image
  // as well when one is given.
  void drawFrame(QImage *grab = nullptr);
  // Takes mpv's current frame without drawing it (the window is not shown).
  void skipFrame();
  // Where forwarded input goes: this view, or for keys its window's focus.
  void forwardEvent(QEvent *event);

  Surface *fSurface = nullptr;
  QWidget *fContainer = nullptr;
  std::unique_ptr<QOpenGLContext> fContext;
  // To make the context current on while the native window has no surface.
  std::unique_ptr<QOffscreenSurface> fSpareSurface;
  QPointer<ZMpvBackEnd> fEngine;
  ZMediaBackEnd *fMovie = nullptr;
  mpv_render_context *fRenderContext = nullptr;
  std::atomic<bool> fUpdateQueued{false};
  qint64 fFramesDrawn = 0;
  qint64 fFramesSkipped = 0;
};
