#include "WelcomeWindowController.h"

#include "Localization.h"
#include "ServiceHosts.h"
#include "ZAccessibility.h"
#include "ZGuideView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

WelcomeWindowController::WelcomeWindowController(ZNavigationPolicy::Targets targets,
                                                 QObject *parent)
    : QObject(parent) {
  ZAccessibility::install();
  fWindow = new QWidget(nullptr, Qt::Window);
  fWindow->setObjectName(QStringLiteral("WelcomeWindow"));
  fWindow->setAttribute(Qt::WA_DeleteOnClose);
  fWindow->setWindowTitle(localized(QStringLiteral("welcomeWindowTitle")));
  fWindow->setAccessibleName(fWindow->windowTitle());
  auto *column = new QVBoxLayout(fWindow);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  fWebView = new ZGuideView(std::move(targets), fWindow);
  column->addWidget(fWebView, 1);
  auto *bar = new QHBoxLayout;
  bar->setContentsMargins(12, 8, 12, 8);
  bar->addStretch(1);
  fCloseButton = new QPushButton(localized(QStringLiteral("welcomeWindowCloseButton")), fWindow);
  fCloseButton->setObjectName(QStringLiteral("WelcomeCloseButton"));
  fCloseButton->setDefault(true);
  bar->addWidget(fCloseButton);
  column->addLayout(bar);
  connect(fCloseButton, &QPushButton::clicked, fWindow, &QWidget::close);
  // Escape closes, wherever the keyboard is (the page too).
  auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), fWindow);
  connect(escape, &QShortcut::activated, fWindow, &QWidget::close);
  fWindow->installEventFilter(this);
  // The page loads with the window.
  fWebView->load(QUrl(ServiceHosts::webURLString(welcomePagePath())));
}

WelcomeWindowController::~WelcomeWindowController() {
  if (fWindow) {
    fWindow->removeEventFilter(this);
    delete fWindow;
  }
}

void WelcomeWindowController::showWindow(const QRect &frame) {
  if (!fWindow) return;
  if (QScreen *screen = fWindow->screen() ? fWindow->screen() : QGuiApplication::primaryScreen()) {
    QRect centred = fWindow->frameGeometry();
    centred.moveCenter(screen->availableGeometry().center());
    fWindow->move(centred.topLeft());
  }
  if (frame.isValid()) fWindow->setGeometry(frame);
  fWindow->show();
  fWindow->raise();
  fWindow->activateWindow();
  fCloseButton->setFocus(Qt::OtherFocusReason);
}

bool WelcomeWindowController::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fWindow && event->type() == QEvent::Close) windowWillClose();
  return QObject::eventFilter(watched, event);
}

void WelcomeWindowController::windowWillClose() {
  fWebView->stop();
  emit closed();
}
