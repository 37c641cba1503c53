#pragma once

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

// Reads the answer's text (the first Video and Publisher of its first
// QueueEntry). A document without a QueueEntry gives an empty map; a text that
// does not parse as XML gives nothing.
std::optional<VideoMetaInfo> readVideoMetaInfo(const QString &xml);
