// The library operations that store feed objects and build them back from
// the Feeds and FeedItems tables. They work through the database's statement
// gateway (VideoDatabase::executeSQL), beside the table operations of
// VideoDatabase itself (subscribing, unsubscribing, marking items).
#pragma once

#include <QList>
#include <QString>

#include <memory>

#include "ZFeedObject.h"

class VideoDatabase;

// Stores a feed that was just read under its address: the Feeds row is
// updated (or inserted when missing), the feed object and its items take its
// id, and every item is matched with the stored items of the feed, by guid
// when it has one, else by title. A matched row gets the item's texts and
// keeps its state and video id; an unmatched item is inserted as new (state
// 0) and stamped with the time of this save. All of it is one transaction:
// the answer is the feed id, or 0 when anything failed, and then nothing of
// the save is kept. Posts "VideoDatabase_Changed" in every case.
int saveFeed(VideoDatabase &database, ZFeedObject &feed, const QString &url);

// The subscribed feed of that address, built from its Feeds row; nullptr
// unless exactly one row has the address and it is a service feed (Source 0).
std::unique_ptr<ZZaroRSSFeedObject> getFeedWithUrl(VideoDatabase &database, const QString &url);

// The feed's items in state new, newest first: the items stored by later
// saves come first, and the items stored by one save keep the order of the
// feed document (feeds list their newest items first).
QList<ZFeedItemRef> getNewFeedItemsForFeedId(VideoDatabase &database, int feedId);

// The item operations of the database, given the item object (its id and
// video id).
void markFeedItemAsDownloaded(VideoDatabase &database, const ZFeedItemObject &item);
void markFeedItemAsCancelled(VideoDatabase &database, const ZFeedItemObject &item);
