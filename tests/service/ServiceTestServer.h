#pragma once

// A stand-in for the video service: a cpp-httplib server on 127.0.0.1 running
// on its own thread. Tests give it an answer per method and path at any time
// and read back every request it received, exactly as it came over the wire.
// While it lives, the application's service hosts point at it.

#include "ApplicationIdentity.h"
#include "TestEnvironment.h"

#include <httplib.h>

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ReceivedRequest {
  std::string method;
  std::string path;    // decoded path
  std::string target;  // path and query as sent
  httplib::Params params;
  httplib::Headers headers;
  std::string body;

  std::vector<std::string> values(const std::string &name) const {
    std::vector<std::string> result;
    auto range = headers.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) result.push_back(it->second);
    return result;
  }
  std::string param(const std::string &name) const {
    auto it = params.find(name);
    return it == params.end() ? std::string("<absent>") : it->second;
  }
};

class ServiceTestServer {
 public:
  using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

  enum Role { TheService, Foreign };

  explicit ServiceTestServer(Role role = TheService) : fRole(role) {
    auto dispatch = [this](const httplib::Request &request, httplib::Response &response) {
      Handler handler;
      {
        std::lock_guard<std::mutex> lock(fMutex);
        fReceived.push_back({request.method, request.path, request.target, request.params,
                             request.headers, request.body});
        auto it = fHandlers.find(request.method + " " + request.path);
        if (it != fHandlers.end()) handler = it->second;
      }
      if (handler)
        handler(request, response);
      else
        response.status = 404;
    };
    fServer.Get(".*", dispatch);
    fServer.Post(".*", dispatch);
    fPort = fServer.bind_to_any_port("127.0.0.1");
    fThread = std::thread([this] { fServer.listen_after_bind(); });
    while (!fServer.is_running()) std::this_thread::yield();
    if (fRole == Foreign) return;
    fPreviousServiceUrl = qgetenv("ZARO_SERVICE_URL");
    qputenv("ZARO_SERVICE_URL", baseUrl().toUtf8());
  }

  ~ServiceTestServer() {
    fServer.stop();
    fThread.join();
    if (fRole == TheService) qputenv("ZARO_SERVICE_URL", fPreviousServiceUrl);
  }

  ServiceTestServer(const ServiceTestServer &) = delete;
  ServiceTestServer &operator=(const ServiceTestServer &) = delete;

  QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(fPort); }
  QString url(const QString &pathAndQuery) const { return baseUrl() + pathAndQuery; }

  void on(const std::string &method, const std::string &path, Handler handler) {
    std::lock_guard<std::mutex> lock(fMutex);
    fHandlers[method + " " + path] = std::move(handler);
  }

  // A fixed answer: status, content type and body. Text types are sent gzip
  // compressed when the request accepts it.
  void answer(const std::string &method, const std::string &path, int status,
              const std::string &contentType, const std::string &body) {
    on(method, path, [=](const httplib::Request &, httplib::Response &response) {
      response.status = status;
      response.set_content(body, contentType.c_str());
    });
  }

  std::vector<ReceivedRequest> received() {
    std::lock_guard<std::mutex> lock(fMutex);
    return fReceived;
  }
  std::vector<ReceivedRequest> received(const std::string &path) {
    std::vector<ReceivedRequest> result;
    for (const ReceivedRequest &request : received())
      if (request.path == path) result.push_back(request);
    return result;
  }
  void clearReceived() {
    std::lock_guard<std::mutex> lock(fMutex);
    fReceived.clear();
  }

 private:
  const Role fRole;
  httplib::Server fServer;
  int fPort = -1;
  std::thread fThread;
  std::mutex fMutex;
  std::map<std::string, Handler> fHandlers;
  std::vector<ReceivedRequest> fReceived;
  QByteArray fPreviousServiceUrl;
};

// The user agent every service request carries.
inline std::string expectedUserAgent() {
  return ("zaro-" + ApplicationIdentity::shortVersionString() + " service (MacOS; Safari; darwin)")
      .toStdString();
}
