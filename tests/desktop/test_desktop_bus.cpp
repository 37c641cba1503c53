// The player on the desktop's session bus, on a private bus with stand-ins
// for the desktop's services: the media controls (MPRIS) over the movie
// controller on an engine that decodes nothing, the notification of a
// finished download with its Play action, and the screensaver held off while
// a movie plays; and what happens when those services are missing.
#include "LibraryFixture.h"
#include "LogCapture.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "StandIns.h"
#include "ZDownloadNotifier.h"
#include "ZFakeMediaBackEnd.h"
#include "ZIdleInhibitor.h"
#include "ZMprisService.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackControls.h"
#include "ZPlaylistDataSource.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QUrl>

namespace {

const QString MprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

class TestViewer : public ZMovieViewer {
 public:
  void setMovie(ZMediaBackEnd *) override {}
};

// A{sv} and other containers arrive as D-Bus arguments; plain values as they are.
QVariant plain(const QVariant &value) {
  if (value.canConvert<QDBusArgument>()) {
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() == QLatin1String("a{sv}")) return qdbus_cast<QVariantMap>(argument);
    if (argument.currentSignature() == QLatin1String("as")) return qdbus_cast<QStringList>(argument);
  }
  return value;
}

// PropertiesChanged of the player's object, as a client sees them.
class PropertiesRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QVariantMap> changes;
 public slots:
  void changed(const QString &, const QVariantMap &properties, const QStringList &) {
    QVariantMap values;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
      values.insert(it.key(), plain(it.value()));
    changes.append(values);
  }
  void seeked(qlonglong position) { seeks.append(position); }

 public:
  QList<qlonglong> seeks;
};

}  // namespace

class DesktopBusTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_TRUE(fBus.running()) << "dbus-daemon did not start";
    fPlayerSide = fBus.connect();
    fDesk = fBus.connect();
    ASSERT_TRUE(fPlayerSide.isConnected());
    ASSERT_TRUE(fDesk.isConnected());
    for (const char *name : {"a", "b", "c"}) fVideo[name] = addVideo(name, name);
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fList = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
    fController = std::make_unique<ZOQTMovieController>(fMovie, *fList, db(), *fDefaults,
                                                        [](const QString &) { return true; });
    fController->setMovieView(&fViewer);
  }
  void TearDown() override {
    fController.reset();
    fList.reset();
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  void playList(const QString &names) {
    QList<int> ids;
    for (const QChar c : names) ids.append(fVideo.value(QString(c)));
    fList->setVideos(ids);
    fController->play();
  }

  QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                    const QString &method, const QVariantList &arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return fDesk.call(message, QDBus::BlockWithGui, 5000);
  }
  QDBusMessage player(const QString &method, const QVariantList &arguments = {}) {
    return call(fMpris->serviceName(), MprisPath, PlayerInterface, method, arguments);
  }
  QVariant property(const QString &interface, const QString &name) {
    const QDBusMessage reply = call(fMpris->serviceName(), MprisPath,
                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage) return QVariant();
    return plain(reply.arguments().value(0).value<QDBusVariant>().variant());
  }
  QVariant playerProperty(const QString &name) { return property(PlayerInterface, name); }
  QVariantMap metadata() { return playerProperty(QStringLiteral("Metadata")).toMap(); }

  void startMpris() {
    fMpris = std::make_unique<ZMprisService>(
        *fController, *fList, db(), *fDefaults,
        ZMprisService::Hooks{[this] { ++fRaised; }, [this] { ++fQuits; }});
    ASSERT_TRUE(fMpris->registerOn(fPlayerSide));
    fDesk.connect(fMpris->serviceName(), MprisPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                  QStringLiteral("PropertiesChanged"), &fChanges,
                  SLOT(changed(QString, QVariantMap, QStringList)));
    fDesk.connect(fMpris->serviceName(), MprisPath, PlayerInterface, QStringLiteral("Seeked"),
                  &fChanges, SLOT(seeked(qlonglong)));
  }
  // The usage log's events, and emptied.
  QStringList takeLog() {
    const QStringList rows =
        sql("SELECT EVENT FROM LOG_RECORD ORDER BY rowid;").split('\n', Qt::SkipEmptyParts);
    sql("DELETE FROM LOG_RECORD;");
    return rows;
  }

  PrivateBus fBus;
  QDBusConnection fPlayerSide{QString()};
  QDBusConnection fDesk{QString()};
  QHash<QString, int> fVideo;
  ZFakeMediaBackEnd fMovie;
  TestViewer fViewer;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fList;
  std::unique_ptr<ZOQTMovieController> fController;
  std::unique_ptr<ZMprisService> fMpris;
  PropertiesRecorder fChanges;
  int fRaised = 0;
  int fQuits = 0;
};

TEST_F(DesktopBusTest, TheMediaControlsShowWhoPlaysAndWhat) {
  startMpris();
  EXPECT_EQ(fMpris->serviceName(), "org.mpris.MediaPlayer2.zaroplayer");
  const QString root = QStringLiteral("org.mpris.MediaPlayer2");
  EXPECT_EQ(property(root, "Identity"), "Zaro Player");
  EXPECT_EQ(property(root, "DesktopEntry"), "tv.zaro.ZaroPlayer");
  EXPECT_EQ(property(root, "CanRaise"), true);
  EXPECT_EQ(property(root, "CanQuit"), true);
  EXPECT_EQ(property(root, "HasTrackList"), false);

  // Nothing to play.
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Stopped");
  EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
            "/org/mpris/MediaPlayer2/TrackList/NoTrack");
  EXPECT_EQ(playerProperty("CanPlay"), false);
  EXPECT_EQ(playerProperty("CanGoNext"), false);
  EXPECT_EQ(playerProperty("CanControl"), true);

  // A video with a thumbnail, played at 40% volume.
  // A file name as the service names thumbnails: spaces and a literal "%".
  const QString thumbnail = mediaFolder() + "/Images/art 100%20.jpg";
  const QString thumbnailUrl = QString("file://" + QUrl::toPercentEncoding(mediaFolder(), "/") +
                                        "/Images/art%20100%2520.jpg");
  writeFile(thumbnail);
  VideoDatabase::AddVideoParams params;
  params.title = "art";
  params.path = mediaFolder() + "/art.mp4";
  writeFile(params.path);
  params.imagePath = thumbnail;
  params.permaLink = "art";
  fVideo["b"] = db().addVideo(params);
  fDefaults->setDouble(0.4, "ZOQTMovieVolume");
  fMovie.setDuration(params.path, ZTime{4500, 600});  // 7.5 s
  playList("ab");
  fController->skipForwardOne();
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Playing");
  const QVariantMap track = metadata();
  EXPECT_EQ(track.value("mpris:trackid").value<QDBusObjectPath>().path(),
            QStringLiteral("/tv/zaro/ZaroPlayer/video/%1").arg(fVideo["b"]));
  EXPECT_EQ(track.value("xesam:title"), "art");
  EXPECT_EQ(track.value("mpris:length").toLongLong(), 7500000);
  EXPECT_EQ(track.value("mpris:artUrl").toString(), thumbnailUrl);
  EXPECT_EQ(track.value("xesam:url"),
            QUrl::fromLocalFile(db().pathForVideoId(fVideo["b"])).toString(QUrl::FullyEncoded));
  EXPECT_NEAR(playerProperty("Volume").toDouble(), 0.4, 1e-6);
  fMovie.setCurrentTime(ZTime{1200, 600});
  EXPECT_EQ(playerProperty("Position").toLongLong(), 2000000);
  for (const char *can : {"CanPlay", "CanPause", "CanSeek", "CanGoNext", "CanGoPrevious"})
    EXPECT_EQ(playerProperty(can), true) << can;

  // A video without a thumbnail has no art; the paused movie says so.
  fController->pause();
  fController->skipForwardOne();
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Paused");
  EXPECT_FALSE(metadata().contains("mpris:artUrl"));
  EXPECT_EQ(metadata().value("xesam:title"), "a");
}

TEST_F(DesktopBusTest, TheMediaControlsDriveTheMovieControllerThroughItsCommands) {
  startMpris();
  playList("abc");
  takeLog();
  const int a = fVideo["a"], b = fVideo["b"];

  player("PlayPause");
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Paused");
  player("Pause");  // already paused: nothing more
  player("Play");
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Playing");
  player("Play");  // already playing: nothing more
  player("Pause");
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/pause", "/ui/player/resume", "/ui/player/pause"}));

  // Skips are the user's: logged, and a paused list stays paused.
  player("Next");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 1);
  player("Previous");
  player("Previous");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 2);  // round to the last
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/skipforward", "/ui/player/skipback",
                                    "/ui/player/skipback"}));
  player("Next");
  EXPECT_EQ(fList->idOfCurrentlyPlayingVideo(), a);

  // Seeking: by an offset, to a position of the current track only, and
  // past the end to the next video.
  player("Seek", {qlonglong(3000000)});
  EXPECT_EQ(playerProperty("Position").toLongLong(), 3000000);
  player("Seek", {qlonglong(-9000000)});
  EXPECT_EQ(playerProperty("Position").toLongLong(), 0);
  const QDBusObjectPath trackA(QStringLiteral("/tv/zaro/ZaroPlayer/video/%1").arg(a));
  player("SetPosition", {QVariant::fromValue(trackA), qlonglong(5500000)});
  EXPECT_EQ(playerProperty("Position").toLongLong(), 5500000);
  const QDBusObjectPath trackB(QStringLiteral("/tv/zaro/ZaroPlayer/video/%1").arg(b));
  player("SetPosition", {QVariant::fromValue(trackB), qlonglong(1000000)});  // not playing
  player("SetPosition", {QVariant::fromValue(trackA), qlonglong(60000000)});  // past the end
  player("SetPosition", {QVariant::fromValue(trackA), qlonglong(-1)});
  EXPECT_EQ(playerProperty("Position").toLongLong(), 5500000);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return fChanges.seeks.size() == 3; }, 5000));
  EXPECT_EQ(fChanges.seeks, QList<qlonglong>({3000000, 0, 5500000}));
  player("Seek", {qlonglong(30000000)});
  EXPECT_EQ(fList->idOfCurrentlyPlayingVideo(), b);

  // The volume: as the slider sets it, and kept within 0 to 1.
  const struct {
    double asked, volume;
  } volumes[] = {{0.25, 0.25}, {7.0, 1.0}, {-2.0, 0.0}, {0.5, 0.5}};
  for (const auto &v : volumes) {
    QDBusMessage set = QDBusMessage::createMethodCall(
        fMpris->serviceName(), MprisPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Set"));
    set << PlayerInterface << QStringLiteral("Volume") << QVariant::fromValue(QDBusVariant(v.asked));
    fDesk.call(set, QDBus::BlockWithGui, 5000);
    EXPECT_FLOAT_EQ(fMovie.volume(), float(v.volume)) << v.asked;
    EXPECT_NEAR(fDefaults->doubleForKey("ZOQTMovieVolume"), v.volume, 1e-6);
  }

  // Stop: the window is asked to leave playback, the movie stops and its
  // position is kept for a resume.
  NotificationRecorder requests({"ActionStopPlayingVideoList", "MovieStopped"});
  player("Play");
  player("Stop");
  EXPECT_EQ(playerProperty("PlaybackStatus"), "Stopped");
  EXPECT_EQ(requests.names(), QStringList({"ActionStopPlayingVideoList", "MovieStopped"}));
  // The skips by Next and by the seek past the end, then Play and Stop.
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/skipforward", "/ui/player/skipforward",
                                    "/ui/player/resume", "/ui/player/stop"}));

  // Nothing loaded: Play asks the window to start the now-playing list.
  NotificationRecorder starts({"ActionStartPlayingNewVideoList"});
  player("Play");
  EXPECT_EQ(starts.names(), QStringList({"ActionStartPlayingNewVideoList"}));
  // An address from outside is not opened.
  player("OpenUri", {QStringLiteral("file:///etc/passwd")});
  EXPECT_EQ(fMovie.openPath(), "");

  call(fMpris->serviceName(), MprisPath, "org.mpris.MediaPlayer2", "Raise");
  call(fMpris->serviceName(), MprisPath, "org.mpris.MediaPlayer2", "Quit");
  EXPECT_EQ(fRaised, 1);
  EXPECT_EQ(fQuits, 1);
}

TEST_F(DesktopBusTest, ChangesArePublishedOnceWithWhatChanged) {
  startMpris();
  playList("ab");
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fChanges.changes.isEmpty(); }, 5000));
  TestEnvironment::waitFor([] { return false; }, 100);
  ASSERT_EQ(fChanges.changes.size(), 1);
  QVariantMap first = fChanges.changes.takeFirst();
  EXPECT_EQ(first.value("PlaybackStatus"), "Playing");
  EXPECT_EQ(first.value("Metadata").toMap().value("xesam:title"), "a");
  EXPECT_EQ(first.value("CanPause"), true);

  fController->pause();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fChanges.changes.isEmpty(); }, 5000));
  EXPECT_EQ(fChanges.changes.takeFirst(), QVariantMap({{"PlaybackStatus", "Paused"}}));

  // A skip while paused stops one movie and loads the next: one message.
  fController->userSkipForwardOne();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fChanges.changes.isEmpty(); }, 5000));
  TestEnvironment::waitFor([] { return false; }, 100);
  ASSERT_EQ(fChanges.changes.size(), 1);
  EXPECT_EQ(fChanges.changes.first().keys(), QStringList({"Metadata"}));
  EXPECT_EQ(fChanges.changes.first().value("Metadata").toMap().value("xesam:title"), "b");
}

TEST_F(DesktopBusTest, ASecondPlayerOnTheBusTakesAnInstanceName) {
  startMpris();
  ZMprisService second(*fController, *fList, db(), *fDefaults, {});
  ASSERT_TRUE(second.registerOn(fBus.connect()));
  EXPECT_EQ(second.serviceName(), QStringLiteral("org.mpris.MediaPlayer2.zaroplayer.instance%1")
                                      .arg(QCoreApplication::applicationPid()));
}

TEST_F(DesktopBusTest, AFinishedDownloadIsAnnouncedWithItsTitleThumbnailAndPlay) {
  const QString thumbnail = mediaFolder() + "/Images/t 1%3A.jpg";
  writeFile(thumbnail);
  VideoDatabase::AddVideoParams params;
  params.title = "Fish & <b>Chips</b>\n\tat sea";
  params.path = mediaFolder() + "/t.mp4";
  writeFile(params.path);
  params.imagePath = thumbnail;
  params.permaLink = "t";
  const int video = db().addVideo(params);
  const int plain = fVideo["a"];

  const struct {
    const char *name;
    QStringList capabilities;
    QString body;
  } servers[] = {
      {"plain text", {"actions", "body"}, "Fish & <b>Chips</b> at sea"},
      {"markup", {"actions", "body", "body-markup"}, "Fish &amp; &lt;b&gt;Chips&lt;/b&gt; at sea"},
  };
  for (const auto &s : servers) {
    SCOPED_TRACE(s.name);
    NotificationServer server(fDesk, s.capabilities);
    QList<int> played;
    int shownWindow = 0;
    ZDownloadNotifier notifier(db(),
                               {[&](int id) { played.append(id); }, [&] { ++shownWindow; }},
                               fPlayerSide);
    QList<uint> ids;
    QObject::connect(&notifier, &ZDownloadNotifier::notificationShown,
                     [&](uint id, int) { ids.append(id); });
    notifier.videoDownloaded(video);
    notifier.videoDownloaded(plain);
    notifier.videoDownloaded(987654);  // not in the library: nothing
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ids.size() == 2; }, 5000));
    ASSERT_EQ(server.shown.size(), 2);
    const NotificationServer::Shown &shown = server.shown.first();
    EXPECT_EQ(shown.appName, "Zaro Player");
    EXPECT_EQ(shown.appIcon, "tv.zaro.ZaroPlayer");
    EXPECT_EQ(shown.summary, "Download finished");
    EXPECT_EQ(shown.body, s.body);
    EXPECT_EQ(shown.actions, QStringList({"default", "Show Zaro Player", "play", "Play"}));
    EXPECT_EQ(shown.hints.value("image-path").toString(),
              QString("file://" + QUrl::toPercentEncoding(mediaFolder(), "/") +
                      "/Images/t%201%253A.jpg"));
    EXPECT_EQ(shown.hints.value("desktop-entry"), "tv.zaro.ZaroPlayer");
    EXPECT_EQ(shown.hints.value("category"), "transfer.complete");
    EXPECT_EQ(shown.hints.value("urgency").toInt(), 1);
    EXPECT_EQ(server.shown.at(1).body, "a");
    EXPECT_FALSE(server.shown.at(1).hints.contains("image-path"));

    // "Play" plays that video; a click on the notification shows the window;
    // another program's notification and an unknown action do nothing.
    server.invoke(ids.at(0), "play");
    server.invoke(ids.at(1), "default");
    server.invoke(ids.at(1), "reboot");
    server.invoke(7, "play");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return shownWindow == 1; }, 5000));
    TestEnvironment::waitFor([] { return false; }, 100);
    EXPECT_EQ(played, QList<int>({video}));
    EXPECT_EQ(shownWindow, 1);
  }
}

TEST_F(DesktopBusTest, WithoutANotificationServerNothingIsShownAndThatIsSaidOnce) {
  LogCapture log;
  ZDownloadNotifier notifier(db(), {}, fPlayerSide);
  int shown = 0;
  QObject::connect(&notifier, &ZDownloadNotifier::notificationShown, [&] { ++shown; });
  notifier.videoDownloaded(fVideo["a"]);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !log.lines("zaro.desktop").isEmpty(); }, 5000));
  notifier.videoDownloaded(fVideo["b"]);
  TestEnvironment::waitFor([] { return false; }, 300);
  ASSERT_EQ(log.lines("zaro.desktop").size(), 1);
  EXPECT_TRUE(log.lines("zaro.desktop").first().message.contains("no notification server"));
  EXPECT_EQ(shown, 0);

  // A server that starts later is used.
  NotificationServer server(fDesk);
  notifier.videoDownloaded(fVideo["c"]);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return shown == 1; }, 5000));
  EXPECT_EQ(server.shown.first().body, "c");
}

TEST_F(DesktopBusTest, PlayingHoldsTheScreensaverOffUntilItPausesOrStops) {
  ScreenSaver screenSaver(fDesk);
  ZIdleInhibitor inhibitor(*fController, fPlayerSide);
  playList("ab");
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return inhibitor.inhibiting(); }, 5000));
  EXPECT_EQ(screenSaver.calls, QStringList({"Inhibit Zaro Player Playing a video -> 7"}));
  fController->pause();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return screenSaver.held() == 0; }, 5000));
  fController->pauseOrPlay();
  fController->userSkipForwardOne();  // the next video plays on: still held once
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return screenSaver.held() == 1; }, 5000));
  fController->stop();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return screenSaver.held() == 0; }, 5000));
  EXPECT_EQ(screenSaver.calls,
            QStringList({"Inhibit Zaro Player Playing a video -> 7", "UnInhibit 7",
                         "Inhibit Zaro Player Playing a video -> 14", "UnInhibit 14"}));

  // Stopped before the screensaver answered: the answer is given back at once.
  screenSaver.calls.clear();
  fController->play();
  fController->stop();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return screenSaver.calls.size() == 2; }, 5000));
  EXPECT_EQ(screenSaver.held(), 0);
  EXPECT_FALSE(inhibitor.inhibiting());
}

TEST_F(DesktopBusTest, WithoutAScreensaverServiceThePortalIsAskedAndWithoutEitherPlaybackGoesOn) {
  {
    SCOPED_TRACE("the portal");
    Portal portal(fDesk);
    ZIdleInhibitor inhibitor(*fController, fPlayerSide);
    playList("a");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return inhibitor.inhibiting(); }, 5000));
    fController->pause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return portal.calls.size() == 2; }, 5000));
    EXPECT_EQ(portal.calls,
              QStringList({"Inhibit '' 12 Playing a video -> "
                           "/org/freedesktop/portal/desktop/request/1_1/t0",
                           "Close /org/freedesktop/portal/desktop/request/1_1/t0"}));
    fController->stop();
  }
  {
    SCOPED_TRACE("neither");
    LogCapture log;
    ZIdleInhibitor inhibitor(*fController, fPlayerSide);
    fController->play();
    ASSERT_TRUE(
        TestEnvironment::waitFor([&] { return !log.lines("zaro.desktop").isEmpty(); }, 5000));
    fController->pause();
    fController->pauseOrPlay();
    TestEnvironment::waitFor([] { return false; }, 300);
    EXPECT_EQ(log.lines("zaro.desktop").size(), 1);
    EXPECT_TRUE(log.lines("zaro.desktop").first().message.contains("no screensaver service"));
    EXPECT_TRUE(fController->isPlaying());
    EXPECT_FALSE(inhibitor.inhibiting());
  }
}

#include "test_desktop_bus.moc"
