// The updater: version comparison, the update file's name on the Desktop, and
// whole checks, offers and downloads against a local stand-in for the service.

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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <chrono>
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

// --- exchanges ---------------------------------------------------------------

class UpdaterExchange : public ::testing::Test {
 protected:
  static constexpr char CheckPath[] = "/service/getUpdate.xml";

  void SetUp() override {
    fRoot = TestEnvironment::makeTempDir("updater");
    fDesktop = fRoot + "/Desktop";
    QDir().mkpath(fDesktop);
    fDefaults = std::make_unique<UserDefaults>(fRoot + "/settings.ini");
    makeUpdater();
  }

  void makeUpdater() {
    ZUpdater::Parts parts;
    parts.defaults = fDefaults.get();
    parts.dialogs = &fDialogs;
    parts.workspace = &fWorkspace;
    parts.desktopPath = [this] { return fDesktopPath; };
    parts.runningVersion = QStringLiteral("1.3.0");
    fUpdater = std::make_unique<ZUpdater>(parts);
  }

  static std::string checkAnswer(const std::string &version, const std::string &url,
                                 const std::string &required = "0",
                                 const std::string &haveUpdate = "1") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UpdateResponse>\n  <HaveUpdate>" +
           haveUpdate + "</HaveUpdate>\n  <Update>\n    <Version>" + version +
           "</Version>\n    <Url>" + url + "</Url>\n    <Checksum>0f1e</Checksum>\n" +
           "    <Required>" + required + "</Required>\n  </Update>\n</UpdateResponse>\n";
  }

  std::string fileUrl(const std::string &path) const {
    return fServer.url(QString::fromStdString(path)).toStdString();
  }

  void offer(const std::string &version, const std::string &path,
             const std::string &required = "0") {
    fServer.answer("GET", CheckPath, 200, "text/xml",
                   checkAnswer(version, fileUrl(path), required));
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

  void download(const QString &url) {
    fUpdater->downloadUpdateFromUrl(url);
    waitUntilIdle();
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
  const std::string content = fileContent(300 * 1024);
  fServer.answer("GET", "/files/Setup.dmg", 200, "application/x-apple-diskimage", content);

  const struct {
    const char *required;
    const char *answer;
    const char *messageKey;
  } cases[] = {
      {"0", "0", "upgradeNotificationAlertMessage"},
      {"1", "0", "upgradeRequiredNotificationAlertMessage"},
      {"1", "1", "upgradeRequiredNotificationAlertMessage"},
      {"0", "1", "upgradeNotificationAlertMessage"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string("required ") + c.required + ", answer " + c.answer);
    for (const QString &name : desktopFiles()) QFile::remove(fDesktop + "/" + name);
    fServer.clearReceived();
    fDialogs.clearAsked();
    fWorkspace.clear();
    fDialogs.setAnswer("update", c.answer);
    makeUpdater();

    offer("1.3.1", "/files/Setup.dmg", c.required);
    check();
    EXPECT_EQ(fDialogs.asked(), QStringList{"update " + localized(c.messageKey)});
    EXPECT_NE(localized(c.messageKey), QString(c.messageKey));

    if (QByteArray(c.answer) == "1") {
      EXPECT_TRUE(fUpdater->updateDownloaded());
      EXPECT_EQ(desktopFiles(), QStringList{"Setup.dmg"});
      EXPECT_EQ(readFile(fDesktop + "/Setup.dmg"), QByteArray::fromStdString(content));
      EXPECT_EQ(fWorkspace.requests(), QStringList{"openFile " + fDesktop + "/Setup.dmg"});
      const auto fetched = downloads();
      ASSERT_EQ(fetched.size(), 1u);
      EXPECT_EQ(fetched[0].path, "/files/Setup.dmg");
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
  fServer.answer("GET", "/files/Setup.dmg", 200, "application/octet-stream", "x");
  const std::string url = fileUrl("/files/Setup.dmg");
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
      {"not a web address", 200, "text/xml", checkAnswer("2.0", "file:///etc/passwd")},
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
  offer("2.0", "/files/Setup.dmg");
  writeFile(fDesktop + "/Setup.dmg", "earlier");
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  QFile::remove(fDesktop + "/Setup.dmg");
  fDesktopPath = QString();
  check();
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  EXPECT_TRUE(downloads().empty());

  // None of that keeps a later check from offering a real update.
  fDesktopPath = fDesktop;
  check();
  EXPECT_EQ(fDialogs.asked().size(), 1);
  EXPECT_TRUE(fUpdater->updateDownloaded());
  EXPECT_EQ(readFile(fDesktop + "/Setup.dmg"), "x");
}

TEST_F(UpdaterExchange, TheFileTakesTheNextFreeName) {
  fDesktopPath = fDesktop;
  writeFile(fDesktop + "/Setup.dmg", "first");
  writeFile(fDesktop + "/Setup - 1.dmg", "second");
  fServer.answer("GET", "/files/Setup.dmg", 200, "application/octet-stream", "third");
  download(fServer.url("/files/Setup.dmg"));
  EXPECT_EQ(desktopFiles(), (QStringList{"Setup - 1.dmg", "Setup - 2.dmg", "Setup.dmg"}));
  EXPECT_EQ(readFile(fDesktop + "/Setup.dmg"), "first");
  EXPECT_EQ(readFile(fDesktop + "/Setup - 1.dmg"), "second");
  EXPECT_EQ(readFile(fDesktop + "/Setup - 2.dmg"), "third");
  EXPECT_EQ(fWorkspace.requests(), QStringList{"openFile " + fDesktop + "/Setup - 2.dmg"});
}

TEST_F(UpdaterExchange, AHostileNameCannotLeaveTheDesktop) {
  fDesktopPath = fDesktop;
  fDialogs.setAnswer("update", "1");
  // The service sees the path decoded; whatever it is, it serves the file.
  fServer.on("GET", "/files/../../escape.sh",
             [](const httplib::Request &, httplib::Response &response) {
               response.set_content("#!/bin/sh\n", "application/octet-stream");
             });
  offer("2.0", "/files/..%2F..%2Fescape.sh");
  check();
  ASSERT_EQ(fDialogs.asked().size(), 1);
  ASSERT_EQ(downloads().size(), 1u);
  EXPECT_EQ(desktopFiles(), QStringList{"escape.sh"});
  EXPECT_EQ(readFile(fDesktop + "/escape.sh"), "#!/bin/sh\n");
  EXPECT_FALSE(QFile::exists(fRoot + "/escape.sh"));
  EXPECT_FALSE(QFile::exists(QFileInfo(fRoot).absolutePath() + "/escape.sh"));
}

TEST_F(UpdaterExchange, AGzipEncodedFileIsWrittenInflated) {
  fDesktopPath = fDesktop;
  // Text travels compressed when the request accepts gzip, as this one does.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  fServer.answer("GET", "/files/notes.txt", 200, "text/plain", text);
  download(fServer.url("/files/notes.txt"));
  EXPECT_TRUE(fUpdater->updateDownloaded());
  EXPECT_EQ(readFile(fDesktop + "/notes.txt"), QByteArray::fromStdString(text));
}

TEST_F(UpdaterExchange, AFailedDownloadLeavesNothingBehind) {
  const std::string content = fileContent(200 * 1024);
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
  fServer.answer("GET", "/files/good.dmg", 200, "application/octet-stream", content);

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
      {"no Desktop", "/files/good.dmg", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fServer.clearReceived();
    fDesktopPath = c.withDesktop ? fDesktop : QString();
    download(fServer.url(c.path));
    // (Qt itself may send a request once more after a dropped connection.)
    EXPECT_GE(downloads().size(), 1u);
    EXPECT_TRUE(desktopFiles().isEmpty()) << desktopFiles().join(", ").toStdString();
    EXPECT_FALSE(fUpdater->updateDownloaded());
    EXPECT_TRUE(fWorkspace.requests().isEmpty());
  }
  // Nothing landed beside the Desktop either.
  EXPECT_TRUE(QDir(fRoot).entryList(QDir::Files).filter(".dmg").isEmpty());
}

TEST_F(UpdaterExchange, OneExchangeAtATime) {
  fDesktopPath = fDesktop;
  fServer.on("GET", CheckPath, [](const httplib::Request &, httplib::Response &response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    response.set_content("<R><HaveUpdate>0</HaveUpdate></R>", "text/xml");
  });
  fServer.on("GET", "/files/slow.dmg", [](const httplib::Request &, httplib::Response &response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    response.set_content("slow", "application/octet-stream");
  });

  fUpdater->checkForUpdate();
  fUpdater->checkForUpdate();
  fUpdater->downloadUpdateFromUrl(fServer.url("/files/slow.dmg"));
  EXPECT_FALSE(fUpdater->isDownloading());
  waitUntilIdle();

  fUpdater->downloadUpdateFromUrl(fServer.url("/files/slow.dmg"));
  fUpdater->downloadUpdateFromUrl(fServer.url("/files/slow.dmg"));
  fUpdater->checkForUpdate();
  EXPECT_FALSE(fUpdater->isChecking());
  waitUntilIdle();

  EXPECT_EQ(fServer.received(CheckPath).size(), 1u);
  EXPECT_EQ(fServer.received("/files/slow.dmg").size(), 1u);
  EXPECT_EQ(desktopFiles(), QStringList{"slow.dmg"});
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
  ZUpdater::Parts parts;
  parts.defaults = fDefaults.get();
  parts.dialogs = &dialogs;
  parts.workspace = &fWorkspace;
  parts.desktopPath = [this] { return fDesktopPath; };
  parts.runningVersion = QStringLiteral("1.3.0");
  ZUpdater updater(parts);
  bool checkingDuringOffer = true;
  dialogs.whileAsking = [&] {
    updater.checkForUpdate();
    checkingDuringOffer = updater.isChecking();
  };
  offer("2.0", "/files/Setup.dmg");
  updater.checkForUpdate();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !updater.isChecking(); }, 20000));
  EXPECT_EQ(dialogs.asked().size(), 1);
  EXPECT_FALSE(checkingDuringOffer);
  EXPECT_EQ(fServer.received(CheckPath).size(), 1u);
}

TEST_F(UpdaterExchange, CancellingADownloadRemovesItsPartialFile) {
  fDesktopPath = fDesktop;
  const std::string content = fileContent(64 * 1024);
  fServer.on("GET", "/files/endless.dmg",
             [content](const httplib::Request &, httplib::Response &response) {
               response.set_content_provider(
                   100 * content.size(), "application/octet-stream",
                   [content](size_t, size_t, httplib::DataSink &sink) {
                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                     return sink.write(content.data(), content.size());
                   });
             });
  fUpdater->downloadUpdateFromUrl(fServer.url("/files/endless.dmg"));
  ASSERT_TRUE(TestEnvironment::waitFor([this] { return !desktopFiles().isEmpty(); }, 20000));
  // The file is made at its announced length at once.
  EXPECT_EQ(QFileInfo(fDesktop + "/endless.dmg").size(), qint64(100 * content.size()));
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
