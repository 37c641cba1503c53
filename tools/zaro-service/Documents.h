#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

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

// How the XML answers are written (--xml-encoding):
//   References (the default): declared UTF-8 but holding only ASCII, every
//     other character as a character reference, so that the document reads
//     the same whichever 8-bit encoding a reader applies;
//   Utf8: UTF-8, declared so;
//   Latin1: ISO-8859-1, declared so; characters beyond U+00FF as references;
//   UsAscii: US-ASCII, declared so; characters beyond U+007F as references.
enum class XmlEncoding { References, Utf8, Latin1, UsAscii };

// The encoding of a name ("UTF-8", "ISO-8859-1", "US-ASCII", any case).
std::optional<XmlEncoding> xmlEncodingNamed(const QString &name);
// The charset of the answers' MIME type ("utf-8", "iso-8859-1", "us-ascii").
std::string charsetOf(XmlEncoding encoding);
// A document as the writers below make it (UTF-8 with its declaration) in the
// encoding, the declaration naming it.
std::string encodedDocument(const std::string &utf8Document, XmlEncoding encoding);

// The XML answers, as UTF-8 text; encodedDocument gives the bytes sent.
std::string accessKeyDocument(const QString &accessKey);
std::string mediaInfoDocument(const Catalog &catalog, const QList<const Video *> &videos,
                              const Urls &urls);
// offer is null when no update is offered to this client.
std::string updateDocument(const UpdateOffer *offer, const Urls &urls);
std::string subscriptionsDocument(const QList<QString> &feedUrls);
std::string rssDocument(const Catalog &catalog, const Feed &feed, const Urls &urls);
std::string statusDocument(const QString &status);

}  // namespace zsvc
