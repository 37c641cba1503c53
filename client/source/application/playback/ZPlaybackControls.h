#pragma once

#include <functional>

class ZMediaBackEnd;

// The controls the movie controller keeps in step with the movie, as it sees
// them. The views that are these controls (the movie view, the sliders of
// the playback bars) implement them; tests put stand-ins in their place.
// The controller does not own them: a control is handed out again (nullptr)
// before it goes away.

// The movie view: shows the movie of an engine, or none.
class ZMovieViewer {
 public:
  virtual ~ZMovieViewer() = default;
  virtual void setMovie(ZMediaBackEnd *movie) = 0;
};

// A progress slider of a playback bar, in seconds.
class ZMovieScrubber {
 public:
  virtual ~ZMovieScrubber() = default;
  virtual void setMaxValue(double seconds) = 0;
  virtual void setDoubleValue(double seconds) = 0;
  virtual double doubleValue() const = 0;
  // What the slider does when the user has moved it.
  virtual void setAction(std::function<void(double seconds)> action) = 0;
};

// The volume slider, 0.0 to 1.0, with its mute indicator.
class ZMovieVolumeControl {
 public:
  virtual ~ZMovieVolumeControl() = default;
  virtual float floatValue() const = 0;
  virtual void setFloatValue(float value) = 0;
  virtual bool muteState() const = 0;
  virtual void setMuteState(bool muted) = 0;
};
