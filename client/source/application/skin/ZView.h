#pragma once

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

// The base of the skinned controls: a widget made from one control
// description of the skin, which says where it sits in its parent. A control
// with a place keeps it when the parent is resized.
class QKeyEvent;

// Whether the key presses a focused button (Space, Return, Enter). A
// button's keyPressEvent clicks once for it, not for the key's repeats.
bool isButtonPressKey(const QKeyEvent *event);

class ZView : public QWidget {
  Q_OBJECT
 public:
  explicit ZView(QWidget *parent = nullptr);

  void setInfo(const QVariantMap &info) { fInfo = info; }
  QVariantMap info() const { return fInfo; }
  void setTag(int tag) { fTag = tag; }
  int tag() const { return fTag; }
  // The description's "Zone", 0 without one.
  int skinZone() const { return fInfo.value(QStringLiteral("Zone")).toInt(); }
  void setRightOffset(double offset) { fRightOffset = offset; }
  double rightOffset() const { return fRightOffset; }

  // The placement rule for this control (skin coordinates, y upwards).
  QRectF layoutRectForImageSize(const QSizeF &size, const QRectF &bounds) const;
  // The size the control is drawn at.
  virtual QSizeF imageDisplaySize() const { return QSizeF(); }

  // Puts the control where the rule says in its parent's current bounds.
  void placeInParent();

 protected:
  // Whether a resize of the parent places the control again.
  virtual bool followsParent() const { return false; }
  // Sets the frame from the rule for bounds of the given parent size and
  // starts following the parent's resizes.
  void placeFor(const QSizeF &parentSize);
  bool eventFilter(QObject *watched, QEvent *event) override;

  int fTag = 0;
  QVariantMap fInfo;
  double fRightOffset = 0;
};

// An image drawn whole, scaled into the control's bounds. Needs "Image".
class ZImageView : public ZView {
  Q_OBJECT
 public:
  // initForBounds:info: nothing when the description has no image.
  static ZImageView *create(const QSizeF &parentSize, const QVariantMap &info,
                            QWidget *parent = nullptr);
  explicit ZImageView(QWidget *parent = nullptr) : ZView(parent) {}

  void setImage(const QImage &image);
  QImage image() const { return fImage; }
  QSizeF imageDisplaySize() const override { return fImage.deviceIndependentSize(); }

 protected:
  bool followsParent() const override { return !fInfo.isEmpty(); }
  void paintEvent(QPaintEvent *event) override;

  QImage fImage;
};

// A push button whose image holds its state pictures side by side: 0
// normal, 1 mouse over, 2 mouse down, 3 selected. Needs "Image", "XPos",
// "YPos", "Zone" and "states".
class ZButtonView : public ZView {
  Q_OBJECT
 public:
  enum State { Normal = 0, MouseOver = 1, MouseDown = 2, Selected = 3 };
  using Action = std::function<void(ZButtonView *)>;

  static ZButtonView *create(const QSizeF &parentSize, const QVariantMap &info,
                             QWidget *parent = nullptr);
  explicit ZButtonView(QWidget *parent = nullptr);

  // The image and its number of parts; no image or fewer than one part
  // clears both.
  void setImage(const QImage &image, int partCount);
  // Shows the state at once.
  void setState(int state);
  int state() const { return fCurrentState; }
  // The part of the image a state shows.
  int displayPartForState(int state) const;
  int partCount() const { return fStates; }
  QImage image() const { return fImage; }

  // The action runs when the button is released inside it; the hold-down
  // action when it has been held for a second, and then the hold-down-release
  // action instead of the action at release.
  void setAction(Action action) { fAction = std::move(action); }
  void setHoldDownAction(Action action) { fHoldDownAction = std::move(action); }
  void setHoldDownReleaseAction(Action action) { fHoldDownReleaseAction = std::move(action); }
  void setTracksMouseOver(bool tracks);
  bool tracksMouseOver() const { return fTracksMouseOver; }
  // How long a press lasts before it counts as a hold (1 s; tests shorten it).
  void setHoldDownDelay(int milliseconds) { fMouseDownTimer.setInterval(milliseconds); }

  // What a click inside does, for the keyboard (Space, Return) and for
  // assistive technology: shows the pressed picture for a moment and runs the
  // action. Nothing for a selected or disabled button.
  void performClick();

  QSizeF imageDisplaySize() const override;

 protected:
  bool followsParent() const override { return skinZone() != 0; }
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void enterEvent(QEnterEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  void holdTimerFired();
  // Shows a state without changing the one to come back to.
  void showState(int state);

  QImage fImage;
  int fStates = 0;
  int fCurrentState = Normal;
  int fSavedCurrentState = -1;  // the state to come back to, -1 none
  double fPartWidth = 0;
  std::array<int, 4> fDisplayState{};
  Action fAction, fHoldDownAction, fHoldDownReleaseAction;
  bool fTracksMouseOver = false;
  QTimer fMouseDownTimer;
  bool fProcessingMouseDown = false;
  bool fMouseInView = false;
  bool fMouseHovering = false;
  bool fRepeatingTargetAction = false;  // the press became a hold
};

// An image drawn over what lies below, scaled into the bounds.
class ZBackgroundImageView : public QWidget {
  Q_OBJECT
 public:
  explicit ZBackgroundImageView(QWidget *parent = nullptr) : QWidget(parent) {}
  void setImage(const QImage &image);
  QImage image() const { return fImage; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QImage fImage;
};

// A plain fill: the start colour, or with an end colour a gradient from the
// start colour to the end colour, upwards (vertical) or to the right.
class ZOpaqueView : public QWidget {
  Q_OBJECT
 public:
  explicit ZOpaqueView(QWidget *parent = nullptr);
  // An invalid colour is ignored.
  void setStartColor(const QColor &color);
  // An invalid colour returns to the plain fill.
  void setEndColor(const QColor &color);
  void setShadingVertical(bool vertical);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QColor fStartColor = Qt::white;
  QColor fEndColor;
  bool fVerticalShading = true;
};
