#include "ZMprisAdaptors.h"

#include "ApplicationIdentity.h"
#include "ZMprisService.h"

ZMprisRootAdaptor::ZMprisRootAdaptor(ZMprisService *service)
    : QDBusAbstractAdaptor(service), fService(service) {}

QString ZMprisRootAdaptor::identity() const { return ApplicationIdentity::applicationName(); }
QString ZMprisRootAdaptor::desktopEntry() const { return ApplicationIdentity::bundleIdentifier(); }
void ZMprisRootAdaptor::Raise() { fService->raise(); }
void ZMprisRootAdaptor::Quit() { fService->quit(); }

ZMprisPlayerAdaptor::ZMprisPlayerAdaptor(ZMprisService *service)
    : QDBusAbstractAdaptor(service), fService(service) {
  connect(service, &ZMprisService::seeked, this, &ZMprisPlayerAdaptor::Seeked);
}

QString ZMprisPlayerAdaptor::playbackStatus() const { return fService->playbackStatus(); }
QVariantMap ZMprisPlayerAdaptor::metadata() const { return fService->metadata(); }
double ZMprisPlayerAdaptor::volume() const { return fService->volume(); }
void ZMprisPlayerAdaptor::setVolume(double volume) { fService->setVolume(volume); }
qlonglong ZMprisPlayerAdaptor::position() const { return fService->position(); }
bool ZMprisPlayerAdaptor::canGoNext() const { return fService->canGoNext(); }
bool ZMprisPlayerAdaptor::canGoPrevious() const { return fService->canGoPrevious(); }
bool ZMprisPlayerAdaptor::canPlay() const { return fService->canPlay(); }
bool ZMprisPlayerAdaptor::canPause() const { return fService->canPause(); }
bool ZMprisPlayerAdaptor::canSeek() const { return fService->canSeek(); }

void ZMprisPlayerAdaptor::Next() { fService->next(); }
void ZMprisPlayerAdaptor::Previous() { fService->previous(); }
void ZMprisPlayerAdaptor::Pause() { fService->pause(); }
void ZMprisPlayerAdaptor::PlayPause() { fService->playPause(); }
void ZMprisPlayerAdaptor::Stop() { fService->stop(); }
void ZMprisPlayerAdaptor::Play() { fService->play(); }
void ZMprisPlayerAdaptor::Seek(qlonglong offset) { fService->seek(offset); }
void ZMprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position) {
  fService->setPosition(trackId, position);
}
// Only library videos play; an address from outside is not opened.
void ZMprisPlayerAdaptor::OpenUri(const QString &) {}
