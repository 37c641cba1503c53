#include "ZFakeMediaBackEnd.h"

bool ZFakeMediaBackEnd::open(const QString &path, QString *error) {
  close();
  fOpened.append(path);
  if (fErrors.contains(path)) {
    if (error) *error = fErrors.value(path);
    return false;
  }
  fPath = path;
  fOpen = true;
  fDuration = fDurations.value(path, ZTime{6000, 600});
  fTime = ZTime{0, fDuration.timeScale};
  return true;
}

void ZFakeMediaBackEnd::close() {
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
