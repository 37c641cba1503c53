// Rating reports, against a local stand-in for the service.

#include "ClientIdentity.h"
#include "ServiceTestServer.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "ZServerRatingManager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr char RatingPath[] = "/service/userRatings.xml";

TEST(RatingBody, PermalinkEncodedRatingInDecimal) {
  const struct {
    QString permalink;
    int rating;
    QByteArray body;
  } cases[] = {
      {"v1 2", 4, "permalinkId=v1%202&rating=4"},
      {"abc123", 0, "permalinkId=abc123&rating=0"},
      {"a&b=c+d", -1, "permalinkId=a%26b%3Dc%2Bd&rating=-1"},
      {QStringLiteral("\u00e9\u4e2d"), 5, "permalinkId=%E9%4E2D&rating=5"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ZServerRatingManager::ratingBody(c.rating, c.permalink), c.body)
        << c.permalink.toStdString();
}

class RatingReports : public ::testing::Test {
 protected:
  void waitForReports() {
    ASSERT_TRUE(TestEnvironment::waitFor([this] { return fManager.pendingReports() == 0; }, 20000));
    QCoreApplication::processEvents();
  }

  ServiceTestServer fServer;
  std::unique_ptr<UserDefaults> fDefaults =
      std::make_unique<UserDefaults>(TestEnvironment::makeTempDir("ratings") + "/settings.ini");
  ZServerRatingManager fManager{nullptr, fDefaults.get()};
};

TEST_F(RatingReports, OneFormPostPerRating) {
  fServer.answer("POST", RatingPath, 200, "text/xml", "<ok/>");
  const QString guid = Utilities::getMyPeerID(*fDefaults);
  const QString version = Utilities::applicationVersion();

  fDefaults->setString("tok en+1", "ZaroClientAuthorization");
  fManager.sendRating(4, "v1 2");
  waitForReports();
  fDefaults->removeObject("ZaroClientAuthorization");
  fManager.sendRating(1, "other");
  waitForReports();

  const auto received = fServer.received();
  ASSERT_EQ(received.size(), 2u);
  const struct {
    std::string token;
    std::string body;
  } expected[] = {
      {"tok%20en%2B1", "permalinkId=v1%202&rating=4"},
      // No token stored yet: the query says so.
      {"(null)", "permalinkId=other&rating=1"},
  };
  for (size_t i = 0; i < received.size(); ++i) {
    const ReceivedRequest &request = received[i];
    EXPECT_EQ(request.method, "POST");
    // Qt writes escapes of unreserved characters ("%2E") as the characters
    // themselves, which URLs treat as the same; reserved ones stay escaped.
    EXPECT_EQ(request.target,
              std::string(RatingPath) + "?clientGUID=" + wwwFormURLEncoded(guid).toStdString() +
                  "&ZARO_GUIDE_AUTH=" + expected[i].token + "&version=" + version.toStdString());
    EXPECT_EQ(request.body, expected[i].body);
    EXPECT_EQ(request.values("Content-Type"),
              std::vector<std::string>{"application/x-www-form-urlencoded"});
    EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{expectedUserAgent()});
  }
  EXPECT_EQ(received[0].param("ZARO_GUIDE_AUTH"), "tok en+1");
}

TEST_F(RatingReports, NothingForAVideoWithoutPermalink) {
  fManager.sendRating(3, QString());
  fManager.sendRating(3, QString(""));
  EXPECT_EQ(fManager.pendingReports(), 0);
  // Give a request that should not exist the time to arrive.
  TestEnvironment::waitFor([] { return false; }, 300);
  EXPECT_TRUE(fServer.received().empty());
}

TEST_F(RatingReports, ARefusedOrFailedReportIsDropped) {
  fServer.on("POST", RatingPath, [](const httplib::Request &request, httplib::Response &response) {
    if (request.body.find("slow") != std::string::npos)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    response.status = 500;
    response.set_content(std::string(4 * 1024 * 1024, 'e'), "application/octet-stream");
  });
  fManager.sendRating(2, "refused");
  fManager.sendRating(5, "slow");
  EXPECT_EQ(fManager.pendingReports(), 2);
  waitForReports();
  qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:9");  // nothing listens there
  fManager.sendRating(5, "unreachable");
  waitForReports();
  qputenv("ZARO_SERVICE_URL", fServer.baseUrl().toUtf8());

  // Each report went out once and was not tried again.
  TestEnvironment::waitFor([] { return false; }, 300);
  EXPECT_EQ(fServer.received(RatingPath).size(), 2u);
}

}  // namespace
