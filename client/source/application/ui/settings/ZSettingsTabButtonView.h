#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

// One of the settings window's three skinned tab buttons. Its sprite holds
// two looks side by side: the left half is the selected tab, the right half
// the others. A click on a tab that is not selected sends the action; a
// press released outside sends nothing and leaves the selection as it was.
//
// For the keyboard it is reached with Tab; Space chooses it, Left and Right
// go to the neighbouring tab. Assistive technology reads it as a page tab
// named by its accessible name, selected or not, with a "press" action.
class ZSettingsTabButtonView : public QWidget {
  Q_OBJECT
 public:
  using Action = std::function<void(ZSettingsTabButtonView *)>;

  // The identifier is that of the page the tab shows ("General", ...).
  explicit ZSettingsTabButtonView(const QString &identifier, QWidget *parent = nullptr);

  QString identifier() const { return fIdentifier; }
  void setImage(const QImage &sprite);
  QImage image() const { return fImage; }
  void setSelected(bool selected);
  bool isSelected() const { return fSelected; }
  void setAction(Action action) { fAction = std::move(action); }

  // As wide as half the sprite (rounded up) and as high as it; a tab without
  // a sprite is as large as its name needs.
  QSize sizeHint() const override;

  // What a click inside does, for the keyboard and assistive technology:
  // sends the action unless the tab is already selected.
  void performClick();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

 private:
  void sendAction();
  // The neighbouring tab in the row (-1 left, +1 right), or null.
  ZSettingsTabButtonView *neighbour(int direction) const;

  QString fIdentifier;
  QImage fImage;
  bool fSelected = false;
  bool fSavedSelectionState = false;
  bool fProcessingMouseDown = false;
  bool fMouseInView = false;
  Action fAction;
};
