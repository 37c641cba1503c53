#include "ZOMovieView.h"

#include "Localization.h"
#include "Logging.h"
#include "ZMpvBackEnd.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPlatformSurfaceEvent>
#include <QWheelEvent>
#include <QWindow>

#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace {

void *procAddress(void *, const char *name) {
  QOpenGLContext *context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

// The native window mpv draws into. It draws when shown and when asked to,
// and hands whatever input reaches it to the view.
class ZOMovieView::Surface : public QWindow {
 public:
  explicit Surface(ZOMovieView *view) : fView(view) {
    setSurfaceType(QSurface::OpenGLSurface);
    // Clicks on the movie leave the keyboard where it is.
    setFlag(Qt::WindowDoesNotAcceptFocus);
  }

 protected:
  bool event(QEvent *event) override {
    switch (event->type()) {
      case QEvent::Expose:
      case QEvent::UpdateRequest:
        if (isExposed()) fView->drawFrame();
        return true;
      case QEvent::PlatformSurface:
        // The native window goes (its top level does): the context must not
        // stay current on it.
        if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed &&
            fView->fContext && fView->fContext->surface() == this)
          fView->fContext->doneCurrent();
        return QWindow::event(event);
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        fView->forwardEvent(event);
        return true;
      default:
        return QWindow::event(event);
    }
  }

 private:
  ZOMovieView *fView;
};

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

ZOMovieView::ZOMovieView(QWidget *parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName(localized(QStringLiteral("moviePlayWindowMovie")));
  setAttribute(Qt::WA_OpaquePaintEvent);
  fSurface = new Surface(this);
  fContainer = QWidget::createWindowContainer(fSurface, this);
  fContainer->setObjectName(QStringLiteral("MovieSurface"));
  fContainer->setFocusPolicy(Qt::NoFocus);
  fContainer->setAccessibleName(accessibleName());
  fContainer->setGeometry(rect());
  // The window the view is made in is made ready for OpenGL with it.
  makeOpenGLReady(this);
}

void ZOMovieView::makeOpenGLReady(QWidget *widget) {
  if (!isAvailable() || widget->findChild<QOpenGLWidget *>(QStringLiteral("OpenGLReady"),
                                                           Qt::FindDirectChildrenOnly))
    return;
  auto *marker = new QOpenGLWidget(widget);
  marker->setObjectName(QStringLiteral("OpenGLReady"));
  marker->setAttribute(Qt::WA_DontShowOnScreen);
  marker->hide();
}

ZOMovieView::~ZOMovieView() {
  releaseRenderContext();
  // The native window goes while this view is still whole: its last events
  // reach a complete object.
  delete fContainer;
  fContainer = nullptr;
  fSurface = nullptr;
  fContext.reset();
}

QWindow *ZOMovieView::movieWindow() const { return fSurface; }

void ZOMovieView::setEngine(ZMpvBackEnd *engine) {
  if (engine == fEngine) return;
  releaseRenderContext();
  if (fEngine) disconnect(fEngine, nullptr, this, nullptr);
  fEngine = engine;
  if (!fEngine) return;
  connect(fEngine, &ZMpvBackEnd::shuttingDown, this, &ZOMovieView::releaseRenderContext);
  if (fContext && makeCurrent()) {
    createRenderContext();
    doneCurrent();
  }
}

void ZOMovieView::setMovie(ZMediaBackEnd *movie) {
  fMovie = nullptr;
  if (auto *engine = qobject_cast<ZMpvBackEnd *>(movie); engine && !fEngine) setEngine(engine);
  fMovie = movie;
  if (fSurface) fSurface->requestUpdate();
}

bool ZOMovieView::event(QEvent *event) {
  // The native window shows its own cursor: this view's, when one is set.
  if (event->type() == QEvent::CursorChange && fSurface) {
    if (testAttribute(Qt::WA_SetCursor))
      fSurface->setCursor(cursor());
    else
      fSurface->unsetCursor();
  }
  return QWidget::event(event);
}

void ZOMovieView::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  if (fContainer) fContainer->setGeometry(rect());
}

bool ZOMovieView::prepareContext() {
  if (fContext) return true;
  if (!fSurface || !fSurface->handle() || !isAvailable()) return false;
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(fSurface->requestedFormat());
  if (!context->create()) {
    qCWarning(zaroPlayback) << "no OpenGL context for the movie view";
    return false;
  }
  fContext = std::move(context);
  return true;
}

bool ZOMovieView::makeCurrent(bool spare) {
  if (!fContext) return false;
  if (!spare && fSurface && fSurface->handle()) return fContext->makeCurrent(fSurface);
  // The native window has no surface now (its top level went), or is not
  // shown: the context is made current on a spare one, to free what lives
  // in it or to take frames without drawing them.
  if (!fSpareSurface) {
    fSpareSurface = std::make_unique<QOffscreenSurface>();
    fSpareSurface->setFormat(fContext->format());
    fSpareSurface->create();
  }
  return fContext->makeCurrent(fSpareSurface.get());
}

void ZOMovieView::doneCurrent() {
  if (fContext) fContext->doneCurrent();
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
  // Runs on one of mpv's threads: it may only queue the drawing onto our loop.
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
  if (!(mpv_render_context_update(fRenderContext) & MPV_RENDER_UPDATE_FRAME)) return;
  // mpv waits for each frame to be taken before it shows the next: a window
  // that is not shown takes them unseen, or the movie would stall.
  if (fSurface && fSurface->isExposed())
    drawFrame();
  else
    skipFrame();
}

void ZOMovieView::skipFrame() {
  if (!fRenderContext || !makeCurrent(true)) return;
  int skip = 1;
  int block = 0;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
      {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(fRenderContext, params);
  // Drawn frames report their swap, so mpv waits for a swap of every frame:
  // one taken unseen counts as swapped at once.
  mpv_render_context_report_swap(fRenderContext);
  ++fFramesSkipped;
  doneCurrent();
}

void ZOMovieView::drawFrame(QImage *grab) {
  if (!fSurface || !fSurface->isExposed() || !prepareContext()) return;
  if (!fContext->makeCurrent(fSurface)) return;
  createRenderContext();
  const qreal ratio = fSurface->devicePixelRatio();
  const int width = int(fSurface->width() * ratio), height = int(fSurface->height() * ratio);
  QOpenGLFunctions *gl = fContext->functions();
  const bool drawsMovie = fRenderContext && fMovie;
  if (drawsMovie) {
    mpv_opengl_fbo fbo{int(fContext->defaultFramebufferObject()), width, height, 0};
    int flipY = 1;
    // Drawn at once: mpv hands a frame over when it is due (its timing
    // offset is 0), so the Qt loop never waits inside mpv.
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(fRenderContext, params);
    ++fFramesDrawn;
  } else {
    gl->glViewport(0, 0, width, height);
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
  }
  if (grab) {
    QImage image(width, height, QImage::Format_RGBA8888);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl->glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // OpenGL's rows go from the bottom up.
    *grab = image.mirrored();
  }
  fContext->swapBuffers(fSurface);
  if (drawsMovie) mpv_render_context_report_swap(fRenderContext);
}

QImage ZOMovieView::grabFramebuffer() {
  QImage image;
  drawFrame(&image);
  return image;
}

void ZOMovieView::forwardEvent(QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      const auto *mouse = static_cast<QMouseEvent *>(event);
      const QPointF global = mouse->globalPosition();
      if (event->type() == QEvent::MouseButtonPress) {
        // A click on the movie is a click on the widgets under it: their
        // window comes forward and the first of them that takes the
        // keyboard on a click gets it.
        if (!window()->isActiveWindow()) window()->activateWindow();
        for (QWidget *w = this; w; w = w->isWindow() ? nullptr : w->parentWidget())
          if ((w->focusPolicy() & Qt::ClickFocus) && w->isEnabled()) {
            w->setFocus(Qt::MouseFocusReason);
            break;
          }
      }
      QMouseEvent copy(mouse->type(), mapFromGlobal(global), window()->mapFromGlobal(global), global,
                       mouse->button(), mouse->buttons(), mouse->modifiers(),
                       mouse->pointingDevice());
      copy.setTimestamp(mouse->timestamp());
      QApplication::sendEvent(this, &copy);
      event->setAccepted(copy.isAccepted());
      return;
    }
    case QEvent::Wheel: {
      const auto *wheel = static_cast<QWheelEvent *>(event);
      const QPointF global = wheel->globalPosition();
      QWheelEvent copy(mapFromGlobal(global), global, wheel->pixelDelta(), wheel->angleDelta(),
                       wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(),
                       wheel->source(), wheel->pointingDevice());
      QApplication::sendEvent(this, &copy);
      event->setAccepted(copy.isAccepted());
      return;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // Keys go where the window's keyboard is, as if the movie had none.
      const auto *key = static_cast<QKeyEvent *>(event);
      QWidget *target = window()->focusWidget() ? window()->focusWidget() : this;
      QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                     key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                     key->isAutoRepeat(), ushort(key->count()), key->device());
      QApplication::sendEvent(target, &copy);
      event->setAccepted(copy.isAccepted());
      return;
    }
    default:
      return;
  }
}
