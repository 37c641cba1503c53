#pragma once

#include "ZView.h"

#include <QFont>
#include <QMenu>
#include <QPointer>

#include <array>
#include <functional>

class QLineEdit;
class QAction;

// A simpler button on an image view: the image holds its parts side by side;
// a press shows part 2 (three parts or more), part 1 (two) or part 0, a
// release shows part 0 and runs the action when inside. A state beyond the
// last part draws the alternate image instead. Needs "Image"; "states" gives
// the number of parts (1 without it).
class ZButtonImageView : public ZImageView {
  Q_OBJECT
 public:
  using Action = std::function<void(ZButtonImageView *)>;

  static ZButtonImageView *create(const QSizeF &parentSize, const QVariantMap &info,
                                  QWidget *parent = nullptr);
  explicit ZButtonImageView(QWidget *parent = nullptr) : ZImageView(parent) {}

  void setImage(const QImage &image, int partCount);
  void setAlternateImage(const QImage &image);
  void setState(int state);
  int state() const { return fCurrentState; }
  // Mouse-over pictures are not shown by this kind of button.
  void setUsesMouseOverImage(bool uses) { fUsesMouseOver = uses; }
  void setAction(Action action) { fAction = std::move(action); }
  // A click from the keyboard (Space, Return) or assistive technology.
  void performClick();
  QSizeF imageDisplaySize() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  int pressedPart() const { return fPartCount >= 3 ? 2 : fPartCount == 2 ? 1 : 0; }

  QImage fAlternateImage;
  int fPartCount = 1;
  int fCurrentState = 0;
  bool fUsesMouseOver = false;
  bool fTracking = false;
  bool fInside = false;
  Action fAction;
};

// A button that pops up a menu and shows the chosen item's title over its
// image. Menu items carry their tags as their data (an int).
class ZPopupButtonImageView : public ZButtonView {
  Q_OBJECT
 public:
  static ZPopupButtonImageView *create(const QSizeF &parentSize, const QVariantMap &info,
                                       QWidget *parent = nullptr);
  explicit ZPopupButtonImageView(QWidget *parent = nullptr);

  // Keeps the menu and clears the title.
  void setMenu(QMenu *menu);
  QMenu *menu() const { return fMenu; }
  // Checks the item with the tag (and no other) and shows its title.
  void setSelectedTag(int tag);
  int selectedTag() const { return fSelectedTag; }
  QString title() const { return fTitle; }
  QFont labelFont() const { return fLabelFont; }
  // What the button says while no item is chosen (nothing by default).
  void setPlaceholderTitle(const QString &text);
  // Pops the menu up below the button, as a click does (also Space, Return
  // and the down arrow).
  void popUpMenu();

  // How the menu is shown (a context menu at the point, by default); tests
  // and embedders may replace it.
  using MenuPresenter = std::function<void(QMenu *, const QPoint &globalPosition)>;
  void setMenuPresenter(MenuPresenter presenter) { fPresenter = std::move(presenter); }

 protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  // The menu has taken the release.
  void mouseReleaseEvent(QMouseEvent *) override {}

 private:
  QString fTitle;
  QString fPlaceholderTitle;
  QFont fLabelFont;
  QPointer<QMenu> fMenu;
  int fSelectedTag = 0;
  MenuPresenter fPresenter;
};

// A search control on an image: a click on its text area shows an editable
// field, a click elsewhere hides and clears it; every edit, a click outside
// and a change of criterion run the action. Needs "Image".
class ZSearchButtonView : public ZImageView {
  Q_OBJECT
 public:
  using Action = std::function<void(ZSearchButtonView *)>;

  static ZSearchButtonView *create(const QSizeF &parentSize, const QVariantMap &info,
                                   QWidget *parent = nullptr);
  explicit ZSearchButtonView(QWidget *parent = nullptr);

  void setAction(Action action) { fAction = std::move(action); }
  QString searchText() const;
  int searchType() const { return fCriterion; }
  bool isEditing() const { return fEditing; }
  QLineEdit *textField() const { return fField; }

  // The menu of search criteria (items carry their tags as data), and the
  // choice of one of them.
  void setCriterionMenu(QMenu *menu) { fCriterionMenu = menu; }
  void changeSearchCriterion(QAction *item);

  // Shows the field and puts the keyboard in it, as a click on it does (also
  // reaching the control with Tab). Escape in the field ends editing the way
  // a click outside it does: the field is hidden and cleared, and the action
  // runs.
  void beginEditing();
  void endEditing();

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void sendAction();
  // The field lies inside the control, 18 in from the sides, 3 from the top and bottom.
  void layoutField();
  void matchFieldToImage();

  QLineEdit *fField = nullptr;
  QPointer<QMenu> fCriterionMenu;
  int fCriterion = 0;
  bool fEditing = false;
  Action fAction;
};

// The star rating of a video: one cell showing the current rating; a first
// click opens all six choices (unrated, one to five stars) in a row with the
// one under the mouse highlighted, a second click takes the one under it.
// Each of the six images holds two parts side by side: normal, highlighted.
class ZRateButtonView : public QWidget {
  Q_OBJECT
 public:
  using Action = std::function<void(ZRateButtonView *)>;

  // initWithOrigin: with the current skin's rating images.
  static ZRateButtonView *create(const QPoint &origin, QWidget *parent = nullptr);
  ZRateButtonView(const std::array<QImage, 6> &images, const QPoint &origin,
                  QWidget *parent = nullptr);
  ~ZRateButtonView() override;

  void setRating(int rating);
  int rating() const { return fRating; }
  // The video whose rating is shown; its updates redisplay the widget.
  void setVideoItem(int videoId, int rating);
  void setAction(Action action) { fAction = std::move(action); }
  bool isChoosing() const { return fTracking; }
  int hoverIndex() const { return fHoverIndex; }
  double cellWidth() const { return fCellWidth; }
  // Takes a rating (0 to 5) as a click on its cell does: leaves choosing and
  // runs the action. The keyboard's way: the arrows step, 0 to 5 choose.
  void chooseRating(int rating);

 protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void leaveEvent(QEvent *event) override;

 private:
  int cellAt(double x) const;
  void leaveChoosing();

  std::array<QImage, 6> fImages;
  double fCellWidth = 0, fCellHeight = 0;
  int fRating = 0;
  bool fTracking = false;
  int fHoverIndex = 0;
  int fVideoId = 0;
  Action fAction;
};
