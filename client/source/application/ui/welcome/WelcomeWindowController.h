#pragma once

#include "ZNavigationPolicy.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class QPushButton;
class ZGuideView;

// The window "WelcomeWindow" shown at the first start, over the main window:
// the service's welcome page ("/guide/welcome.html" on the web host) with a
// button that closes it. Closing (the button, Escape, the window's own close
// button) stops a page that is still loading.
class WelcomeWindowController : public QObject {
  Q_OBJECT
 public:
  explicit WelcomeWindowController(ZNavigationPolicy::Targets targets, QObject *parent = nullptr);
  ~WelcomeWindowController() override;

  QWidget *window() const { return fWindow; }
  ZGuideView *webView() const { return fWebView; }
  QPushButton *closeButton() const { return fCloseButton; }

  // Centres the window on its screen, then gives it exactly the frame (so
  // that it covers the main window) and shows it.
  void showWindow(const QRect &frame);
  static QString welcomePagePath() { return QStringLiteral("/guide/welcome.html"); }

 signals:
  void closed();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void windowWillClose();

  QPointer<QWidget> fWindow;
  ZGuideView *fWebView = nullptr;
  QPushButton *fCloseButton = nullptr;
};
