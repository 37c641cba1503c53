#include "ApplicationIdentity.h"
#include "ServiceRequest.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

QByteArray gzip(const QByteArray &data) {
  z_stream stream{};
  EXPECT_EQ(
      deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY),
      Z_OK);
  QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
  stream.avail_in = uInt(data.size());
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(qsizetype(stream.total_out));
  deflateEnd(&stream);
  return out;
}

// --- decoding a body ---------------------------------------------------------

TEST(DecodedBody, PlainAndGzipBodies) {
  const QByteArray xml = "<Response><AccessKey>ab%2Bcd</AccessKey></Response>";
  EXPECT_EQ(ServiceRequest::decodedBody(xml, "", 1000), xml);
  EXPECT_EQ(ServiceRequest::decodedBody(xml, "identity", 1000), xml);
  EXPECT_EQ(ServiceRequest::decodedBody(gzip(xml), "gzip", 1000), xml);
  EXPECT_EQ(ServiceRequest::decodedBody(gzip(xml), " GZip ", 1000), xml);
  EXPECT_EQ(ServiceRequest::decodedBody(gzip(xml), "x-gzip", 1000), xml);
  EXPECT_EQ(ServiceRequest::decodedBody(QByteArray(), "gzip", 1000), QByteArray());
  EXPECT_EQ(ServiceRequest::decodedBody(gzip(QByteArray()), "gzip", 100), QByteArray());
  // Several members in a row make one body.
  EXPECT_EQ(ServiceRequest::decodedBody(gzip("<a>") + gzip("</a>"), "gzip", 1000), "<a></a>");
}

TEST(DecodedBody, DamagedOrUnaskedEncodingsFail) {
  const QByteArray packed = gzip(QByteArray(5000, 'x'));
  EXPECT_FALSE(ServiceRequest::decodedBody(packed.left(packed.size() / 2), "gzip", 100000));
  EXPECT_FALSE(ServiceRequest::decodedBody(packed.left(packed.size() - 4), "gzip", 100000));
  EXPECT_FALSE(ServiceRequest::decodedBody(packed + "junk", "gzip", 100000));
  EXPECT_FALSE(ServiceRequest::decodedBody("not gzip at all", "gzip", 100000));
  QByteArray flipped = packed;
  flipped[flipped.size() - 6] = char(flipped[flipped.size() - 6] ^ 0x55);  // breaks the CRC
  EXPECT_FALSE(ServiceRequest::decodedBody(flipped, "gzip", 100000));
  EXPECT_FALSE(ServiceRequest::decodedBody(packed, "br", 100000));
  EXPECT_FALSE(ServiceRequest::decodedBody(packed, "deflate", 100000));
}

TEST(DecodedBody, SizeBoundHoldsBeforeAndAfterInflating) {
  const QByteArray body(1000, 'x');
  EXPECT_EQ(ServiceRequest::decodedBody(body, "", 1000), body);
  EXPECT_FALSE(ServiceRequest::decodedBody(body, "", 999));
  EXPECT_EQ(ServiceRequest::decodedBody(gzip(body), "gzip", 1000), body);
  EXPECT_FALSE(ServiceRequest::decodedBody(gzip(body), "gzip", 999));
  // Compressed data that is itself over the bound.
  EXPECT_FALSE(ServiceRequest::decodedBody(gzip(body), "gzip", 10));
  // A bomb: 200 MB of zeros in about 200 KB; inflating stops at the bound.
  const QByteArray bomb = gzip(QByteArray(200 * 1024 * 1024, '\0'));
  ASSERT_LT(bomb.size(), 1024 * 1024);
  EXPECT_FALSE(ServiceRequest::decodedBody(bomb, "gzip", 1024 * 1024));
}

TEST(Recipes, TimeOutsMethodsAndCachePolicy) {
  const QUrl url("http://127.0.0.1:1/x");
  const struct {
    const char *name;
    ServiceRequest::Recipe recipe;
    QByteArray method;
    int timeoutMs;
  } cases[] = {
      {"xml get", ServiceRequest::xmlGet(url), "GET", 60000},
      {"service get", ServiceRequest::serviceGet(url), "GET", 60000},
      {"service post", ServiceRequest::servicePost(url, ServiceRequest::ContentTypeXML, "<a/>"),
       "POST", 60000},
      {"feed fetch", ServiceRequest::feedFetch(url), "GET", 5000},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.recipe.method, c.method) << c.name;
    EXPECT_EQ(c.recipe.request.transferTimeout(), c.timeoutMs) << c.name;
    EXPECT_EQ(c.recipe.request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(),
              int(QNetworkRequest::PreferNetwork))
        << c.name;
    EXPECT_EQ(c.recipe.request.url(), url) << c.name;
  }
}

// --- real exchanges with a local server --------------------------------------

struct ReceivedRequest {
  std::string method;
  std::string path;
  httplib::Headers headers;
  std::string body;

  // Every value of a header, in order.
  std::vector<std::string> values(const std::string &name) const {
    std::vector<std::string> result;
    auto range = headers.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) result.push_back(it->second);
    return result;
  }
};

// A cpp-httplib server on 127.0.0.1 running on its own thread, recording what
// it receives.
class LocalServer {
 public:
  static constexpr char Xml[] = "<Response><AccessKey>ab%2Bcd</AccessKey></Response>";

  LocalServer() {
    auto record = [this](const httplib::Request &request) {
      std::lock_guard<std::mutex> lock(fMutex);
      fReceived.push_back({request.method, request.path, request.headers, request.body});
    };
    // text/xml: the server compresses it itself when the request accepts gzip.
    fServer.Get("/xml", [record](const httplib::Request &request, httplib::Response &response) {
      record(request);
      response.set_content(Xml, "text/xml");
    });
    fServer.Post("/post", [record](const httplib::Request &request, httplib::Response &response) {
      record(request);
      response.set_content("<ok/>", "text/plain");
    });
    fServer.Get("/big", [record](const httplib::Request &request, httplib::Response &response) {
      record(request);
      response.set_content(std::string(1024 * 1024, 'x'), "application/octet-stream");
    });
    // No length announced: sent in chunks.
    fServer.Get("/chunked", [record](const httplib::Request &request, httplib::Response &response) {
      record(request);
      response.set_chunked_content_provider("application/octet-stream",
                                            [](size_t offset, httplib::DataSink &sink) {
                                              if (offset >= 1024 * 1024) {
                                                sink.done();
                                                return true;
                                              }
                                              const std::string chunk(64 * 1024, 'y');
                                              return sink.write(chunk.data(), chunk.size());
                                            });
    });
    fServer.Get("/bomb", [record](const httplib::Request &request, httplib::Response &response) {
      record(request);
      static const QByteArray bomb = gzip(QByteArray(64 * 1024 * 1024, '\0'));
      response.set_content(bomb.toStdString(), "application/octet-stream");
      response.set_header("Content-Encoding", "gzip");
    });
    fPort = fServer.bind_to_any_port("127.0.0.1");
    fThread = std::thread([this] { fServer.listen_after_bind(); });
  }

  ~LocalServer() {
    fServer.stop();
    fThread.join();
  }

  QUrl url(const QString &path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(fPort).arg(path));
  }

  std::vector<ReceivedRequest> received() {
    std::lock_guard<std::mutex> lock(fMutex);
    return fReceived;
  }

 private:
  httplib::Server fServer;
  int fPort = -1;
  std::thread fThread;
  std::mutex fMutex;
  std::vector<ReceivedRequest> fReceived;
};

class ServiceExchange : public ::testing::Test {
 protected:
  // Sends the recipe and waits for the reply to finish.
  std::unique_ptr<QNetworkReply> exchange(const ServiceRequest::Recipe &recipe,
                                          qint64 maxBodyBytes = -1) {
    std::unique_ptr<QNetworkReply> reply(ServiceRequest::send(fManager, recipe, maxBodyBytes));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return reply->isFinished(); }, 20000));
    return reply;
  }

  ReceivedRequest onlyRequest() {
    const auto all = fServer.received();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? ReceivedRequest{} : all.front();
  }

  static std::string userAgent() {
    return ("zaro-" + ApplicationIdentity::shortVersionString() +
            " service (MacOS; Safari; darwin)")
        .toStdString();
  }

  LocalServer fServer;
  QNetworkAccessManager fManager;
};

TEST_F(ServiceExchange, XmlGetSendsItsHeadersAndGetsTheGzipAnswerInflated) {
  auto reply = exchange(ServiceRequest::xmlGet(fServer.url("/xml?clientGUID=a%2Bb")));
  ASSERT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();

  const ReceivedRequest request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.path, "/xml");
  EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{userAgent()});
  EXPECT_EQ(request.values("Accept"), std::vector<std::string>{"text/xml"});
  EXPECT_EQ(request.values("Accept-Charset"), std::vector<std::string>{"UTF-8"});
  EXPECT_EQ(request.values("Accept-Encoding"), std::vector<std::string>{"gzip"});
  EXPECT_TRUE(request.values("Content-Type").empty());

  // The answer really travelled compressed, and Qt left it so.
  EXPECT_EQ(reply->rawHeader("Content-Encoding"), "gzip");
  const QByteArray raw = reply->peek(reply->bytesAvailable());
  ASSERT_GE(raw.size(), 2);
  EXPECT_EQ(quint8(raw[0]), 0x1f);
  EXPECT_EQ(quint8(raw[1]), 0x8b);
  EXPECT_EQ(ServiceRequest::decodedBody(*reply, ServiceRequest::DefaultMaxBodyBytes),
            QByteArray(LocalServer::Xml));
}

TEST_F(ServiceExchange, FeedFetchLeavesTheEncodingToQt) {
  auto reply = exchange(ServiceRequest::feedFetch(fServer.url("/xml")));
  ASSERT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
  const ReceivedRequest request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{userAgent()});
  EXPECT_TRUE(request.values("Accept").empty());
  EXPECT_TRUE(request.values("Accept-Charset").empty());
  // Whatever Qt asked for, the body comes out plain.
  EXPECT_EQ(ServiceRequest::decodedBody(*reply, ServiceRequest::DefaultMaxBodyBytes),
            QByteArray(LocalServer::Xml));
}

TEST_F(ServiceExchange, ServiceGetAddsThePerCallHeaders) {
  auto reply = exchange(ServiceRequest::serviceGet(
      fServer.url("/big"), {{"Range", "bytes=100-"}, {"X-Zaro-Test", "one"}}));
  ASSERT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
  const ReceivedRequest request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{userAgent()});
  EXPECT_EQ(request.values("Range"), std::vector<std::string>{"bytes=100-"});
  EXPECT_EQ(request.values("X-Zaro-Test"), std::vector<std::string>{"one"});
  EXPECT_TRUE(request.values("Accept").empty());
}

TEST_F(ServiceExchange, ServicePostSendsContentTypeAndBody) {
  const struct {
    QByteArray contentType;
    QByteArray body;
  } cases[] = {
      {ServiceRequest::ContentTypeXML, "<Request><permalinkId>abc</permalinkId></Request>"},
      {ServiceRequest::ContentTypeForm, "rating=5&permalinkId=a%2Db"},
      {"application/octet-stream", QByteArray("\0\1\2", 3)},
  };
  for (const auto &c : cases) {
    auto reply = exchange(ServiceRequest::servicePost(fServer.url("/post"), c.contentType, c.body));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
  }
  const auto received = fServer.received();
  ASSERT_EQ(received.size(), std::size(cases));
  for (size_t i = 0; i < received.size(); ++i) {
    const ReceivedRequest &request = received[i];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.values("User-Agent"), std::vector<std::string>{userAgent()});
    EXPECT_EQ(request.values("Content-Type"),
              std::vector<std::string>{cases[i].contentType.toStdString()});
    EXPECT_EQ(request.body, cases[i].body.toStdString());
  }
  EXPECT_EQ(received[0].values("Content-Type"), std::vector<std::string>{"text/xml;charset=utf-8"});
  EXPECT_EQ(received[1].values("Content-Type"),
            std::vector<std::string>{"application/x-www-form-urlencoded"});
}

TEST_F(ServiceExchange, OversizedAnswersAreRefused) {
  // Cut off while it arrives.
  auto big = exchange(ServiceRequest::serviceGet(fServer.url("/big")), 1000);
  EXPECT_EQ(big->error(), QNetworkReply::OperationCanceledError);
  auto chunked = exchange(ServiceRequest::serviceGet(fServer.url("/chunked")), 1000);
  EXPECT_EQ(chunked->error(), QNetworkReply::OperationCanceledError);
  // Within the bound nothing is cut.
  auto whole = exchange(ServiceRequest::serviceGet(fServer.url("/chunked")), 1024 * 1024);
  EXPECT_EQ(whole->error(), QNetworkReply::NoError);
  EXPECT_EQ(whole->readAll(), QByteArray(1024 * 1024, 'y'));
  // A small compressed answer that would inflate to 64 MB.
  auto bomb = exchange(ServiceRequest::xmlGet(fServer.url("/bomb")));
  ASSERT_EQ(bomb->error(), QNetworkReply::NoError) << bomb->errorString().toStdString();
  EXPECT_FALSE(ServiceRequest::decodedBody(*bomb, 1024 * 1024));
}

}  // namespace
