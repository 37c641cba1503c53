#pragma once

#include <QString>

#include <functional>
#include <string>

#include "Catalog.h"
#include "Exchanges.h"
#include "Faults.h"
#include "RequestLog.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace zsvc {

struct ServiceSettings {
  QString publicUrl;        // base of the addresses in documents; empty: from "Host"
  bool strictGuid = false;  // refuse (403) a "clientGUID" that does not decode
  XmlEncoding xmlEncoding = XmlEncoding::References;  // of the XML answers
};

// The HTTP face of the service: routes every exchange, adds what all answers
// share (ranges, gzip, "Content-Length", injected faults) and records each
// request. Also answers the control endpoints under /_control/.
class Service {
 public:
  Service(Catalog catalog, ServiceSettings settings, FaultSet &faults, RequestLog &log);
  Service(const Service &) = delete;
  Service &operator=(const Service &) = delete;

  // Registers every route on server.
  void install(httplib::Server &server);
  // The address the server listens on; the base of addresses for a request
  // without "Host".
  void setListenAddress(const std::string &host, int port);

  const Catalog &catalog() const { return fCatalog; }

 private:
  using Exchange = std::function<Reply(const RequestInfo &)>;

  void serve(const httplib::Request &request, httplib::Response &response,
             const Exchange &exchange);
  // Fills response from reply; returns the announced body length.
  uint64_t transmit(const httplib::Request &request, httplib::Response &response, Reply reply,
                    const FaultPlan &plan);
  QString baseUrl(const httplib::Request &request) const;

  void controlRequests(const httplib::Request &request, httplib::Response &response);
  void controlFaults(const httplib::Request &request, httplib::Response &response);
  void controlCatalog(const httplib::Request &request, httplib::Response &response);

  const Catalog fCatalog;
  const Exchanges fExchanges;
  const ServiceSettings fSettings;
  FaultSet &fFaults;
  RequestLog &fLog;
  std::string fListenAddress;
};

}  // namespace zsvc
