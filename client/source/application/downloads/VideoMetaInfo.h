#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <optional>

// What the service says about one video, read from its meta information
// answer. Keys and values (all texts unless noted):
//   "Title", "VideoId", "PermalinkId", "IconId", "Description", "Duration",
//   "Size", "ContentRating", "ReviewState", "Rating", "Extension" (untrimmed),
//   "FileHash" (trimmed), each only when its element is there;
//   "Tags": list of maps "Name", "Link", "FeedUrl";
//   "Channel": map "Title", "PermalinkId", "Description", "Thumbnail", "Link", "FeedUrl";
//   "Categories": list of maps "Title", "Link", "FeedUrl", "PermalinkId",
//                 "Description", "Thumbnail";
//   "Series": map with the same six keys as a category;
//   "Publisher": map "PermalinkId", "Name", "Description", "Thumbnail", "Link", "FeedUrl".
using VideoMetaInfo = QVariantMap;

// Reads the answer (the first Video and Publisher of its first QueueEntry):
// its bytes as received, in the encoding the document declares (UTF-8 when it
// declares none). A document without a QueueEntry gives an empty map; one that
// does not parse as XML gives nothing, and the parser's reason in *whyNot.
std::optional<VideoMetaInfo> readVideoMetaInfo(const QByteArray &document,
                                               QString *whyNot = nullptr);
// The same for a document that was decoded already.
std::optional<VideoMetaInfo> readVideoMetaInfo(const QString &xml);

// A download keeps the answer as text with one character per byte (Latin-1),
// so that its job row holds exactly what came; these turn the bytes into that
// text and back. A kept text that holds a character above U+00FF did not come
// that way: it counts as decoded text.
QString keptMetaInfoText(const QByteArray &body);
std::optional<VideoMetaInfo> readKeptVideoMetaInfo(const QString &kept);
