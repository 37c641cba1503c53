#pragma once

// The ground every test of downloads and subscriptions stands on: per test a
// fresh library, settings (with a download location and an authorisation
// token), media folder and network, wired into a ZDownloadEnvironment whose
// free disk space the test sets; and the reference service or a scripted
// server as the service host.

#include "CannedServer.h"
#include "Dialogs.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadEnvironment.h"
#include "ZFolderManager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonObject>
#include <QNetworkAccessManager>

#include <memory>

class DownloadFixture : public ::testing::Test {
 protected:
  static inline const QString kToken = QStringLiteral("test+token/1");

  void SetUp() override {
    Dialogs::setShared(std::make_unique<ScriptedDialogs>());
    fRoot = TestEnvironment::makeTempDir(QStringLiteral("downloads"));
    fDefaults = std::make_unique<UserDefaults>(fRoot + "/settings.ini");
    fDefaults->setString(fRoot + "/location", QStringLiteral("DownloadLocation"));
    fDefaults->setString(kToken, QStringLiteral("ZaroClientAuthorization"));
    fDefaults->setInteger(1, QStringLiteral("DownloadMaxSimultaneousCount"));
    fDefaults->setInteger(10, QStringLiteral("DownloadAllowedDiskUsage"));
    fFolders = std::make_unique<ZFolderManager>(*fDefaults);

    fDatabase = std::make_unique<VideoDatabase>(VideoDatabase::pathsUnder(fRoot), fFolders.get());
    ASSERT_TRUE(fDatabase->createDatabase());

    fNetwork = std::make_unique<QNetworkAccessManager>();
    fEnvironment.network = fNetwork.get();
    fEnvironment.folders = fFolders.get();
    fEnvironment.defaults = fDefaults.get();
    fEnvironment.database = fDatabase.get();
    fEnvironment.freeBytes = [this](const QString &) { return fFreeBytes; };
  }

  // Fixtures that own downloads or managers drop them first, then call this.
  void TearDown() override {
    fCanned.reset();  // its scripts may refer to the test's locals
    flushDeletes();
    fNetwork.reset();
    flushDeletes();
    fService.reset();
    qunsetenv("ZARO_SERVICE_URL");
  }

  static void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // zaro-service with the arguments (a catalog, a request log, faults); the
  // service hosts point at it.
  void startService(const QStringList &arguments) {
    fService = std::make_unique<ServiceProcess>(arguments);
    ASSERT_TRUE(fService->running()) << fService->firstLine().toStdString();
    fService->becomeServiceHost();
  }

  // A scripted server as the service host instead.
  void startCannedServer(CannedServer::Responder responder) {
    fCanned = std::make_unique<CannedServer>(std::move(responder));
    qputenv("ZARO_SERVICE_URL", fCanned->base().toUtf8());
  }

  // Adds a fault rule (JSON) to the running service.
  void addFault(const std::string &json) { ASSERT_TRUE(fService->addFault(json)) << json; }

  // The requests the service logged whose path starts with the prefix.
  QList<QJsonObject> requests(const QString &pathPrefix) const {
    return fService->requests(pathPrefix);
  }

  QString mediaFolder() const { return fFolders->userMediaFilesFolderPath(); }
  QString imagesFolder() const { return fFolders->userMediaFileImagesFolderPath(); }

  QString fRoot;
  std::unique_ptr<UserDefaults> fDefaults;
  std::unique_ptr<ZFolderManager> fFolders;
  std::unique_ptr<VideoDatabase> fDatabase;
  std::unique_ptr<QNetworkAccessManager> fNetwork;
  ZDownloadEnvironment fEnvironment;
  quint64 fFreeBytes = quint64(1) << 50;
  std::unique_ptr<ServiceProcess> fService;
  std::unique_ptr<CannedServer> fCanned;
};
