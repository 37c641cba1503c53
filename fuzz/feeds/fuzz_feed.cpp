// libFuzzer target for the feed reader: ZFeedObject::createFromXML on
// arbitrary bytes, as the subscription manager reads a fetched body (the bytes
// in the encoding they declare) and as text decoded from UTF-8 and from
// Latin-1, with checks of what a read feed must look like. Any crash, sanitizer report or failed check (abort) is a
// finding.
//
//   fuzz_feed fuzz/corpus/fuzz_feed -dict=fuzz/feeds/feed.dict -max_total_time=300
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "DateUtilities.h"
#include "ZFeedObject.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool isTrimmed(const QString &text) { return text == text.trimmed(); }

template <typename Document>
void read(const Document &document) {
  const auto feed = ZFeedObject::createFromXML(document);
  if (!feed) return;
  // Only the service's dialect gets this far.
  check(dynamic_cast<ZZaroRSSFeedObject *>(feed.get()) != nullptr);
  check(feed->id() == 0 && feed->source() == 0);
  check(feed->url().isEmpty() && !feed->url().isNull());
  check(feed->categoriesAsString() == feed->categories().join(QLatin1String(", ")));

  const QList<ZFeedItemRef> items = feed->items();
  for (const ZFeedItemRef &item : items) {
    check(item != nullptr);
    check(!item->title().isNull());  // an item without a title is never made
    check(item->id() == 0 && item->feedId() == 0 && item->videoId() == 0);
    const QString date = item->publishDate();
    check(date.isEmpty() || Utilities::formatDate(Utilities::parseDate(date)) == date);
    for (const QString &category : item->categories()) check(isTrimmed(category));
    // Keywords are split at blanks only: a tag may hold other white space.
    for (const QString &tag : item->tags())
      check(!tag.isEmpty() && !tag.contains(QLatin1Char(' ')));
    check(item->tagsAsString() == item->tags().join(QLatin1String(", ")));
    for (const QString &value : {item->description(), item->publisher(), item->website(),
                                 item->url(), item->guid(), item->publishDate()})
      check(!value.isNull());
  }
  feed->setId(7);
  for (const ZFeedItemRef &item : items) check(item->feedId() == 7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *bytes = reinterpret_cast<const char *>(data);
  read(QByteArray(bytes, qsizetype(size)));
  read(QString::fromLatin1(bytes, qsizetype(size)));
  read(QString::fromUtf8(bytes, qsizetype(size)));
  return 0;
}
