#include "ZOMovieView.h"

#include "Localization.h"
#include "Logging.h"
#include "ZMpvBackEnd.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace {

void *procAddress(void *, const char *name) {
  QOpenGLContext *context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

bool ZOMovieView::isAvailable() {
  static const bool available = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
      return false;
    QOpenGLContext probe;
    return probe.create();
  }();
  return available;
}

ZOMovieView::ZOMovieView(QWidget *parent) : QOpenGLWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName(localized(QStringLiteral("moviePlayWindowMovie")));
  setAutoFillBackground(false);
  connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
    if (fRenderContext) mpv_render_context_report_swap(fRenderContext);
  });
}

ZOMovieView::~ZOMovieView() {
  releaseRenderContext();
  // The widget's context is destroyed after this object has stopped being a
  // movie view; its last signal must not reach us.
  if (context()) disconnect(context(), nullptr, this, nullptr);
}

void ZOMovieView::setEngine(ZMpvBackEnd *engine) {
  if (engine == fEngine) return;
  releaseRenderContext();
  if (fEngine) disconnect(fEngine, nullptr, this, nullptr);
  fEngine = engine;
  if (!fEngine) return;
  connect(fEngine, &ZMpvBackEnd::shuttingDown, this, &ZOMovieView::releaseRenderContext);
  if (context()) {
    makeCurrent();
    createRenderContext();
    doneCurrent();
  }
}

void ZOMovieView::setMovie(ZMediaBackEnd *movie) {
  fMovie = nullptr;
  if (auto *engine = qobject_cast<ZMpvBackEnd *>(movie); engine && !fEngine) setEngine(engine);
  fMovie = movie;
  update();
}

void ZOMovieView::initializeGL() {
  // A new OpenGL context (the first, or another after the view moved to a
  // different window): the render context of the old one goes before it does.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &ZOMovieView::releaseRenderContext,
          Qt::UniqueConnection);
  createRenderContext();
}

void ZOMovieView::releaseRenderContext() {
  if (!fRenderContext) return;
  makeCurrent();
  freeRenderContext();
  doneCurrent();
}

void ZOMovieView::createRenderContext() {
  if (fRenderContext || !fEngine || !fEngine->handle() || fEngine->isHeadless()) return;
  mpv_opengl_init_params glInit{};
  glInit.get_proc_address = &procAddress;
  char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, apiType},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  const int rc = mpv_render_context_create(&fRenderContext, fEngine->handle(), params);
  if (rc < 0) {
    qCWarning(zaroPlayback) << "mpv cannot draw into the movie view:" << mpv_error_string(rc);
    fRenderContext = nullptr;
    return;
  }
  // Runs on one of mpv's threads: it may only queue the redraw onto our loop.
  mpv_render_context_set_update_callback(
      fRenderContext,
      [](void *view) {
        auto *self = static_cast<ZOMovieView *>(view);
        if (!self->fUpdateQueued.exchange(true))
          QMetaObject::invokeMethod(self, &ZOMovieView::renderContextUpdated, Qt::QueuedConnection);
      },
      this);
  fEngine->renderContextCreated();
}

void ZOMovieView::freeRenderContext() {
  if (!fRenderContext) return;
  if (fEngine) fEngine->renderContextWillBeFreed();
  mpv_render_context_set_update_callback(fRenderContext, nullptr, nullptr);
  mpv_render_context_free(fRenderContext);
  fRenderContext = nullptr;
}

void ZOMovieView::renderContextUpdated() {
  fUpdateQueued = false;
  if (!fRenderContext) return;
  if (mpv_render_context_update(fRenderContext) & MPV_RENDER_UPDATE_FRAME) update();
}

void ZOMovieView::paintGL() {
  if (!fRenderContext || !fMovie) {
    QOpenGLFunctions *gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio),
                     0};
  int flipY = 1;
  // Drawn at once: mpv hands a frame over when it is due (its timing offset
  // is 0), so the Qt loop never waits inside mpv.
  int block = 0;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_FLIP_Y, &flipY},
      {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(fRenderContext, params);
  ++fFramesDrawn;
}
