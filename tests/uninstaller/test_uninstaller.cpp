// The uninstaller: its window's states, the media folder it names, a whole
// removal run (player asked to quit, login item removed, the script's output
// in the log), a refused elevation that changes nothing, and the removal
// script itself on a fake installation.
#include "LoginItems.h"
#include "SingleInstance.h"
#include "TestEnvironment.h"
#include "UninstallerController.h"
#include "UserDefaults.h"
#include "ZFolderManager.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtGlobal>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &data = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(data);
}

// An installation as the build installs it, under a fresh prefix, with the
// real removal script in its place.
struct FakeInstall {
  QString prefix = TestEnvironment::makeTempDir(QStringLiteral("prefix"));
  QString script = prefix + "/share/zaro-player/uninstall.sh";
  QStringList files = {prefix + "/bin/zaro-player",
                       prefix + "/bin/zaro-uninstaller",
                       prefix + "/bin/zaro-service",
                       prefix + "/share/applications/tv.zaro.ZaroPlayer.desktop",
                       prefix + "/share/applications/tv.zaro.ZaroPlayer.Uninstaller.desktop",
                       prefix + "/share/metainfo/tv.zaro.ZaroPlayer.metainfo.xml",
                       prefix + "/share/icons/hicolor/48x48/apps/tv.zaro.ZaroPlayer.png",
                       prefix + "/share/icons/hicolor/scalable/apps/tv.zaro.ZaroPlayer.svg",
                       prefix + "/share/icons/hicolor/16x16/apps/tv.zaro.ZaroPlayer.Uninstaller.png",
                       prefix + "/share/man/man1/zaro-player.1.gz",
                       prefix + "/share/man/man1/zaro-uninstaller.1.gz",
                       prefix + "/share/doc/zaro-player/copyright",
                       prefix + "/lib/mozilla/plugins/libzaroplugin.so"};
  // Another program's files in the same folders stay.
  QStringList others = {prefix + "/share/applications/other.desktop",
                        prefix + "/share/icons/hicolor/48x48/apps/other.png"};
  QString media = TestEnvironment::makeTempDir(QStringLiteral("media")) + "/ZaroMedia";

  FakeInstall() {
    for (const QString &file : files + others) writeFile(file);
    QDir().mkpath(QFileInfo(script).absolutePath());
    QFile::copy(ZARO_UNINSTALL_SCRIPT, script);
    writeFile(media + "/video.mp4");
    writeFile(media + "/Images/video.jpg");
  }
  bool applicationPresent() const {
    for (const QString &file : files)
      if (!QFileInfo::exists(file)) return false;
    return QFileInfo::exists(script);
  }
  bool applicationGone() const {
    for (const QString &file : files)
      if (QFileInfo::exists(file)) return false;
    return !QFileInfo::exists(prefix + "/share/zaro-player");
  }
  bool othersKept() const {
    for (const QString &file : others)
      if (!QFileInfo::exists(file)) return false;
    return true;
  }
};

struct ScriptRun {
  int exitCode = -1;
  QString output;
};

ScriptRun runScript(const QString &script, const QStringList &arguments, const QByteArray &input,
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral("/bin/sh"), QStringList{script} + arguments);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(20000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString dir = TestEnvironment::makeTempDir(QStringLiteral("settings"));
    fDefaults = std::make_unique<UserDefaults>(dir + "/settings.conf");
    fFolders = std::make_unique<ZFolderManager>(*fDefaults);
    // Every test starts without login items.
    QDir(LoginItems::autostartFolder()).removeRecursively();
  }

  std::unique_ptr<UninstallerController> makeController(UninstallerSetup setup) {
    auto controller =
        std::make_unique<UninstallerController>(*fFolders, *fDefaults, std::move(setup));
    controller->awakeFromNib();
    return controller;
  }

  UninstallerSetup setupFor(const FakeInstall &install) {
    UninstallerSetup setup;
    setup.installedApplicationPath = install.prefix + "/bin/zaro-player";
    setup.scriptPath = install.script;
    setup.elevation = {};  // the test has the rights it needs
    setup.playerInstanceKey = TestEnvironment::makeTempDir(QStringLiteral("player"));
    return setup;
  }

  std::unique_ptr<UserDefaults> fDefaults;
  std::unique_ptr<ZFolderManager> fFolders;
};

QStringList messagesLogged;
void recordMessage(QtMsgType, const QMessageLogContext &, const QString &message) {
  messagesLogged << message;
}

}  // namespace

TEST_F(UninstallerTest, TheWindowOffersWhatIsInstalled) {
  {
    SCOPED_TRACE("the player is not installed");
    UninstallerSetup setup;
    setup.installedApplicationPath = TestEnvironment::root() + "/nowhere/zaro-player";
    const auto controller = makeController(setup);
    EXPECT_FALSE(controller->removeClientCheckBox()->isChecked());
    EXPECT_FALSE(controller->removeMediaCheckBox()->isChecked());
    EXPECT_FALSE(controller->removeClientCheckBox()->isEnabled());
    EXPECT_FALSE(controller->removeMediaCheckBox()->isEnabled());
    EXPECT_EQ(controller->uninstallButton()->text(), "Quit");
    EXPECT_TRUE(controller->uninstallDone());
    EXPECT_TRUE(controller->logView()->isReadOnly());
  }
  {
    SCOPED_TRACE("installed: the boxes decide between Uninstall and Quit");
    FakeInstall install;
    const auto controller = makeController(setupFor(install));
    EXPECT_TRUE(controller->removeClientCheckBox()->isEnabled());
    EXPECT_TRUE(controller->removeMediaCheckBox()->isEnabled());
    EXPECT_FALSE(controller->removeMediaCheckBox()->isChecked());
    EXPECT_EQ(controller->uninstallButton()->text(), "Uninstall");
    EXPECT_FALSE(controller->uninstallDone());

    const struct {
      bool client, media;
      const char *title;
    } cases[] = {{false, false, "Quit"},
                 {false, true, "Uninstall"},
                 {false, false, "Quit"},
                 {true, false, "Uninstall"},
                 {true, true, "Uninstall"}};
    for (const auto &c : cases) {
      if (controller->removeClientCheckBox()->isChecked() != c.client)
        controller->removeClientCheckBox()->click();
      if (controller->removeMediaCheckBox()->isChecked() != c.media)
        controller->removeMediaCheckBox()->click();
      EXPECT_EQ(controller->uninstallButton()->text(), c.title) << c.client << c.media;
      EXPECT_EQ(controller->uninstallDone(), QLatin1String(c.title) == "Quit");
    }
  }
}

TEST_F(UninstallerTest, WithoutItsFolderOnlyQuitIsLeft) {
  FakeInstall install;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  const QString blocked = TestEnvironment::makeTempDir(QStringLiteral("blocked")) + "/file";
  writeFile(blocked);
  qputenv("XDG_DATA_HOME", blocked.toUtf8());
  const auto controller = makeController(setupFor(install));
  qputenv("XDG_DATA_HOME", saved);
  EXPECT_FALSE(controller->removeClientCheckBox()->isEnabled());
  EXPECT_FALSE(controller->removeMediaCheckBox()->isEnabled());
  EXPECT_FALSE(controller->removeClientCheckBox()->isChecked());
  EXPECT_EQ(controller->uninstallButton()->text(), "Quit");
  EXPECT_TRUE(controller->uninstallDone());
}

TEST_F(UninstallerTest, TheScriptIsGivenTheFlagsAndTheMediaFolder) {
  FakeInstall install;
  const auto controller = makeController(setupFor(install));
  const QString defaultMedia = fFolders->defaultMediaFilesFolderPath();
  ASSERT_FALSE(defaultMedia.isEmpty());
  const struct {
    QVariant location;
    QString media;
  } cases[] = {
      {QVariant(), defaultMedia},
      {QVariant(QString()), defaultMedia},
      {QVariant(QStringLiteral("/srv/videos")), QStringLiteral("/srv/videos/ZaroMedia")},
      {QVariant(QStringLiteral("/srv/videos/")), QStringLiteral("/srv/videos/ZaroMedia")},
  };
  for (const auto &c : cases) {
    if (c.location.isValid())
      fDefaults->setObject(c.location, QStringLiteral("DownloadLocation"));
    else
      fDefaults->removeObject(QStringLiteral("DownloadLocation"));
    EXPECT_EQ(controller->mediaFolderPath(), c.media) << c.location.toString().toStdString();
  }
  controller->removeMediaCheckBox()->click();
  EXPECT_EQ(controller->scriptCommandLine(),
            QStringList({"/bin/sh", install.script, "1", "1", "/srv/videos/ZaroMedia"}));
  controller->removeClientCheckBox()->click();
  EXPECT_EQ(controller->scriptCommandLine().mid(2, 2), QStringList({"0", "1"}));
}

TEST_F(UninstallerTest, UninstallingQuitsThePlayerRemovesItsLoginItemAndLogsTheScript) {
  FakeInstall install;
  UninstallerSetup setup = setupFor(install);
  fDefaults->setString(QFileInfo(install.media).absolutePath(), QStringLiteral("DownloadLocation"));
  // A running player and two login items, the player's second.
  SingleInstance player(setup.playerInstanceKey);
  ASSERT_TRUE(player.becomePrimary());
  bool quitAsked = false;
  QObject::connect(&player, &SingleInstance::quitRequested, [&] { quitAsked = true; });
  ASSERT_TRUE(LoginItems::addURLAtEnd(QStringLiteral("/usr/bin/other-tool"), false));
  ASSERT_TRUE(LoginItems::addURLAtEnd(QStringLiteral("/opt/zaro/bin/zaro-player"), false));

  // The script names folders as the file system resolves them.
  const QString prefix = QDir(install.prefix).canonicalPath();
  const QString mediaFolder = QDir(install.media).canonicalPath();

  const auto controller = makeController(setup);
  controller->removeMediaCheckBox()->click();
  controller->uninstallButton()->click();
  EXPECT_FALSE(controller->uninstallButton()->isEnabled());
  EXPECT_FALSE(controller->removeClientCheckBox()->isEnabled());
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return controller->uninstallDone(); }, 20000));

  EXPECT_TRUE(quitAsked);
  const auto items = LoginItems::copyLoginItems();
  ASSERT_TRUE(items.has_value());
  ASSERT_EQ(items->size(), 1);
  EXPECT_TRUE(items->at(0).value("URL").toString().contains("other-tool"));
  EXPECT_TRUE(install.applicationGone());
  EXPECT_FALSE(QFileInfo::exists(install.media));
  EXPECT_TRUE(QFileInfo::exists(QFileInfo(install.media).absolutePath()));

  // The log holds the script's lines in the order written.
  const QStringList lines = controller->logView()->toPlainText().split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines.first(), "Uninstalling Zaro Player.");
  EXPECT_EQ(lines.last(), "Done.");
  const qsizetype playerLine = lines.indexOf("Removed " + prefix + "/bin/zaro-player");
  const qsizetype mediaLine = lines.indexOf("Removed " + mediaFolder);
  EXPECT_GT(playerLine, 0) << lines.join('\n').toStdString();
  EXPECT_GT(mediaLine, playerLine) << lines.join('\n').toStdString();
  EXPECT_TRUE(controller->logView()->isReadOnly());

  // Finished: only Quit is left.
  EXPECT_EQ(controller->uninstallButton()->text(), "Quit");
  EXPECT_TRUE(controller->uninstallButton()->isEnabled());
  EXPECT_FALSE(controller->removeMediaCheckBox()->isEnabled());
  bool terminated = false;
  QObject::connect(controller.get(), &UninstallerController::terminateRequested,
                   [&] { terminated = true; });
  controller->uninstallButton()->click();
  EXPECT_TRUE(terminated);
}

TEST_F(UninstallerTest, ARefusedElevationChangesNothing) {
  const struct {
    const char *name;
    QStringList elevation;
    const char *logged;
  } cases[] = {
      // pkexec answers 126 when the password dialog is dismissed.
      {"cancelled",
       {"/bin/sh", "-c", "exit 126", "elevate"},
       "AuthorizationCopyRights() returned 126"},
      {"no elevation command",
       {"/nonexistent/pkexec"},
       "AuthorizationExecuteWithPrivileges() returned 0"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstall install;
    UninstallerSetup setup = setupFor(install);
    setup.elevation = c.elevation;
    SingleInstance player(setup.playerInstanceKey);
    ASSERT_TRUE(player.becomePrimary());
    bool quitAsked = false;
    QObject::connect(&player, &SingleInstance::quitRequested, [&] { quitAsked = true; });
    QDir(LoginItems::autostartFolder()).removeRecursively();
    ASSERT_TRUE(LoginItems::addURLAtEnd(QStringLiteral("/opt/zaro/bin/zaro-player"), false));

    const auto controller = makeController(setup);
    controller->removeMediaCheckBox()->click();
    messagesLogged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    controller->uninstallButton()->click();
    const bool settled = TestEnvironment::waitFor(
        [&] { return !controller->scriptRunning() && controller->uninstallButton()->isEnabled(); },
        10000);
    qInstallMessageHandler(previous);
    ASSERT_TRUE(settled);

    EXPECT_EQ(messagesLogged, QStringList({c.logged}));
    EXPECT_FALSE(quitAsked);
    EXPECT_EQ(LoginItems::copyLoginItems()->size(), 1);
    EXPECT_TRUE(install.applicationPresent());
    EXPECT_TRUE(QFileInfo::exists(install.media + "/video.mp4"));
    // The window is as it was.
    EXPECT_EQ(controller->uninstallButton()->text(), "Uninstall");
    EXPECT_FALSE(controller->uninstallDone());
    EXPECT_TRUE(controller->removeClientCheckBox()->isEnabled());
    EXPECT_TRUE(controller->removeMediaCheckBox()->isEnabled());
    EXPECT_TRUE(controller->removeMediaCheckBox()->isChecked());
  }
}

TEST(UninstallScript, RemovesWhatItIsAskedToAndNothingElse) {
  const struct {
    const char *name;
    QString application, media;
    bool applicationGone, mediaGone;
    int exitCode;
  } cases[] = {
      {"application only", "1", "0", true, false, 0},
      {"media only", "0", "1", false, true, 0},
      {"both", "1", "1", true, true, 0},
      {"neither", "0", "0", false, false, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstall install;
    const ScriptRun run =
        runScript(install.script, {c.application, c.media, install.media}, "go\n");
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output.toStdString();
    EXPECT_EQ(install.applicationGone(), c.applicationGone);
    EXPECT_EQ(install.applicationPresent(), !c.applicationGone);
    EXPECT_EQ(!QFileInfo::exists(install.media), c.mediaGone);
    EXPECT_TRUE(install.othersKept());
    EXPECT_TRUE(run.output.startsWith("Uninstalling Zaro Player.\n"));
    EXPECT_TRUE(run.output.endsWith("Done.\n"));
  }
}

// A player the package manager installed is removed by it (apt-get remove),
// not file by file behind its back. Stand-ins for dpkg-query (which owns the
// player) and apt-get (what it was asked) come first on the path.
TEST(UninstallScript, APackageInstallIsRemovedByThePackageManager) {
  const struct {
    const char *name;
    int aptStatus;
    int exitCode;
    const char *said;
  } cases[] = {
      {"apt-get removes it", 0, 0, "Removed the package zaro-player\n"},
      {"apt-get fails", 100, 1, "Could not remove the package zaro-player\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstall install;
    const QString bin = TestEnvironment::makeTempDir(QStringLiteral("package-tools"));
    const QString asked = bin + "/apt-get.log";
    writeFile(bin + "/dpkg-query",
              "#!/bin/sh\n"
              "case \"$2\" in */bin/zaro-player) echo \"zaro-player:amd64: $2\" ;; *) exit 1 ;; esac\n");
    writeFile(bin + "/apt-get", QStringLiteral("#!/bin/sh\necho \"$DEBIAN_FRONTEND $*\" > '%1'\n"
                                               "echo 'Removing zaro-player'\nexit %2\n")
                                    .arg(asked)
                                    .arg(c.aptStatus)
                                    .toUtf8());
    for (const char *tool : {"/dpkg-query", "/apt-get"})
      QFile::setPermissions(bin + tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", bin + ":" + environment.value("PATH"));
    const ScriptRun run =
        runScript(install.script, {"1", "0", install.media}, "go\n", environment);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output.toStdString();
    QFile log(asked);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "noninteractive remove -y -q zaro-player\n");
    EXPECT_TRUE(run.output.contains("Removing zaro-player\n")) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(c.said)) << run.output.toStdString();
    // The script itself deleted nothing the package manager keeps.
    EXPECT_TRUE(install.applicationPresent());
    EXPECT_TRUE(QFileInfo::exists(install.media + "/video.mp4"));
  }
}

TEST(UninstallScript, RefusesToGoOnWithoutConfirmationOrWithAFolderThatIsNotMedia) {
  {
    SCOPED_TRACE("the uninstaller did not confirm");
    FakeInstall install;
    const ScriptRun run = runScript(install.script, {"1", "1", install.media}, "");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(install.applicationPresent());
    EXPECT_TRUE(QFileInfo::exists(install.media + "/video.mp4"));
  }
  const QString home = QDir::homePath();
  writeFile(home + "/keep.txt");
  const struct {
    QString folder;
    int exitCode;
    const char *said;
  } folders[] = {
      {"", 1, "Not removing the media"},
      {"/", 1, "Not removing the media"},
      {"relative/ZaroMedia", 1, "Not removing the media"},
      {home, 1, "Not removing the media"},
      {home + "/../" + QFileInfo(home).fileName(), 1, "Not removing the media"},
      {"/nonexistent/ZaroMedia", 0, "No media folder at /nonexistent/ZaroMedia."},
  };
  for (const auto &c : folders) {
    SCOPED_TRACE(c.folder.toStdString());
    FakeInstall install;
    const ScriptRun run = runScript(install.script, {"0", "1", c.folder}, "go\n");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.output.contains(c.said)) << run.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home + "/keep.txt"));
    EXPECT_TRUE(install.applicationPresent());
  }
  {
    SCOPED_TRACE("a script that is not in an installation");
    const QString loose = TestEnvironment::makeTempDir(QStringLiteral("loose")) + "/uninstall.sh";
    QFile::copy(ZARO_UNINSTALL_SCRIPT, loose);
    const QString sibling = QFileInfo(loose).absolutePath() + "/../bin/keep";
    writeFile(sibling);
    const ScriptRun run = runScript(loose, {"1", "0", ""}, "go\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QFileInfo::exists(loose));
    EXPECT_TRUE(QFileInfo::exists(sibling));
  }
}

// The media are removed with the rights of the user who asked, never with the
// administrator's: a removal as it runs for real, through a stand-in for
// pkexec that runs the script as root and names the user in PKEXEC_UID. The
// user is "nobody", a real unprivileged account that root can hand files to
// (so the system's accounts are left as they are); the test needs root for
// that and is skipped without it or without that account.
class UninstallAsTheUser : public UninstallerTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second, unprivileged user";
    const passwd *nobody = getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0)
      GTEST_SKIP() << "no unprivileged account \"nobody\" to act as";
    fUid = nobody->pw_uid;
    fGid = nobody->pw_gid;
    UninstallerTest::SetUp();
    // The user's folders live where the user can reach them.
    ASSERT_TRUE(fBase.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(fBase.path()).constData(), 0755), 0);
    fPkexec = fBase.path() + "/pkexec";
    writeFile(fPkexec,
              "#!/bin/sh\n"
              "# Stands in for pkexec: the command runs as root, in a clean\n"
              "# environment, told which user asked.\n"
              "exec env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin PKEXEC_UID=" +
                  QByteArray::number(fUid) + " \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(fPkexec, QFile::permissions(fPkexec) | QFile::ExeOwner));
  }

  // Makes a folder (or a file, with data) owned by the given uid.
  void make(const QString &path, uid_t owner, const QByteArray *data = nullptr) {
    if (data)
      writeFile(path, *data);
    else
      ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_EQ(chown(QFile::encodeName(path).constData(), owner, owner == 0 ? 0 : fGid), 0);
  }
  void makeFile(const QString &path, uid_t owner) {
    const QByteArray data = "video";
    make(path, owner, &data);
  }

  uid_t fUid = 0;
  gid_t fGid = 0;
  QTemporaryDir fBase{QDir::tempPath() + "/zaro-uninstall-XXXXXX"};
  QString fPkexec;
};

TEST_F(UninstallAsTheUser, MediaAreRemovedWithTheUsersRightsAndLinksAreNotFollowed) {
  enum Layout { LinkToVictims, UsersFolder, OtherUsersFolder, FolderWithSomethingOfRoot };
  const struct {
    const char *name;
    Layout layout;
    bool mediaGone;
    const char *logged;
  } cases[] = {
      {"a link to a folder of someone's files", LinkToVictims, true, "Removed the link "},
      {"the user's own media folder", UsersFolder, true, "Removed "},
      {"a media folder of another user", OtherUsersFolder, false, "belongs to another user"},
      {"a folder holding what the user may not remove", FolderWithSomethingOfRoot, false,
       "Could not remove all of "},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeInstall install;
    const QString location = fBase.path() + "/" + QString::number(c.layout);
    const QString media = location + "/ZaroMedia";
    const QString victims = fBase.path() + "/victims-" + QString::number(c.layout);
    make(location, fUid);
    // The victims are the user's own: rights alone would not keep them.
    make(victims, fUid);
    makeFile(victims + "/keep.txt", fUid);
    switch (c.layout) {
      case LinkToVictims:
        ASSERT_TRUE(QFile::link(victims, media));
        break;
      case UsersFolder:
        make(media, fUid);
        make(media + "/Images", fUid);
        makeFile(media + "/video.mp4", fUid);
        makeFile(media + "/Images/video.jpg", fUid);
        break;
      case OtherUsersFolder:
        make(media, 0);
        makeFile(media + "/video.mp4", 0);
        break;
      case FolderWithSomethingOfRoot:
        make(media, fUid);
        makeFile(media + "/video.mp4", fUid);
        make(media + "/kept", 0);
        makeFile(media + "/kept/file", 0);
        break;
    }
    fDefaults->setString(location, QStringLiteral("DownloadLocation"));
    UninstallerSetup setup = setupFor(install);
    setup.elevation = {fPkexec};
    const auto controller = makeController(setup);
    ASSERT_TRUE(controller->removeClientCheckBox()->isChecked());
    controller->removeMediaCheckBox()->click();
    controller->uninstallButton()->click();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return controller->uninstallDone(); }, 20000));
    const QString log = controller->logView()->toPlainText();

    EXPECT_TRUE(log.contains(c.logged)) << log.toStdString();
    EXPECT_TRUE(log.endsWith("Done.\n")) << log.toStdString();
    // The application goes with administrator rights whatever happens to the media.
    EXPECT_TRUE(install.applicationGone()) << log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(victims + "/keep.txt"));
    EXPECT_EQ(!QFileInfo(media).exists() && !QFileInfo(media).isSymLink(), c.mediaGone);
    switch (c.layout) {
      case LinkToVictims:
      case UsersFolder:
        break;
      case OtherUsersFolder:
        EXPECT_TRUE(QFileInfo::exists(media + "/video.mp4"));
        break;
      case FolderWithSomethingOfRoot:
        // The user's files go; what only root may remove stays.
        EXPECT_FALSE(QFileInfo::exists(media + "/video.mp4"));
        EXPECT_TRUE(QFileInfo::exists(media + "/kept/file"));
        break;
    }
    EXPECT_TRUE(QFileInfo::exists(location));
  }
}
