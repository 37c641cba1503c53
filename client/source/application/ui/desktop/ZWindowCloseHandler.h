#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class ZStatusIcon;

// What closing the main window does. Where the desktop has a status area,
// the player keeps running there (its downloads and subscriptions go on):
// the status icon appears and stays until the window is shown again. Where
// it has none, nothing would show that the player still runs, so closing
// the window quits, through the quit confirmation; a cancelled quit shows
// the window again.
class ZWindowCloseHandler : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    // The quit action; true when the player goes on to quit.
    std::function<bool()> quit;
    // Whether the desktop has a status area now.
    std::function<bool()> statusAreaAvailable;
  };

  ZWindowCloseHandler(QWidget &window, ZStatusIcon &statusIcon, Hooks hooks,
                      QObject *parent = nullptr);

  // The window was closed or hidden by its close button: decided once the
  // event is over, when the window is still hidden then.
  void windowClosed();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  QPointer<QWidget> fWindow;
  ZStatusIcon &fStatusIcon;
  Hooks fHooks;
  bool fQueued = false;
  bool fQuitting = false;
};
