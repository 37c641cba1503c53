#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <string>

#include "Catalog.h"

namespace zsvc {

// The service's addresses, absolute, on the base the player used to reach it.
class Urls {
 public:
  explicit Urls(QString base) : fBase(std::move(base)) {}

  const QString &base() const { return fBase; }
  QString home() const { return fBase + QLatin1Char('/'); }
  QString feed(const QString &feedId) const;
  QString image(const QString &imageId) const;
  QString videoPage(const QString &permalink) const;
  // A listing page: kind is "channels", "categories", "tags", "series" or "publishers".
  QString listPage(const char *kind, const QString &id) const;
  QString videoFile(const Video &video) const;
  QString updateFile(const QString &fileName) const;
  // The feed's address when the id is set, else empty.
  QString feedOrEmpty(const QString &feedId) const;
  QString imageOrEmpty(const QString &imageId) const;

 private:
  QString fBase;  // scheme, host and port, no trailing slash
};

// QString as a URL component (unreserved characters stay).
QString urlComponent(const QString &text);
// QString in the player's form encoding (letters and digits stay).
QString formEncoded(const QString &text);

// The feed date form the player reads: "Wed,01 May 2024 06:30:00 GMT" (no
// blank after the comma).
QString rssDate(const QDateTime &date);

// Comparison of dotted version numbers, missing components counting as 0:
// negative, zero or positive like strcmp.
int compareVersions(const QString &a, const QString &b);

// MIME type of a file by its extension (with or without the dot).
std::string mimeTypeForExtension(const QString &extension);

// The XML answers. Every document is UTF-8 text that holds only ASCII: other
// characters are written as character references, so it reads the same
// whichever 8-bit encoding the reader applies.
std::string accessKeyDocument(const QString &accessKey);
std::string mediaInfoDocument(const Catalog &catalog, const QList<const Video *> &videos,
                              const Urls &urls);
// offer is null when no update is offered to this client.
std::string updateDocument(const UpdateOffer *offer, const Urls &urls);
std::string subscriptionsDocument(const QList<QString> &feedUrls);
std::string rssDocument(const Catalog &catalog, const Feed &feed, const Urls &urls);
std::string statusDocument(const QString &status);

}  // namespace zsvc
