#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// What the skinned controls tell screen readers and AT-SPI automation: a
// role, a name and the action a user can take.
//
//   ZButtonView, ZButtonImageView  push button, "press"; a button its owner
//                                  marks selected reads as checked
//   ZPopupButtonImageView          push button with a pop-up menu ("press"
//                                  shows it); its value is the chosen item
//   ZSearchButtonView              text field, "press" starts editing
//   ZRateButtonView                slider from 0 to 5 stars
//   a window made of a plain widget, or of a widget with the property
//   FrameProperty set true                frame (as main windows and dialogs are)
//
// The name is the control's accessible name when it has one, else its tool
// tip. Installed once, before the first skinned control is made; calling it
// again does nothing.
// For the accessibility factories installed with QAccessible::installFactory:
// Qt asks them about every object, the web engine's own among them, which are
// built without the run-time type information that the undefined-behaviour
// sanitizer's dynamic type check reads, so that one check is left out there
// (a factory only asks Qt's meta-object system what an object is).
#if defined(__GNUC__)
#define ZARO_ACCESSIBLE_FACTORY __attribute__((no_sanitize("vptr")))
#else
#define ZARO_ACCESSIBLE_FACTORY
#endif

namespace ZAccessibility {

inline constexpr const char *FrameProperty = "zaroAccessibleFrame";

void install();

}  // namespace ZAccessibility

// Tells assistive technology of something that changes often (a download's
// progress, a playing movie's position) at most once per interval: the
// first change at once, the changes that follow within the interval
// together once it is up. `tell` tells what there is to tell then (the
// latest state). Owned by the view that changes; gone with it.
class ZAccessibleAnnouncer {
 public:
  ZAccessibleAnnouncer(int intervalMs, std::function<void()> tell);

  // Something changed: told now, or when the interval since the last
  // telling is up.
  void changed();
  // What waited to be told was told otherwise (or is no more).
  void cancel() { fTimer.stop(); }
  bool waiting() const { return fTimer.isActive(); }
  int intervalMs() const { return fIntervalMs; }

 private:
  void tell();

  int fIntervalMs;
  std::function<void()> fTell;
  QElapsedTimer fLastTold;
  QTimer fTimer;
};
