#include "ZGuideView.h"

#include "Localization.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
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
}

bool ZGuidePage::acceptNavigationRequest(const QUrl &url, NavigationType, bool) {
  return ZNavigationPolicy::decidePolicyForNavigation(url.toString(QUrl::FullyEncoded), fTargets) ==
         ZNavigationPolicy::Decision::Use;
}

QWebEnginePage *ZGuidePage::createWindow(WebWindowType) { return this; }

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
