#include "ZGuideView.h"

#include "Localization.h"
#include "Logging.h"
#include "ServiceHosts.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <unistd.h>

namespace {

const QByteArray kCommandScheme = QByteArrayLiteral("zaro");

// Command links never load: the policy has taken them before. One that gets
// here anyway (a sub-frame, a script's request) is refused.
class CommandLinkRefuser : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob *job) override {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
  }
};

void installRefuser(QWebEngineProfile *profile) {
  if (profile->urlSchemeHandler(kCommandScheme)) return;
  profile->installUrlSchemeHandler(kCommandScheme, new CommandLinkRefuser(profile));
}

void registerSchemesAtStart() { ZGuidePage::registerSchemes(); }

}  // namespace

// Before the application object, as the web engine wants it: at program
// start, in every program that uses these pages.
Q_CONSTRUCTOR_FUNCTION(registerSchemesAtStart)

// ---- ZGuidePage ----------------------------------------------------------------------

void ZGuidePage::registerSchemes() {
  static bool done = false;
  if (done || QCoreApplication::instance()) return;
  done = true;
  QWebEngineUrlScheme scheme(kCommandScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  QWebEngineUrlScheme::registerScheme(scheme);
  // The web engine shares its drawing contexts with the windows.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // On Linux the web engine hands the pages' contents to assistive
  // technology only when asked to (it costs nothing while none listens):
  // without it a screen reader finds an empty document.
  if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

ZGuidePage::ZGuidePage(ZNavigationPolicy::Targets targets, QObject *parent)
    : QWebEnginePage(parent), fTargets(std::move(targets)) {
  installRefuser(profile());
  connect(this, &QWebEnginePage::newWindowRequested, this, &ZGuidePage::newWindowRequested);
}

void ZGuidePage::noteUserInput() { fLastUserInput.start(); }

namespace {

ZNavigationPolicy::NavigationType navigationType(QWebEnginePage::NavigationType type) {
  using T = ZNavigationPolicy::NavigationType;
  switch (type) {
    case QWebEnginePage::NavigationTypeLinkClicked: return T::LinkClicked;
    case QWebEnginePage::NavigationTypeTyped: return T::Typed;
    case QWebEnginePage::NavigationTypeFormSubmitted: return T::FormSubmitted;
    case QWebEnginePage::NavigationTypeBackForward: return T::BackForward;
    case QWebEnginePage::NavigationTypeReload: return T::Reload;
    case QWebEnginePage::NavigationTypeRedirect: return T::Redirect;
    default: return T::Other;
  }
}

}  // namespace

bool ZGuidePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) {
  ZNavigationPolicy::Navigation navigation;
  navigation.url = url.toString(QUrl::FullyEncoded);
  navigation.type = navigationType(type);
  navigation.mainFrame = isMainFrame;
  navigation.page = this->url();
  return carryOut(std::move(navigation), true);
}

void ZGuidePage::newWindowRequested(QWebEngineNewWindowRequest &request) {
  ZNavigationPolicy::Navigation navigation;
  navigation.url = request.requestedUrl().toString(QUrl::FullyEncoded);
  navigation.type = ZNavigationPolicy::NavigationType::NewWindow;
  navigation.page = url();
  // A service page meant for a new window shows in this one.
  if (carryOut(std::move(navigation), request.isUserInitiated())) request.openIn(this);
}

bool ZGuidePage::carryOut(ZNavigationPolicy::Navigation navigation, bool userInitiated) {
  using ZNavigationPolicy::Action;
  navigation.userActed = userInitiated && fLastUserInput.isValid() &&
                         fLastUserInput.elapsed() <= UserActionWindowMs;
  const ZNavigationPolicy::Verdict verdict =
      ZNavigationPolicy::decide(navigation, ServiceHosts::serviceWebHost());
  // One click or key leads to one command or one opening at most.
  if (verdict.action != Action::Load && verdict.action != Action::Refuse)
    fLastUserInput.invalidate();

  switch (verdict.action) {
    case Action::Load:
      return true;
    case Action::Download:
      if (fTargets.downloadVideo && !fTargets.downloadVideo(verdict.argument) &&
          fTargets.downloadRefused)
        fTargets.downloadRefused();
      return false;
    case Action::Subscribe:
      if (fTargets.subscribe) fTargets.subscribe(verdict.argument);
      return false;
    case Action::OpenInBrowser:
      if (fTargets.openInBrowser) fTargets.openInBrowser(QUrl(verdict.argument));
      return false;
    case Action::Refuse:
      break;
  }
  Logging::warnOnce(zaroCore(),
                    QStringLiteral("guide ") + verdict.reason + Logging::address(QUrl(navigation.url)),
                    QStringLiteral("guide page: refused ") + verdict.reason + QStringLiteral(" (") +
                        Logging::address(navigation.page) + QStringLiteral(" to ") +
                        Logging::address(QUrl(navigation.url)) + QLatin1Char(')'));
  // The user clicked something that cannot be followed: say so.
  if (navigation.userActed && navigation.mainFrame &&
      (navigation.type == ZNavigationPolicy::NavigationType::LinkClicked ||
       navigation.type == ZNavigationPolicy::NavigationType::NewWindow)) {
    fLastUserInput.invalidate();
    if (fTargets.linkRefused) fTargets.linkRefused(QUrl(navigation.url));
  }
  return false;
}

// ---- ZGuideView ----------------------------------------------------------------------

bool ZGuideView::webContentAvailable() {
  if (geteuid() != 0) return true;
  return !qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX") ||
         qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QLatin1String("--no-sandbox"));
}

ZGuideView::ZGuideView(ZNavigationPolicy::Targets targets, QWidget *parent) : QWidget(parent) {
  fStack = new QStackedLayout(this);
  fStack->setContentsMargins(0, 0, 0, 0);

  fMessagePanel = new QWidget(this);
  fMessagePanel->setAutoFillBackground(true);
  QPalette palette = fMessagePanel->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
  fMessagePanel->setPalette(palette);
  auto *column = new QVBoxLayout(fMessagePanel);
  column->addStretch(1);
  fMessage = new QLabel(fMessagePanel);
  fMessage->setTextFormat(Qt::PlainText);
  fMessage->setAlignment(Qt::AlignCenter);
  fMessage->setWordWrap(true);
  column->addWidget(fMessage);
  fRetryButton = new QPushButton(localized(QStringLiteral("guideRetryButton")), fMessagePanel);
  fRetryButton->setAutoDefault(true);
  column->addWidget(fRetryButton, 0, Qt::AlignHCenter);
  column->addStretch(2);

  fStack->addWidget(fMessagePanel);
  fStack->setCurrentWidget(fMessagePanel);
  fRetryButton->hide();
  connect(fRetryButton, &QPushButton::clicked, this, &ZGuideView::retry);
  if (!webContentAvailable()) {
    fMessage->setText(localized(QStringLiteral("guideUnavailableAsAdministrator")));
    return;
  }

  fWebView = new QWebEngineView(this);
  watchInput(fWebView);
  fPage = new ZGuidePage(std::move(targets), fWebView);
  fWebView->setPage(fPage);
  fWebView->setAccessibleName(localized(QStringLiteral("guideViewAccessibleName")));
  fStack->addWidget(fWebView);
  connect(fPage, &QWebEnginePage::loadingChanged, this, &ZGuideView::loadingChanged);
  connect(fPage, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus)
              showMessage(localized(QStringLiteral("guideLoadFailedMessage")), true);
          });
}

ZGuideView::~ZGuideView() = default;

void ZGuideView::watchInput(QObject *object) {
  object->installEventFilter(this);
  for (QObject *child : object->children())
    if (child->isWidgetType()) watchInput(child);
}

// The web engine draws the page in a widget of its own inside the view, made
// when a page first shows: the user's clicks and keys reach that one.
bool ZGuideView::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
    case QEvent::ChildAdded: {
      QObject *child = static_cast<QChildEvent *>(event)->child();
      if (child->isWidgetType()) watchInput(child);
      break;
    }
    case QEvent::MouseButtonRelease:
      if (fPage && event->spontaneous()) fPage->noteUserInput();
      break;
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent *>(event)->key();
      if (fPage && event->spontaneous() &&
          (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space))
        fPage->noteUserInput();
      break;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void ZGuideView::load(const QUrl &url) {
  fRequestedUrl = url;
  if (!fPage) return;
  showMessage(localized(QStringLiteral("guideLoadingMessage")), false);
  setStatus(Status::Loading);
  fPage->load(url);
}

void ZGuideView::retry() {
  if (fRequestedUrl.isValid()) load(fRequestedUrl);
}

void ZGuideView::stop() {
  if (fPage) fPage->triggerAction(QWebEnginePage::Stop);
}

void ZGuideView::loadingChanged(const QWebEngineLoadingInfo &info) {
  switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
      // An error page of the server is no guide page.
      if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
          info.errorCode() >= 400) {
        if (info.url().isValid()) fRequestedUrl = info.url();
        showMessage(localized(QStringLiteral("guideLoadFailedMessage")), true);
        return;
      }
      fStack->setCurrentWidget(fWebView);
      setStatus(Status::Shown);
      return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
      // Trying again means the page that failed, a followed link's too.
      if (info.url().isValid()) fRequestedUrl = info.url();
      showMessage(localized(QStringLiteral("guideLoadFailedMessage")), true);
      return;
    case QWebEngineLoadingInfo::LoadStartedStatus:
    case QWebEngineLoadingInfo::LoadStoppedStatus:
      // A stop, or a command link the policy carried out: the page stays.
      if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus && fStatus == Status::Loading &&
          fStack->currentWidget() == fMessagePanel)
        showMessage(localized(QStringLiteral("guideLoadFailedMessage")), true);
      return;
  }
}

void ZGuideView::showMessage(const QString &text, bool canRetry) {
  fMessage->setText(text);
  fRetryButton->setVisible(canRetry);
  fStack->setCurrentWidget(fMessagePanel);
  if (canRetry) {
    setStatus(Status::Failed);
    if (isVisible() && window()->isActiveWindow()) fRetryButton->setFocus(Qt::OtherFocusReason);
  }
}

void ZGuideView::setStatus(Status status) {
  if (status == fStatus) return;
  fStatus = status;
  emit statusChanged(status);
}
