// zaro-service's fault injection, request log, generated big files and
// catalog checks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QUuid>

#include <chrono>

#include <signal.h>

#include "Body.h"
#include "ClientCipher.h"
#include "ServiceProcess.h"
#include "ServiceTestHelpers.h"
#include "TestEnvironment.h"

namespace {

std::string demoFile(const char *relative) {
  return readFile(QStringLiteral(ZARO_SERVICE_DEMO_DIR "/") + QLatin1String(relative));
}

// What a client saw of one answer: the status, the announced length and the
// bytes that arrived before the answer ended, cleanly or not.
struct Received {
  bool complete = false;  // httplib read the whole announced body
  int status = 0;
  long long announced = -1;
  std::string body;
};

Received fetch(const ServiceProcess &service, const std::string &path,
               const httplib::Headers &headers = {}) {
  Received received;
  const auto result = service.client()->Get(
      path, headers,
      [&](const httplib::Response &response) {
        received.status = response.status;
        if (response.has_header("Content-Length"))
          received.announced = std::stoll(response.get_header_value("Content-Length"));
        return true;
      },
      [&](const char *data, size_t length) {
        received.body.append(data, length);
        return true;
      });
  received.complete = static_cast<bool>(result);
  return received;
}

class ServiceFaultsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sService = new ServiceProcess({"--demo"}); }
  static void TearDownTestSuite() {
    delete sService;
    sService = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(sService->running());
    sService->controlDelete("/_control/faults");
    sService->controlDelete("/_control/requests");
    const QJsonObject video = sService->control("/_control/catalog")["videos"][0].toObject();
    fVideoPath = "/cache/external/" + video["fileHash"].toString().toStdString() +
                 video["extension"].toString().toStdString();
    fVideo = demoFile("media/ocean-sunrise.mp4");
  }

  static ServiceProcess *sService;
  std::string fVideoPath;
  std::string fVideo;
};

ServiceProcess *ServiceFaultsTest::sService = nullptr;

TEST_F(ServiceFaultsTest, EachFaultKindChangesTheNextAnswerOnly) {
  const long long size = static_cast<long long>(fVideo.size());
  const struct {
    const char *rule;
    httplib::Headers headers;
    bool complete;
    int status;
    long long announced;
    size_t received;
  } cases[] = {
      {R"({"kind": "close-after", "value": 1000})", {}, false, 200, size, 1000},
      {R"({"kind": "short-body", "value": 300})", {}, false, 200, size, fVideo.size() - 300},
      {R"({"kind": "short-body", "value": 300})",
       {{"Range", "bytes=1000-1999"}},
       false,
       206,
       1000,
       700},
      {R"({"kind": "ignore-range"})", {{"Range", "bytes=1000-"}}, true, 200, size, fVideo.size()},
      {R"({"kind": "status", "value": 503})", {}, true, 503, -2, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.rule);
    ASSERT_EQ(sService->controlPost("/_control/faults", c.rule), 200);
    const Received faulty = fetch(*sService, fVideoPath, c.headers);
    EXPECT_EQ(faulty.complete, c.complete);
    EXPECT_EQ(faulty.status, c.status);
    if (c.announced != -2) {
      EXPECT_EQ(faulty.announced, c.announced);
      ASSERT_EQ(faulty.body.size(), c.received);
      const size_t start = c.status == 206 ? 1000 : 0;
      EXPECT_TRUE(faulty.body == fVideo.substr(start, c.received));
    }
    // A rule posted without a count is used up by one request.
    const Received after = fetch(*sService, fVideoPath, c.headers);
    EXPECT_TRUE(after.complete);
    EXPECT_EQ(after.status, c.headers.empty() ? 200 : 206);
  }
  // Each faulty answer names its fault in the record.
  const QJsonArray logged = sService->control("/_control/requests").array();
  ASSERT_EQ(logged.size(), 10);
  EXPECT_EQ(logged[0]["faults"][0]["kind"].toString(), "close-after");
  EXPECT_FALSE(logged[1].toObject().contains("faults"));
  EXPECT_EQ(logged[8]["status"].toInt(), 503);
}

TEST_F(ServiceFaultsTest, RateLimitSlowsTheBodyButKeepsItWhole) {
  ASSERT_EQ(sService->controlPost("/_control/faults", R"({"kind": "rate", "value": 40000})"), 200);
  const auto began = std::chrono::steady_clock::now();
  const Received slow = fetch(*sService, fVideoPath);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  EXPECT_TRUE(slow.complete);
  EXPECT_TRUE(slow.body == fVideo);
  // 23 KB at 40 KB/s cannot arrive in less than about half a second.
  EXPECT_GE(seconds, 0.9 * static_cast<double>(fVideo.size()) / 40000.0);
}

TEST_F(ServiceFaultsTest, RulesKeepToTheirPathAndCount) {
  ASSERT_EQ(sService->controlPost(
                "/_control/faults",
                R"([{"kind": "status", "value": 500, "path": "/image.out", "count": 2}])"),
            200);
  EXPECT_EQ(fetch(*sService, fVideoPath).status, 200);  // another path: untouched, not counted
  EXPECT_EQ(fetch(*sService, "/image.out?imageId=ocean-sunrise").status, 500);
  const QJsonArray left = sService->control("/_control/faults").array();
  ASSERT_EQ(left.size(), 1);
  EXPECT_EQ(left[0]["count"].toInt(), 1);
  EXPECT_EQ(fetch(*sService, "/image.out?imageId=ocean-sunrise").status, 500);
  EXPECT_EQ(fetch(*sService, "/image.out?imageId=ocean-sunrise").status, 200);
  EXPECT_TRUE(sService->control("/_control/faults").array().isEmpty());
}

TEST_F(ServiceFaultsTest, AHostilePageTakesThePlaceOfTheNextPageAndLeadsThroughTheAttacks) {
  ASSERT_EQ(sService->controlPost("/_control/faults",
                                  R"({"kind": "hostile-page", "value": 4, "path": "/guide/"})"),
            200);
  const Received hostile = fetch(*sService, "/guide/index.html");
  EXPECT_EQ(hostile.status, 200);
  EXPECT_NE(hostile.body.find("<h1>4. Frames hold commands</h1>"), std::string::npos);
  EXPECT_NE(hostile.body.find("<iframe src='zaro://run?command="), std::string::npos);
  EXPECT_NE(hostile.body.find("location.href='/hostile/5.html'"), std::string::npos);
  // Used up: the guide is itself again.
  EXPECT_EQ(fetch(*sService, "/guide/index.html").body.find("hostile"), std::string::npos);
  // The chain's pages are there without a fault; the last one says it is done.
  EXPECT_NE(fetch(*sService, "/hostile/1.html").body.find("location.href='zaro://"),
            std::string::npos);
  EXPECT_NE(fetch(*sService, "/hostile/frame.html").body.find("top.location='zaro://"),
            std::string::npos);
  EXPECT_NE(fetch(*sService, "/hostile/10.html").body.find("Attacks done"), std::string::npos);
  EXPECT_EQ(fetch(*sService, "/hostile/11.html").status, 404);
  EXPECT_EQ(fetch(*sService, "/hostile/x.html").status, 404);
}

TEST_F(ServiceFaultsTest, MalformedRulesAreRefusedWhole) {
  for (const char *rule : {
           R"({"kind": "explode", "value": 1})",
           R"({"kind": "status", "value": 99})",
           R"({"kind": "status"})",
           R"({"kind": "rate", "value": 0})",
           R"({"kind": "close-after", "value": -5})",
           R"({"kind": "close-after", "value": 10, "count": 0})",
           R"({"kind": "hostile-page", "value": 0})",
           R"({"kind": "hostile-page", "value": 99})",
           R"([{"kind": "ignore-range"}, {"kind": "nonsense"}])",
           R"(not json)",
       }) {
    SCOPED_TRACE(rule);
    EXPECT_EQ(sService->controlPost("/_control/faults", rule), 400);
  }
  EXPECT_TRUE(sService->control("/_control/faults").array().isEmpty());
}

TEST(ServiceCommandLine, RunWideFaultsAndStrictGuidsAndBigFiles) {
  ServiceProcess service({"--demo", "--strict-guid", "--big-file", "2", "--fault-status", "503",
                          "--fault-path", "/image.out", "--fault-count", "2"});
  ASSERT_TRUE(service.running());
  const std::string image = "/image.out?imageId=ocean-sunrise";
  EXPECT_EQ(fetch(service, image).status, 503);
  EXPECT_EQ(fetch(service, "/service/getUpdate.xml").status, 200);
  EXPECT_EQ(fetch(service, image).status, 503);
  EXPECT_EQ(fetch(service, image).status, 200);

  // Strict: a GUID that does not read is refused, a good one passes.
  const std::string good = formEncoded(
      ClientCipher::encryptedGuid(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper())
          ->toStdString());
  EXPECT_EQ(fetch(service, "/service/keyRequest.xml?clientGUID=" + good).status, 200);
  EXPECT_EQ(fetch(service, "/service/keyRequest.xml?clientGUID=AAAA").status, 403);

  // The generated file: 2 MiB of the documented pattern, any piece of it.
  QJsonObject big;
  for (const QJsonValue video : service.control("/_control/catalog")["videos"].toArray())
    if (video["permalink"].toString() == "big-2mb") big = video.toObject();
  ASSERT_FALSE(big.isEmpty());
  EXPECT_EQ(big["size"].toInteger(), 2 * 1024 * 1024);
  const std::string path = "/cache/external/" + big["fileHash"].toString().toStdString() +
                           big["extension"].toString().toStdString() + "?permalinkId=big-2mb";
  const uint64_t seed = zsvc::patternSeed("big-2mb");
  const uint64_t first = 1024 * 1024 + 3;
  const Received piece = fetch(service, path, {{"Range", "bytes=1048579-1049578"}});
  ASSERT_EQ(piece.status, 206);
  ASSERT_EQ(piece.body.size(), 1000u);
  for (uint64_t i = 0; i < 1000; ++i)
    ASSERT_EQ(static_cast<uint8_t>(piece.body[i]), zsvc::patternByte(seed, first + i)) << i;
  const Received whole = fetch(service, path);
  EXPECT_TRUE(whole.complete);
  EXPECT_EQ(whole.body.size(), 2u * 1024 * 1024);
  EXPECT_EQ(static_cast<uint8_t>(whole.body.back()), zsvc::patternByte(seed, 2 * 1024 * 1024 - 1));
  // Its thumbnail exists too, or the player could not get past that step.
  EXPECT_EQ(fetch(service, "/image.out?imageId=" + big["iconId"].toString().toStdString()).status,
            200);
}

TEST(ServiceRequestLog, FileHoldsOneJsonLinePerRequest) {
  const QString logPath = TestEnvironment::makeTempDir() + "/requests.log";
  {
    ServiceProcess service({"--demo", "--log", logPath});
    ASSERT_TRUE(service.running());
    const auto client = service.client();
    client->Get("/service/keyRequest.xml?clientGUID=" +
                    formEncoded(ClientCipher::encryptedGuid(
                                    QStringLiteral("6B29FC40-CA47-1067-B31D-00DD010662DA"))
                                    ->toStdString()) +
                    "&localAddress=127.0.0.1%3A1234&version=2.0.0",
                {{"User-Agent", "zaro-2.0.0 service (MacOS; Safari; darwin)"}});
    client->Post("/service/userRatings.xml?version=2.0.0", std::string("\xff\xfe\x00\x01", 4),
                 "application/octet-stream");
    client->Get("/no/such/page");
    // Control requests are not recorded.
    service.control("/_control/requests");
  }
  QFile file(logPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 4);  // three lines and the empty rest after the last line feed
  EXPECT_TRUE(lines[3].isEmpty());
  QJsonArray parsed;
  for (int i = 0; i < 3; ++i) {
    const QJsonDocument document = QJsonDocument::fromJson(lines[i]);
    ASSERT_TRUE(document.isObject()) << lines[i].toStdString();
    parsed.append(document.object());
  }
  const QJsonArray entries = parsed;

  EXPECT_EQ(entries[0]["method"].toString(), "GET");
  EXPECT_EQ(entries[0]["path"].toString(), "/service/keyRequest.xml");
  EXPECT_TRUE(
      entries[0]["query"].toString().endsWith("&localAddress=127.0.0.1%3A1234&version=2.0.0"));
  EXPECT_EQ(entries[0]["headers"]["User-Agent"].toString(),
            "zaro-2.0.0 service (MacOS; Safari; darwin)");
  EXPECT_FALSE(entries[0]["headers"].toObject().contains("REMOTE_ADDR"));
  EXPECT_EQ(entries[0]["clientGuid"]["uuid"].toString(), "6B29FC40-CA47-1067-B31D-00DD010662DA");
  EXPECT_EQ(entries[0]["status"].toInt(), 200);
  EXPECT_EQ(entries[0]["seq"].toInteger(), 1);

  EXPECT_EQ(entries[1]["method"].toString(), "POST");
  EXPECT_TRUE(entries[1]["clientGuid"].isNull());
  EXPECT_EQ(entries[1]["bodyEncoding"].toString(), "base64");
  EXPECT_EQ(QByteArray::fromBase64(entries[1]["body"].toString().toLatin1()),
            QByteArray("\xff\xfe\x00\x01", 4));
  EXPECT_EQ(entries[1]["status"].toInt(), 400);

  EXPECT_EQ(entries[2]["path"].toString(), "/no/such/page");
  EXPECT_EQ(entries[2]["status"].toInt(), 404);
}

// A catalog folder holding the given catalog.json and one small media file.
QString catalogWith(const QByteArray &json) {
  const QString dir = TestEnvironment::makeTempDir("catalog");
  QDir().mkpath(dir + "/media");
  QFile media(dir + "/media/a.mp4");
  media.open(QIODevice::WriteOnly);
  media.write("not really a movie");
  QFile image(dir + "/a.jpg");
  image.open(QIODevice::WriteOnly);
  image.write("not really an image");
  QFile catalog(dir + "/catalog.json");
  catalog.open(QIODevice::WriteOnly);
  catalog.write(json);
  return dir;
}

TEST(ServiceCatalog, OwnCatalogIsServedFromItsFolder) {
  const QString dir = catalogWith(R"({
    "images": {"a": "a.jpg"},
    "videos": [{"permalink": "v1", "title": "T\u00e9st <1>", "file": "media/a.mp4", "icon": "a",
                "fileHash": "abc123"}]
  })");
  ServiceProcess service({"--catalog", dir});
  ASSERT_TRUE(service.running());
  const Received file = fetch(service, "/cache/external/abc123.mp4?permalinkId=v1");
  EXPECT_EQ(file.status, 200);
  EXPECT_EQ(file.body, "not really a movie");
  const auto info = service.client()->Post(
      "/service/getMediaInfo.xml",
      "<MediaIdList>\r\n<MediaId permalinkId=\"v1\"/>\r\n</MediaIdList>", "text/xml;charset=utf-8");
  ASSERT_EQ(info->status, 200);
  // ASCII only, whatever 8-bit reading the player applies.
  for (const char c : info->body) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_NE(info->body.find("<Title>T&#233;st &lt;1&gt;</Title>"), std::string::npos);
}

// --xml-encoding writes every XML answer in one encoding, declared so; what
// the encoding cannot carry becomes a character reference.
TEST(ServiceCatalog, XmlAnswersAreWrittenInTheChosenEncoding) {
  const QString dir = catalogWith(R"({
    "images": {"a": "a.jpg"},
    "videos": [{"permalink": "v1", "title": "\u00c9t\u00e9 \u65e5\u672c\u8a9e",
                "file": "media/a.mp4", "icon": "a"}],
    "feeds": [{"id": "f", "title": "\u00c9t\u00e9 \u65e5\u672c\u8a9e", "items": ["v1"]}]
  })");
  const std::string utf8Title = "\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";
  const struct {
    QStringList options;
    std::string declaration, title, charset;
  } cases[] = {
      {{}, "encoding=\"UTF-8\"", "&#201;t&#233; &#26085;&#26412;&#35486;", "utf-8"},
      {{"--xml-encoding", "UTF-8"}, "encoding=\"UTF-8\"", utf8Title, "utf-8"},
      {{"--xml-encoding=iso-8859-1"}, "encoding=\"ISO-8859-1\"", "\xC9t\xE9 &#26085;&#26412;&#35486;",
       "iso-8859-1"},
      {{"--xml-encoding", "US-ASCII"}, "encoding=\"US-ASCII\"",
       "&#201;t&#233; &#26085;&#26412;&#35486;", "us-ascii"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    ServiceProcess service(QStringList{"--catalog", dir} + c.options);
    ASSERT_TRUE(service.running());
    const auto info = service.client()->Post(
        "/service/getMediaInfo.xml", "<MediaIdList><MediaId permalinkId=\"v1\"/></MediaIdList>",
        "text/xml;charset=utf-8");
    const auto feed = service.client()->Get("/service/rss.xml?feedId=f");
    for (const auto *answer : {&info, &feed}) {
      ASSERT_TRUE(*answer);
      ASSERT_EQ((*answer)->status, 200);
      const std::string &body = (*answer)->body;
      EXPECT_EQ(body.rfind("<?xml version=\"1.0\" " + c.declaration + "?>", 0), 0u) << body;
      const bool titled = body.find("<title>" + c.title + "</title>") != std::string::npos ||
                          body.find("<Title>" + c.title + "</Title>") != std::string::npos;
      EXPECT_TRUE(titled) << body;
      EXPECT_NE((*answer)->get_header_value("Content-Type").find("charset=" + c.charset),
                std::string::npos);
    }
  }
  EXPECT_EQ(runServiceToExit({"--xml-encoding", "windows-1252"}).code, 2);
}

TEST(ServiceCatalog, FaultsInTheCatalogStopTheStart) {
  const struct {
    const char *name;
    QByteArray json;
    const char *message;
  } cases[] = {
      {"not JSON", "{ videos: ", "is not a JSON object"},
      {"missing file",
       R"({"images": {"a": "a.jpg"}, "videos": [{"permalink": "v", "title": "t", "file": "none.mp4", "icon": "a"}]})",
       "no readable file"},
      {"unknown channel",
       R"({"images": {"a": "a.jpg"}, "videos": [{"permalink": "v", "title": "t", "file": "media/a.mp4", "icon": "a", "channel": "c"}]})",
       "unknown channel \"c\""},
      {"unknown image",
       R"({"videos": [{"permalink": "v", "title": "t", "file": "media/a.mp4", "icon": "a"}]})",
       "unknown image \"a\""},
      {"twice",
       R"({"images": {"a": "a.jpg"}, "videos": [{"permalink": "v", "title": "t", "file": "media/a.mp4", "icon": "a"}, {"permalink": "v", "title": "u", "file": "media/a.mp4", "icon": "a", "fileHash": "x"}]})",
       "appears twice"},
      {"permalink that needs escaping",
       R"({"images": {"a": "a.jpg"}, "videos": [{"permalink": "a\"b", "title": "t", "file": "media/a.mp4", "icon": "a"}]})",
       "a permalink holds only"},
      {"misspelt key",
       R"({"images": {"a": "a.jpg"}, "videos": [{"permalink": "v", "title": "t", "file": "media/a.mp4", "icon": "a", "tittle": "x"}]})",
       "unknown key \"tittle\""},
      {"feed of an unknown video", R"({"feeds": [{"id": "f", "title": "F", "items": ["v"]}]})",
       "unknown video \"v\""},
      {"update with neither file nor url", R"({"update": {"version": "3.0"}})",
       "either \"file\" or \"url\""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const ServiceExit exit = runServiceToExit({"--port", "0", "--catalog", catalogWith(c.json)});
    EXPECT_EQ(exit.code, 1);
    EXPECT_TRUE(exit.standardError.contains(QLatin1String(c.message)))
        << exit.standardError.toStdString();
  }
  EXPECT_EQ(runServiceToExit({"--catalog", TestEnvironment::makeTempDir("empty")}).code, 1);
}

TEST(ServiceCommandLine, MalformedOptionsAreRefused) {
  for (const QStringList &arguments : {
           QStringList{"--port"},
           QStringList{"--port", "70000"},
           QStringList{"--demo", "--catalog", "/tmp"},
           QStringList{"--fault-status", "abc"},
           QStringList{"--fault-path", "/x"},
           QStringList{"--big-file", "0"},
           QStringList{"--no-such-option"},
       }) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const ServiceExit exit = runServiceToExit(arguments);
    EXPECT_EQ(exit.code, 2);
    EXPECT_TRUE(exit.standardError.contains("usage:"));
  }
}

}  // namespace

TEST(ServiceStop, TerminationSignalsRemoveTheDemoFolder) {
  // The stop raced with itself now and then: many short rounds, each with a
  // request served (and its connection closed) just before the signal.
  const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
  for (int round = 0; round < 24; ++round) {
    const int signalNumber = kSignals[round % 3];
    SCOPED_TRACE(round);
    const QString temp = TestEnvironment::makeTempDir("service-temp");
    ServiceProcess service({"--demo"}, temp);
    ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
    ASSERT_EQ(QDir(temp).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    {
      std::unique_ptr<httplib::Client> client = service.client();
      ASSERT_TRUE(client->Get("/image.out?imageId=ocean-sunrise"));
    }
    ASSERT_EQ(::kill(pid_t(service.processId()), signalNumber), 0);
    EXPECT_EQ(service.waitForExit(10000), 0);
    const QStringList left =
        QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ASSERT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
  }
}
