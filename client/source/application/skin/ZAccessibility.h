#pragma once

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
