#pragma once

#include <QWidget>

class QToolButton;

// A stepper beside a number field: two small arrows that raise and lower a
// value within its range. Each step (also at the ends of the range) reports
// the value, which the field then takes. The arrows take no keyboard focus:
// Up and Down in the field step instead (stepWithKeysOf).
class SettingsStepper : public QWidget {
  Q_OBJECT
 public:
  SettingsStepper(double minimum, double maximum, double increment, QWidget *parent = nullptr);

  // Sets the value, kept within the range; reports nothing.
  void setValue(double value);
  double value() const { return fValue; }
  // The accessible names of the arrows ("More ...", "Less ...").
  void setArrowNames(const QString &more, const QString &less);
  // Up and Down pressed in the field step the value.
  void stepWithKeysOf(QWidget *field);
  // Moves the value by steps increments, within the range, and reports it.
  void stepBy(int steps);

  QToolButton *moreArrow() const { return fMore; }
  QToolButton *lessArrow() const { return fLess; }

 signals:
  void stepped(double value);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  double fMinimum;
  double fMaximum;
  double fIncrement;
  double fValue;
  QToolButton *fMore;
  QToolButton *fLess;
  QWidget *fField = nullptr;
};
