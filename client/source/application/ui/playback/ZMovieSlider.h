#pragma once

#include "ZAccessibility.h"
#include "ZPlaybackControls.h"
#include "ZSkin.h"

#include <QAbstractSlider>
#include <QImage>
#include <QRectF>
#include <QVariantMap>

#include <functional>
#include <optional>

class QPainter;

// How a skinned slider is drawn: the bar from "BarOnImage" up to the knob
// and "BarOffImage" after it, each at its own height from the top, and the
// "KnobImage" at "KnobYPos" below the top. The movie and volume sliders
// draw alike.
class ZSliderCell {
 public:
  // The cell of a slider description: nothing unless it has the five images
  // ("LeftBarImage", "RightBarImage", "BarOnImage", "BarOffImage",
  // "KnobImage") and "KnobYPos".
  static std::optional<ZSliderCell> fromInfo(const QVariantMap &info);

  // How far the value is along the range, 0 to 1; 0 when the maximum is not
  // above the minimum.
  static double fraction(double value, double minimum, double maximum);
  // Where the knob goes in the bounds (widget space) at a fraction.
  QRectF knobRect(const QRectF &bounds, double fraction) const;
  // The length of the "on" part of the bar.
  static double onLength(const QRectF &bounds, double fraction);
  void draw(QPainter &painter, const QRectF &bounds, double fraction) const;

  QImage leftBarImage, rightBarImage, barOnImage, barOffImage, knobImage;
  double fKnobYPos = 0;
};

class ZMovieSliderCell : public ZSliderCell {};

// The volume slider's cell keeps the mute state beside the bar.
class ZVolumeSliderCell : public ZSliderCell {
 public:
  bool fCurrentMuteState = false;
};

// The progress slider of the playback bars, in seconds: from 0 to 0 until
// the movie controller gives the movie's length. The user drags the knob or
// clicks on the bar; the movie seeks when the knob is let go (a drag does
// not seek on the way), and the controller's ticks do not move a knob the
// user holds. The keyboard moves it by 5 seconds (Page Up/Down by 30 seconds).
//
// The controller's ticks (several a second) move the knob at once
// (sliderPosition, shownPositionChanged); the slider's value follows the knob
// at most once a second (AnnounceIntervalMs), and at once before the user
// moves it, so that assistive technology, which hears of every new value,
// is not flooded while a movie plays. What it reads (doubleValue) is always
// the knob's place.
class ZMovieSlider : public QAbstractSlider, public ZMovieScrubber {
  Q_OBJECT
 public:
  static constexpr int AnnounceIntervalMs = 1000;

  // initForBounds:info: in a parent of the given size, placed by the
  // container rule; nothing without the cell's images.
  static ZMovieSlider *create(const QSizeF &parentSize, const QVariantMap &info,
                              QWidget *parent = nullptr);
  // The height of a progress description's "LeftBarImage".
  static double height(const QVariantMap &info);
  using QWidget::height;

  ZMovieSlider(const ZMovieSliderCell &cell, QWidget *parent = nullptr);

  ZMovieSlider *slider() { return this; }
  const ZMovieSliderCell &cell() const { return fCell; }
  void setTextAttributes(const std::optional<ZTextAttributes> &attributes) {
    fTextAttributes = attributes;
  }
  std::optional<ZTextAttributes> textAttributes() const { return fTextAttributes; }

  // ZMovieScrubber
  void setMaxValue(double seconds) override;
  // Moves the knob (not while the user holds it).
  void setDoubleValue(double seconds) override;
  // Where the knob is, in seconds.
  double doubleValue() const override;
  double maxValue() const;
  void setAction(std::function<void(double seconds)> action) override {
    fAction = std::move(action);
  }

  // The value as the bars write it: minutes and seconds, each at least two
  // digits ("02:05"; "100:00" for 6000).
  static QString timeText(double seconds);
  // Where the knob is drawn now.
  QRectF knobRect() const;

 signals:
  // The controller's tick moved the knob (the value follows later).
  void shownPositionChanged();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;

 private:
  int positionAt(double x) const;
  void valueWasChanged();
  // The value becomes the knob's place now, without seeking.
  void takeKnobPosition();

  ZMovieSliderCell fCell;
  std::optional<ZTextAttributes> fTextAttributes;
  std::function<void(double)> fAction;
  bool fSettingValue = false;
  // The value follows the knob moved by the ticks (takeKnobPosition).
  ZAccessibleAnnouncer fFollower{AnnounceIntervalMs, [this] { takeKnobPosition(); }};
};

// The volume slider, 0.0 to 1.0, which also keeps the mute state. Each move
// is sent at once (the volume follows the knob). Arrow keys step by 0.1.
class ZVolumeSlider : public QAbstractSlider, public ZMovieVolumeControl {
  Q_OBJECT
 public:
  // initForBounds:info: filling the given rectangle; nothing without the
  // cell's images.
  static ZVolumeSlider *create(const QRect &frame, const QVariantMap &info,
                               QWidget *parent = nullptr);
  ZVolumeSlider(const ZVolumeSliderCell &cell, QWidget *parent = nullptr);

  // The volume moved by the user.
  void setAction(std::function<void(float)> action) { fAction = std::move(action); }
  void setMutingAction(std::function<void()> action) { fMutingAction = std::move(action); }
  const std::function<void()> &mutingAction() const { return fMutingAction; }

  // ZMovieVolumeControl
  float floatValue() const override;
  void setFloatValue(float value) override;
  bool muteState() const override { return fCell.fCurrentMuteState; }
  void setMuteState(bool muted) override;

  QRectF knobRect() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  int positionAt(double x) const;

  ZVolumeSliderCell fCell;
  std::function<void(float)> fAction;
  std::function<void()> fMutingAction;
  bool fSettingValue = false;
  bool fProcessingMouseDown = false;
  bool fMouseInView = false;
};
