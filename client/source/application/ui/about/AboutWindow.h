#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help > About Zaro Player: the version, the licence, the libraries the
// player runs on with their versions, and a link to the project's site (opened
// in the user's browser through the workspace). One window; Escape and its
// Close button close it.
class AboutWindow : public QDialog {
  Q_OBJECT
 public:
  explicit AboutWindow(QWidget *parent = nullptr);

  // The project's site.
  static QString projectAddress();

  QLabel *versionLabel() const { return fVersion; }
  QLabel *componentsLabel() const { return fComponents; }
  QLabel *linkLabel() const { return fLink; }
  QPushButton *closeButton() const { return fClose; }

 private:
  QLabel *fVersion = nullptr;
  QLabel *fComponents = nullptr;
  QLabel *fLink = nullptr;
  QPushButton *fClose = nullptr;
};
