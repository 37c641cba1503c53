#include "ZFakeMediaBackEnd.h"

void ZFakeMediaBackEnd::open(const QString &path) {
  close();
  fOpened.append(path);
  fOpening = true;
  fOpeningPath = path;
  if (!fAnswersLater) answerOpen();
}

void ZFakeMediaBackEnd::answerOpen() {
  if (!fOpening) return;
  fOpening = false;
  const QString path = fOpeningPath;
  if (fErrors.contains(path)) {
    emit openFailed(fErrors.value(path));
    return;
  }
  fPath = path;
  fOpen = true;
  fDuration = fDurations.value(path, ZTime{6000, 600});
  fTime = ZTime{0, fDuration.timeScale};
  emit opened();
}

void ZFakeMediaBackEnd::close() {
  fOpening = false;
  if (!fOpen) return;
  fOpen = false;
  changeRate(0.0);
}

void ZFakeMediaBackEnd::setRate(double rate) {
  if (fOpen) changeRate(rate);
}

void ZFakeMediaBackEnd::changeRate(double rate) {
  if (rate == fRate) return;
  fRate = rate;
  emit rateChanged(rate);
}

void ZFakeMediaBackEnd::setCurrentTime(const ZTime &time) {
  if (fOpen && time.isValid()) fTime = time;
}

void ZFakeMediaBackEnd::finish() {
  if (!fOpen) return;
  fTime = fDuration;
  changeRate(0.0);
  emit ended();
}
