// The client's identity (GUID, cipher, media-information address) and the
// access-key request, against a local stand-in for the service.

#include "ClientCipher.h"
#include "ClientIdentity.h"
#include "Config.h"
#include "ServiceHosts.h"
#include "ServiceTestServer.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZAccessKeyRequest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>

#include <memory>
#include <optional>

namespace {

std::unique_ptr<UserDefaults> freshDefaults() {
  return std::make_unique<UserDefaults>(TestEnvironment::makeTempDir("defaults") + "/settings.ini");
}

bool isUpperCaseUuid(const QString &text) {
  static const QRegularExpression pattern(
      QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
  return pattern.match(text).hasMatch();
}

// --- the client GUID ---------------------------------------------------------

TEST(ClientGuid, MadeOnceStoredAndReadableByTheService) {
  auto defaults = freshDefaults();
  const QString first = Utilities::getMyPeerID(*defaults);
  ASSERT_EQ(first.size(), 88);
  EXPECT_EQ(defaults->stringForKey("ApplicationClientID"), first);
  // The second call reads the stored GUID instead of making a new one.
  EXPECT_EQ(Utilities::getMyPeerID(*defaults), first);

  const std::optional<QString> uuid = ClientCipher::uuidFromGuid(first.toLatin1());
  ASSERT_TRUE(uuid);
  EXPECT_TRUE(isUpperCaseUuid(*uuid)) << uuid->toStdString();

  // Without a store named, the application's own store keeps it.
  const QString standard = Utilities::getMyPeerID();
  EXPECT_EQ(UserDefaults::standardUserDefaults().stringForKey("ApplicationClientID"), standard);

  // Another account gets another GUID.
  auto other = freshDefaults();
  const QString otherGuid = Utilities::getMyPeerID(*other);
  EXPECT_NE(otherGuid, first);
  EXPECT_NE(ClientCipher::uuidFromGuid(otherGuid.toLatin1()), uuid);
}

TEST(ClientGuid, AnEmptyStoredValueIsReplacedAndAnyOtherKept) {
  auto defaults = freshDefaults();
  defaults->setString(QString(""), "ApplicationClientID");
  const QString made = Utilities::getMyPeerID(*defaults);
  EXPECT_TRUE(ClientCipher::uuidFromGuid(made.toLatin1()));
  EXPECT_EQ(defaults->stringForKey("ApplicationClientID"), made);

  defaults->setString("kept-as-it-is", "ApplicationClientID");
  EXPECT_EQ(Utilities::getMyPeerID(*defaults), "kept-as-it-is");
}

TEST(ClientCipherText, EncryptAndCrypt) {
  // Every call makes a GUID from a new UUID.
  const QString a = Utilities::getEncryptedUUID();
  const QString b = Utilities::getEncryptedUUID();
  EXPECT_EQ(a.size(), 88);
  EXPECT_NE(a, b);
  EXPECT_TRUE(ClientCipher::uuidFromGuid(a.toLatin1()));

  EXPECT_TRUE(Utilities::encrypt(QString()).isNull());
  // Base64 without line breaks; an empty text still makes one padded block.
  EXPECT_EQ(Utilities::encrypt(QString("")).size(), 24);
  const QString long_text = Utilities::encrypt(QString(200, u'x'));
  EXPECT_FALSE(long_text.contains(u'\n'));
  EXPECT_EQ(long_text.size(), 280);

  // The text's UTF-8 bytes are what is enciphered, and they come back.
  const QString text = QStringLiteral("caf\u00e9 \u4e2d");
  const std::optional<QByteArray> cipherText = Utilities::crypt(text, true);
  ASSERT_TRUE(cipherText);
  EXPECT_EQ(cipherText->size(), 16);
  EXPECT_EQ(ClientCipher::crypt(*cipherText, false), text.toUtf8());
  EXPECT_EQ(Utilities::encrypt(text), QString::fromLatin1(cipherText->toBase64()));
}

// --- the media-information address -------------------------------------------

TEST(MediaInfoUrl, BaseTokenAndEncoding) {
  auto defaults = freshDefaults();
  const QString guid = Utilities::getMyPeerID(*defaults);
  const QString encodedGuid = wwwFormURLEncoded(guid);
  const QString version = wwwFormURLEncoded(Utilities::applicationVersion());
  const QString serviceBase = ServiceHosts::webURLString("/service/getMediaInfo.xml");
  ASSERT_TRUE(serviceBase.endsWith("/service/getMediaInfo.xml"));
  const QUrl web = ServiceHosts::serviceWebHost();
  const QString userInfoTrick =
      QString("http://%1:%2@evil.example/info.xml").arg(web.host()).arg(web.port(80));

  const struct {
    const char *name;
    std::optional<QString> configured;
    std::optional<QString> token;
    QString expected;
  } cases[] = {
      {"no override, no token", std::nullopt, std::nullopt,
       serviceBase + "?clientGUID=" + encodedGuid + "&ZARO_GUIDE_AUTH=(null)&version=" + version},
      {"empty override", QString(""), QString("t0k"),
       serviceBase + "?clientGUID=" + encodedGuid + "&ZARO_GUIDE_AUTH=t0k&version=" + version},
      {"override on the service and a token that needs encoding",
       ServiceHosts::webURLString("/x/info.xml"), QString("a b+c/\u00e9"),
       ServiceHosts::webURLString("/x/info.xml") + "?clientGUID=" + encodedGuid +
           "&ZARO_GUIDE_AUTH=a%20b%2Bc%2F%E9&version=" + version},
      // Elsewhere the token is not sent at all.
      {"override on another host", QString("http://media.example:81/x/info.xml"),
       QString("t0k"),
       "http://media.example:81/x/info.xml?clientGUID=" + encodedGuid + "&version=" + version},
      {"override whose user part names the service's host", userInfoTrick, QString("t0k"),
       userInfoTrick + "?clientGUID=" + encodedGuid + "&version=" + version},
  };
  for (const auto &c : cases) {
    if (c.token)
      defaults->setString(*c.token, "ZaroClientAuthorization");
    else
      defaults->removeObject("ZaroClientAuthorization");
    EXPECT_EQ(Utilities::getMediaInfoUrl(c.configured, *defaults), c.expected) << c.name;
  }
}

TEST(MediaInfoUrl, ReadsTheOverrideFromTheLibraryConfigTable) {
  const QString root = TestEnvironment::makeTempDir("config");
  VideoDatabase database(VideoDatabase::pathsUnder(root));
  ASSERT_TRUE(database.createDatabase());
  Config config(database);
  auto defaults = freshDefaults();
  defaults->setString("tok", "ZaroClientAuthorization");

  const QString plain = Utilities::getMediaInfoUrl(config, *defaults);
  EXPECT_TRUE(plain.startsWith(ServiceHosts::webURLString("/service/getMediaInfo.xml?clientGUID=")))
      << plain.toStdString();

  const QString elsewhere = ServiceHosts::webURLString("/other/media.xml");
  ASSERT_TRUE(config.setObject(elsewhere, "MediaInfoUrl"));
  const QString overridden = Utilities::getMediaInfoUrl(config, *defaults);
  EXPECT_TRUE(overridden.startsWith(elsewhere + "?clientGUID=")) << overridden.toStdString();
  EXPECT_TRUE(overridden.endsWith("&ZARO_GUIDE_AUTH=tok&version=" +
                                  wwwFormURLEncoded(Utilities::applicationVersion())));
}

// --- the access-key request --------------------------------------------------

class AccessKeyRequest : public ::testing::Test {
 protected:
  static constexpr char Path[] = "/service/keyRequest.xml";

  void SetUp() override {
    QObject::connect(&fRequest, &ZAccessKeyRequest::finished,
                     [this](bool stored) { fFinished.append(stored); });
  }

  // Runs one request to its end; answers what finished() said, or nothing
  // when no request was sent.
  std::optional<bool> run(ZAccessKeyRequest &request) {
    fFinished.clear();
    if (!request.start()) return std::nullopt;
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !fFinished.isEmpty(); }, 20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(fFinished.size(), 1);
    EXPECT_FALSE(request.isRunning());
    return fFinished.value(0, false);
  }

  ServiceTestServer fServer;
  std::unique_ptr<UserDefaults> fDefaults = freshDefaults();
  ZAccessKeyRequest fRequest{nullptr, fDefaults.get()};
  QList<bool> fFinished;
};

TEST_F(AccessKeyRequest, SendsTheIdentityWithTheXmlRecipe) {
  fServer.answer("GET", Path, 200, "text/xml", "<Response><AccessKey>k</AccessKey></Response>");
  ASSERT_TRUE(fRequest.start());
  // One request at a time.
  EXPECT_FALSE(fRequest.start());
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fFinished.isEmpty(); }, 20000));
  EXPECT_EQ(fFinished, QList<bool>{true});
  EXPECT_EQ(fDefaults->stringForKey("AccessKey"), "k");

  const auto received = fServer.received();
  ASSERT_EQ(received.size(), 1u);
  const ReceivedRequest &request = received.front();
  const QString guid = fDefaults->stringForKey("ApplicationClientID");
  ASSERT_EQ(guid.size(), 88);
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.path, Path);
  // Qt writes escapes of unreserved characters ("%2E") as the characters
  // themselves, which URLs treat as the same; reserved ones stay escaped.
  EXPECT_EQ(request.target,
            (QString(Path) + "?clientGUID=" + wwwFormURLEncoded(guid) +
             "&localAddress=127.0.0.1%3A1234&version=" + Utilities::applicationVersion())
                .toStdString());
  EXPECT_EQ(request.param("clientGUID"), guid.toStdString());
  EXPECT_EQ(request.param("localAddress"), "127.0.0.1:1234");
  EXPECT_EQ(request.param("version"), Utilities::applicationVersion().toStdString());
  EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{expectedUserAgent()});
  EXPECT_EQ(request.values("Accept"), std::vector<std::string>{"text/xml"});
  EXPECT_EQ(request.values("Accept-Charset"), std::vector<std::string>{"UTF-8"});
  EXPECT_EQ(request.values("Accept-Encoding"), std::vector<std::string>{"gzip"});
}

TEST_F(AccessKeyRequest, StoresOnlyAGoodAnswer) {
  const std::string padding(2 * 1024 * 1024, ' ');
  const struct {
    const char *name;
    int status;
    const char *contentType;
    std::string body;
    std::optional<QString> stored;
  } cases[] = {
      // text/xml travels gzip-compressed.
      {"good", 200, "text/xml", "<Response><AccessKey>ab%2Bcd</AccessKey></Response>",
       QString("ab+cd")},
      {"declaration, blanks, the first of two keys", 200, "text/xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response>\n  <Other/>\n"
       "  <AccessKey>K%201</AccessKey>\n  <AccessKey>K2</AccessKey>\n</Response>\n",
       QString("K 1")},
      {"not compressed", 200, "application/octet-stream",
       "<Response><AccessKey>plain</AccessKey></Response>", QString("plain")},
      {"wrong root", 200, "text/xml", "<Answer><AccessKey>x</AccessKey></Answer>", std::nullopt},
      {"key not a child of the root", 200, "text/xml",
       "<Response><Data><AccessKey>x</AccessKey></Data></Response>", std::nullopt},
      {"empty key", 200, "text/xml", "<Response><AccessKey></AccessKey></Response>", std::nullopt},
      {"no key", 200, "text/xml", "<Response/>", std::nullopt},
      {"empty body", 200, "text/xml", "", std::nullopt},
      {"not well-formed", 200, "text/xml", "<Response><AccessKey>x</Response>", std::nullopt},
      {"error status", 500, "text/xml", "<Response><AccessKey>x</AccessKey></Response>",
       std::nullopt},
      {"oversize, announced", 200, "application/octet-stream",
       "<Response><AccessKey>x</AccessKey>" + padding + "</Response>", std::nullopt},
      {"oversize once inflated", 200, "text/xml",
       "<Response><AccessKey>x</AccessKey>" + padding + "</Response>", std::nullopt},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fDefaults->removeObject("AccessKey");
    fServer.answer("GET", Path, c.status, c.contentType, c.body);
    const std::optional<bool> stored = run(fRequest);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, c.stored.has_value());
    EXPECT_EQ(fDefaults->stringForKey("AccessKey"), c.stored.value_or(QString()));
    EXPECT_EQ(fDefaults->hasStoredValue("AccessKey"), c.stored.has_value());
  }
  // Every case asked the service: nothing stored means asked again.
  EXPECT_EQ(fServer.received(Path).size(), std::size(cases));
}

TEST_F(AccessKeyRequest, AStoredKeyIsNeverRequestedAgain) {
  fServer.answer("GET", Path, 200, "text/xml", "<Response><AccessKey>new</AccessKey></Response>");
  fDefaults->setString("old", "AccessKey");
  EXPECT_FALSE(run(fRequest));
  // Even an empty stored key counts as stored.
  fDefaults->setString(QString(""), "AccessKey");
  EXPECT_FALSE(run(fRequest));
  QCoreApplication::processEvents();
  EXPECT_TRUE(fServer.received().empty());
}

TEST_F(AccessKeyRequest, AnUnreachableServiceStoresNothing) {
  // Nothing listens on the discard port.
  qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:9");
  EXPECT_EQ(run(fRequest), std::optional<bool>(false));
  EXPECT_FALSE(fDefaults->hasStoredValue("AccessKey"));
  qputenv("ZARO_SERVICE_URL", fServer.baseUrl().toUtf8());
}

}  // namespace
