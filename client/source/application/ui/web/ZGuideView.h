#pragma once

#include "ZNavigationPolicy.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedLayout;
class QWebEngineLoadingInfo;
class QWebEngineView;

// A page of the service shown inside the player. Every navigation goes
// through the navigation policy first: the service's "zaro://" command links
// are carried out here and load nothing; other addresses load as usual.
// Pages that would open in a new window open in this one.
class ZGuidePage : public QWebEnginePage {
  Q_OBJECT
 public:
  // The scheme of the service's command links, known to the web engine so
  // that a click on one reaches the policy instead of failing in the
  // engine; the pages' contents open to assistive technology. Runs once,
  // before the application object exists.
  static void registerSchemes();

  explicit ZGuidePage(ZNavigationPolicy::Targets targets, QObject *parent = nullptr);

 protected:
  bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage *createWindow(WebWindowType type) override;

 private:
  ZNavigationPolicy::Targets fTargets;
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
