#include "MainWindowController.h"

#include "Localization.h"

#include <QLabel>

MainWindowController::MainWindowController() : fWindow(new QMainWindow) {
  fWindow->setObjectName(QStringLiteral("MainWindow"));
  fWindow->setWindowTitle(localized(QStringLiteral("mainWindowTitle")));
  auto *placeholder = new QLabel(localized(QStringLiteral("libraryBrowseByAll")), fWindow);
  placeholder->setAlignment(Qt::AlignCenter);
  fWindow->setCentralWidget(placeholder);
  fWindow->resize(960, 640);
}

MainWindowController::~MainWindowController() { delete fWindow; }

void MainWindowController::showWindow() {
  fWindow->show();
  fWindow->raise();
}
