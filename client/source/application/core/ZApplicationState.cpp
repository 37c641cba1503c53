#include "ZApplicationState.h"

ZApplicationState &ZApplicationState::sharedStateManager() {
  static ZApplicationState *state = new ZApplicationState;
  return *state;
}

bool ZApplicationState::moviePlaying() const {
  switch (fState) {
    case 2:
    case 5:
    case 8:
    case 11:
    case 14:
      return true;
    default:
      return false;
  }
}
