#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Body.h"
#include "Catalog.h"
#include "Documents.h"
#include "Query.h"

namespace zsvc {

// What an exchange answers; the transport adds ranges, compression and faults.
struct Reply {
  int status = 200;
  std::string contentType;
  std::shared_ptr<const BodySource> body;  // null: an empty body
  bool rangeable = false;                  // honours "Range"
  bool compressible = false;               // gzip when the request accepts it
  std::vector<std::pair<std::string, std::string>> headers;
};

Reply textReply(int status, std::string contentType, std::string text);
Reply xmlReply(std::string document, int status = 200);
Reply notFound();
Reply badRequest(const std::string &why);

// One request as the exchanges see it.
struct RequestInfo {
  std::string method;
  std::string path;  // decoded
  Query query;       // from the raw query, decoded
  std::string body;
  Urls urls;
  std::optional<QString> clientUuid;  // the UUID inside a readable "clientGUID"
};

// The exchanges of the service, answered from a catalog that never changes.
class Exchanges {
 public:
  explicit Exchanges(const Catalog &catalog, XmlEncoding xmlEncoding = XmlEncoding::References)
      : fCatalog(catalog), fXmlEncoding(xmlEncoding) {}

  const Catalog &catalog() const { return fCatalog; }

  Reply accessKey(const RequestInfo &request) const;
  Reply mediaInfo(const RequestInfo &request) const;
  Reply thumbnail(const RequestInfo &request) const;
  Reply videoFile(const RequestInfo &request) const;
  Reply completionReport(const RequestInfo &request) const;
  Reply ratingReport(const RequestInfo &request) const;
  Reply updateCheck(const RequestInfo &request) const;
  Reply updateFile(const RequestInfo &request) const;
  Reply subscriptionUpgrade(const RequestInfo &request) const;
  Reply feed(const RequestInfo &request) const;
  Reply webPage(const RequestInfo &request) const;
  // "/download.html": the page an installed player sends the user to.
  Reply downloadPage(const RequestInfo &request) const;

  // The access key a client gets: the catalog's, or one derived from the client.
  QString accessKeyFor(const RequestInfo &request) const;

 private:
  // An XML answer in the service's encoding.
  Reply xmlAnswer(const std::string &document, const char *mimeType = "text/xml") const;

  const Catalog &fCatalog;
  const XmlEncoding fXmlEncoding;
};

// The permalinks of a meta-information request body:
//   <MediaIdList><MediaId permalinkId="..."/>...</MediaIdList>
// nullopt when the body is not such a document.
std::optional<std::vector<QString>> parseMediaIdList(const std::string &body);

}  // namespace zsvc
