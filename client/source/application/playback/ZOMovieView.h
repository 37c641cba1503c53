#pragma once

#include "ZPlaybackControls.h"

#include <QOpenGLWidget>
#include <QPointer>

#include <atomic>

class ZMpvBackEnd;
struct mpv_render_context;

// The movie view: shows the movie of the engine handed to it, drawn by mpv
// through its render API into this widget's OpenGL framebuffer, black when
// it shows none. It never takes the keyboard focus, so keys go to its
// window. Without a display (the engine runs headless) it draws nothing.
//
// Only where the platform draws OpenGL (isAvailable()): Qt crashes on any
// OpenGL widget in a window shown on a platform without it (the offscreen
// platform of tests and CI), so a window shows a plain black area there
// instead, and the movie plays unseen.
//
// The view draws the pictures of one mpv engine: the one given to
// setEngine(), or the first one given to setMovie(). Its render context is
// made when the widget's OpenGL context exists and freed before that context,
// or the engine, goes.
class ZOMovieView : public QOpenGLWidget, public ZMovieViewer {
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

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  void createRenderContext();
  // With the view's OpenGL context current: frees the render context.
  void freeRenderContext();
  // The same, making the context current first.
  void releaseRenderContext();
  void renderContextUpdated();

  QPointer<ZMpvBackEnd> fEngine;
  ZMediaBackEnd *fMovie = nullptr;
  mpv_render_context *fRenderContext = nullptr;
  std::atomic<bool> fUpdateQueued{false};
  qint64 fFramesDrawn = 0;
};
