#include "VideoInfo.h"

#include <QMutex>
#include <QMutexLocker>

#include <bit>
#include <cstring>

namespace {

// The tables made so far, by their list of names. Tables are few (one per
// shape of statement) and live as long as the process.
struct Registry {
  QMutex mutex;
  QHash<QStringList, const VideoInfo::Columns *> tables;
};

Registry &registry() {
  static Registry *shared = new Registry;
  return *shared;
}

}  // namespace

VideoInfo::Columns::Columns(QStringList names) : fNames(std::move(names)) {
  fIndex.reserve(fNames.size());
  for (int i = 0; i < fNames.size(); ++i) fIndex.insert(fNames.at(i), i);
}

int VideoInfo::Columns::indexOf(const QString &name) const {
  // Readers of many rows ask for the same few names, mostly literals: the
  // last names found are remembered by their text's address (one list per
  // thread), and a remembered one is checked against the name itself, which
  // costs less than hashing it.
  struct Memo {
    const Columns *table = nullptr;
    const QChar *text = nullptr;
    int index = -1;
  };
  thread_local Memo memo[4];
  thread_local int next = 0;
  for (const Memo &entry : memo)
    if (entry.table == this && entry.text == name.constData() && fNames.at(entry.index) == name)
      return entry.index;
  const int index = fIndex.value(name, -1);
  if (index >= 0 && !name.isNull()) {
    memo[next] = {this, name.constData(), index};
    next = (next + 1) % 4;
  }
  return index;
}

const VideoInfo::Columns *VideoInfo::Columns::intern(const QStringList &names) {
  QStringList unique;
  unique.reserve(std::min<qsizetype>(names.size(), kMaxColumns));
  for (const QString &name : names) {
    if (unique.size() == kMaxColumns) break;
    if (!unique.contains(name)) unique.append(name);
  }
  Registry &shared = registry();
  QMutexLocker lock(&shared.mutex);
  const Columns *&table = shared.tables[unique];
  if (!table) table = new Columns(unique);
  return table;
}

const VideoInfo::Columns *VideoInfo::Columns::videos() {
  // The columns of the Videos table as created by VideoDatabase, in order.
  static const Columns *const table = intern({QStringLiteral("ResumePlayPos"),
                                              QStringLiteral("ReviewState"),
                                              QStringLiteral("VIDEO_SAVED"),
                                              QStringLiteral("MISC_XML"),
                                              QStringLiteral("DRM"),
                                              QStringLiteral("DATE_ADDED"),
                                              QStringLiteral("PUBLISHER"),
                                              QStringLiteral("FILE_HASH"),
                                              QStringLiteral("EXTENSION"),
                                              QStringLiteral("IMAGE_PATH"),
                                              QStringLiteral("PATH"),
                                              QStringLiteral("DESCRIPTION"),
                                              QStringLiteral("TITLE"),
                                              QStringLiteral("DATE_VIEWED"),
                                              QStringLiteral("SUBSCRIPTION_VALUE"),
                                              QStringLiteral("SUBSCRIPTION_TYPE"),
                                              QStringLiteral("SIZE"),
                                              QStringLiteral("CONTENT_RATING"),
                                              QStringLiteral("RATING"),
                                              QStringLiteral("DURATION"),
                                              QStringLiteral("VIDEO_PERMALINK"),
                                              QStringLiteral("SOURCE"),
                                              QStringLiteral("id")});
  return table;
}

VideoInfo::VideoInfo(std::initializer_list<std::pair<QString, QString>> entries) {
  for (const auto &[key, value] : entries) insert(key, value);
}

VideoInfo::VideoInfo(const SqlRow &row) {
  for (auto it = row.cbegin(); it != row.cend(); ++it) insert(it.key(), it.value());
}

VideoInfo::VideoInfo(const Columns *columns, QList<QString> values)
    : fColumns(columns), fValues(std::move(values)) {
  fValues.resize(columns->size());
  fPresent = columns->size() == 64 ? ~quint64(0) : (quint64(1) << columns->size()) - 1;
}

VideoInfo VideoInfo::fromUtf8(const Columns *columns, const QByteArrayView *texts) {
  const int count = columns->size();
  const qsizetype header = qsizetype(sizeof(quint32)) * count;
  qsizetype total = header;
  for (int i = 0; i < count; ++i) total += texts[i].size();
  VideoInfo row;
  row.fColumns = columns;
  row.fPresent = count == 64 ? ~quint64(0) : (quint64(1) << count) - 1;
  row.fPacked = QByteArray(total, Qt::Uninitialized);
  char *out = row.fPacked.data();
  quint32 end = 0;
  for (int i = 0; i < count; ++i) {
    if (!texts[i].isEmpty()) std::memcpy(out + header + end, texts[i].data(), texts[i].size());
    end += quint32(texts[i].size());
    std::memcpy(out + sizeof(quint32) * i, &end, sizeof end);
  }
  return row;
}

QByteArrayView VideoInfo::packedText(int index) const {
  const char *data = fPacked.constData();
  quint32 start = 0, end = 0;
  if (index > 0) std::memcpy(&start, data + sizeof(quint32) * (index - 1), sizeof start);
  std::memcpy(&end, data + sizeof(quint32) * index, sizeof end);
  const qsizetype header = qsizetype(sizeof(quint32)) * fColumns->size();
  return QByteArrayView(data + header + start, qsizetype(end - start));
}

QString VideoInfo::valueAt(int index) const {
  if (!packed()) return fValues.at(index);
  const QByteArrayView text = packedText(index);
  // Values read from the database are never null: "" stands for NULL too.
  return text.isEmpty() ? QStringLiteral("") : QString::fromUtf8(text);
}

bool VideoInfo::valueEquals(int index, QUtf8StringView text) const {
  if (packed()) return packedText(index) == QByteArrayView(text.data(), text.size());
  return QAnyStringView::equal(fValues.at(index), text);
}

std::optional<QByteArrayView> VideoInfo::packedUtf8(const QString &key) const {
  if (!packed()) return std::nullopt;
  const int index = fColumns->indexOf(key);
  if (index < 0 || !has(index)) return std::nullopt;
  return packedText(index);
}

void VideoInfo::unpack() {
  if (!packed()) return;
  QList<QString> values(fColumns->size());
  for (int i = 0; i < fColumns->size(); ++i) values[i] = valueAt(i);
  fValues = std::move(values);
  fPacked = QByteArray();
}

SqlRow VideoInfo::toSqlRow() const {
  SqlRow row = fOther;
  if (fColumns)
    for (int i = 0; i < fColumns->size(); ++i)
      if (has(i)) row.insert(fColumns->name(i), valueAt(i));
  return row;
}

QString VideoInfo::value(const QString &key) const { return value(key, QString()); }

QString VideoInfo::value(const QString &key, const QString &defaultValue) const {
  if (fColumns) {
    const int index = fColumns->indexOf(key);
    if (index >= 0) return has(index) ? valueAt(index) : defaultValue;
  }
  return fOther.value(key, defaultValue);
}

bool VideoInfo::contains(const QString &key) const {
  if (fColumns) {
    const int index = fColumns->indexOf(key);
    if (index >= 0) return has(index);
  }
  return fOther.contains(key);
}

std::optional<QString> VideoInfo::lookup(const QString &key) const {
  if (fColumns) {
    const int index = fColumns->indexOf(key);
    if (index >= 0) return has(index) ? std::optional<QString>(valueAt(index)) : std::nullopt;
  }
  const auto it = fOther.constFind(key);
  return it == fOther.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

qsizetype VideoInfo::size() const { return std::popcount(fPresent) + fOther.size(); }

QStringList VideoInfo::keys() const {
  QStringList out;
  out.reserve(size());
  if (fColumns)
    for (int i = 0; i < fColumns->size(); ++i)
      if (has(i)) out.append(fColumns->name(i));
  out.append(fOther.keys());
  return out;
}

int VideoInfo::slotForInsert(const QString &key) {
  unpack();
  if (!fColumns) {
    // A row put together by hand: its Videos columns go to the shared table.
    if (Columns::videos()->indexOf(key) < 0) return -1;
    fColumns = Columns::videos();
    fValues.resize(fColumns->size());
  }
  return fColumns->indexOf(key);
}

void VideoInfo::insert(const QString &key, const QString &value) {
  const int index = slotForInsert(key);
  if (index < 0) {
    fOther.insert(key, value);
    return;
  }
  fValues[index] = value;
  fPresent |= quint64(1) << index;
}

QString &VideoInfo::operator[](const QString &key) {
  const int index = slotForInsert(key);
  if (index < 0) return fOther[key];
  fPresent |= quint64(1) << index;
  return fValues[index];
}

qsizetype VideoInfo::remove(const QString &key) {
  if (fColumns) {
    const int index = fColumns->indexOf(key);
    if (index >= 0) {
      if (!has(index)) return 0;
      unpack();
      fPresent &= ~(quint64(1) << index);
      fValues[index] = QString();
      return 1;
    }
  }
  return fOther.remove(key) ? 1 : 0;
}

void VideoInfo::clear() { *this = VideoInfo(); }

bool VideoInfo::isFullRowOf(const Columns *columns) const {
  return fColumns == columns && fOther.isEmpty() &&
         std::popcount(fPresent) == (columns ? columns->size() : 0);
}

bool VideoInfo::operator==(const VideoInfo &other) const {
  if (fColumns == other.fColumns && fPresent == other.fPresent) {
    if (fOther != other.fOther) return false;
    if (packed() && other.packed()) return fPacked == other.fPacked;
    for (int i = 0; fColumns && i < fColumns->size(); ++i)
      if (has(i) && valueAt(i) != other.valueAt(i)) return false;
    return true;
  }
  if (size() != other.size()) return false;
  if (fColumns)
    for (int i = 0; i < fColumns->size(); ++i) {
      if (!has(i)) continue;
      const QString &key = fColumns->name(i);
      if (!other.contains(key) || other.value(key) != valueAt(i)) return false;
    }
  for (auto it = fOther.cbegin(); it != fOther.cend(); ++it)
    if (!other.contains(it.key()) || other.value(it.key()) != it.value()) return false;
  return true;
}
