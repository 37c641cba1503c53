#pragma once

#include "ZNavigationPolicy.h"

#include <QElapsedTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedLayout;
class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
class QWebEngineView;

// A page of the service shown inside the player. Every navigation, and every
// request for a new window, goes through the navigation policy first
// (ZNavigationPolicy) and its verdict is carried out here: the service's
// command links the user clicks are carried out and load nothing, the
// service's pages load (a new window's in this one), another host's page the
// user clicks opens in the user's browser, and everything else is refused and
// logged once. Whether the user acted is known from the input the view hands
// over (noteUserInput): a click or key in the page a moment before, used up
// by the one command or browser opening it leads to.
class ZGuidePage : public QWebEnginePage {
  Q_OBJECT
 public:
  // The scheme of the service's command links, known to the web engine so
  // that a click on one reaches the policy instead of failing in the
  // engine; the pages' contents open to assistive technology. Runs once,
  // before the application object exists.
  static void registerSchemes();

  // How long after the user's click or key a navigation still counts as the
  // user's.
  static constexpr qint64 UserActionWindowMs = 1000;

  explicit ZGuidePage(ZNavigationPolicy::Targets targets, QObject *parent = nullptr);

  // The user clicked or pressed a key in the page.
  void noteUserInput();

 protected:
  bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

 private:
  // Decides and carries out; true when the navigation is to load.
  bool carryOut(ZNavigationPolicy::Navigation navigation, bool userInitiated);
  void newWindowRequested(QWebEngineNewWindowRequest &request);

  ZNavigationPolicy::Targets fTargets;
  QElapsedTimer fLastUserInput;
};

// A web view of the service's guide pages that fails gently: while the first
// page loads it says so, and a page that cannot be loaded (the service does
// not answer, answers with an error, or the page's process ends) gives way to
// a short message with a button that tries again. Never a blank area.
class ZGuideView : public QWidget {
  Q_OBJECT
 public:
  enum class Status { Empty, Loading, Shown, Failed };

  explicit ZGuideView(ZNavigationPolicy::Targets targets, QWidget *parent = nullptr);
  ~ZGuideView() override;

  // Whether web pages can be shown in this process. The web engine refuses
  // to run as the administrator (root) with its sandbox, and ends the whole
  // process when asked to; there, unless the environment turns the sandbox
  // off (QTWEBENGINE_DISABLE_SANDBOX, as tests do), no page is loaded and the
  // view says why.
  static bool webContentAvailable();

  // Loads the page; retry() loads the last one again.
  void load(const QUrl &url);
  void retry();
  // Stops a page that is still loading.
  void stop();

  QUrl requestedUrl() const { return fRequestedUrl; }
  Status status() const { return fStatus; }
  // None where web content is not available.
  QWebEngineView *webView() const { return fWebView; }
  ZGuidePage *page() const { return fPage; }
  // The message shown instead of the page, and its button.
  QLabel *messageLabel() const { return fMessage; }
  QPushButton *retryButton() const { return fRetryButton; }

 signals:
  void statusChanged(ZGuideView::Status status);

 private:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void watchInput(QObject *object);
  void loadingChanged(const QWebEngineLoadingInfo &info);
  void showMessage(const QString &text, bool canRetry);
  void setStatus(Status status);

  QStackedLayout *fStack = nullptr;
  QWebEngineView *fWebView = nullptr;
  ZGuidePage *fPage = nullptr;
  QWidget *fMessagePanel = nullptr;
  QLabel *fMessage = nullptr;
  QPushButton *fRetryButton = nullptr;
  QUrl fRequestedUrl;
  Status fStatus = Status::Empty;
};
