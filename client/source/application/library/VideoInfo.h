#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUtf8StringView>

#include <initializer_list>
#include <optional>
#include <utility>

// One result row of a statement: column name as SQLite reports it -> text.
using SqlRow = QHash<QString, QString>;
using SqlRows = QList<SqlRow>;

// One library video: a Videos row keyed by its column names ("id", "TITLE",
// "PATH", ...), every value a string, "" for NULL.
//
// It reads like a QHash<QString, QString>, but the library keeps one per video
// in memory, so it is stored compactly: a pointer to a shared, immutable table
// of column names (one per distinct list of names, made once and kept for the
// life of the process) and the values in the table's order. A row read from
// the database keeps its values packed, as UTF-8 in one block with their end
// offsets, and makes a QString only for the value asked for; the first change
// unpacks it into one QString per column. A key that is not in the table
// (only ever inserted by hand) lives in a small side dictionary that is empty
// for rows read from the database.
class VideoInfo {
 public:
  // A shared list of column names with its name -> position look-up. Tables
  // hold at most kMaxColumns names.
  class Columns {
   public:
    static constexpr int kMaxColumns = 64;

    // The one table for these names (duplicates dropped, at most kMaxColumns
    // kept). Thread safe; the table is never freed.
    static const Columns *intern(const QStringList &names);
    // The Videos columns in their declared order and case.
    static const Columns *videos();

    int size() const { return int(fNames.size()); }
    const QString &name(int index) const { return fNames.at(index); }
    // The position of the name, -1 when the table does not hold it.
    int indexOf(const QString &name) const;

   private:
    explicit Columns(QStringList names);
    QStringList fNames;
    QHash<QString, int> fIndex;
  };

  VideoInfo() = default;
  VideoInfo(std::initializer_list<std::pair<QString, QString>> entries);
  explicit VideoInfo(const SqlRow &row);
  // A full row over a table: values[i] belongs to columns->name(i); columns
  // beyond the values hold a null string.
  VideoInfo(const Columns *columns, QList<QString> values);
  // A full row over a table, packed: texts[i] is the UTF-8 text of
  // columns->name(i) (a null view reads as ""), for each of the table's names.
  static VideoInfo fromUtf8(const Columns *columns, const QByteArrayView *texts);

  SqlRow toSqlRow() const;

  // The QHash reading interface.
  QString value(const QString &key) const;
  QString value(const QString &key, const QString &defaultValue) const;
  bool contains(const QString &key) const;
  // The stored value, nothing when the key is missing (QHash's constFind).
  std::optional<QString> lookup(const QString &key) const;
  qsizetype size() const;
  qsizetype count() const { return size(); }
  bool isEmpty() const { return size() == 0; }
  // The keys present, the table's columns first (QHash gives no order either).
  QStringList keys() const;
  QString operator[](const QString &key) const { return value(key); }

  // The QHash writing interface.
  void insert(const QString &key, const QString &value);
  // Inserts an empty value when the key is missing, like QHash.
  QString &operator[](const QString &key);
  qsizetype remove(const QString &key);
  void clear();
  // Kept for code written against QHash; the storage grows by table.
  void reserve(qsizetype) {}

  // Same keys with the same values, however each side stores them.
  bool operator==(const VideoInfo &other) const;
  bool operator!=(const VideoInfo &other) const { return !(*this == other); }

  // Low-level access for the database's row reader.
  const Columns *columns() const { return fColumns; }
  // True when every column of the table is present and there is no other key.
  bool isFullRowOf(const Columns *columns) const;
  // The value of table column index (present) equals the UTF-8 text.
  bool valueEquals(int index, QUtf8StringView text) const;
  // The value's UTF-8 text as a packed row keeps it, without a copy; nothing
  // when the row is not packed or the key is missing.
  std::optional<QByteArrayView> packedUtf8(const QString &key) const;

 private:
  bool has(int index) const { return (fPresent >> index) & 1; }
  bool packed() const { return !fPacked.isNull(); }
  // The UTF-8 text of column index of a packed row.
  QByteArrayView packedText(int index) const;
  QString valueAt(int index) const;
  // Turns a packed row into one QString per column, before a change.
  void unpack();
  // The table position for the key, adopting the Videos table on a first
  // insert of one of its columns; -1 for a key kept aside.
  int slotForInsert(const QString &key);

  const Columns *fColumns = nullptr;
  quint64 fPresent = 0;  // bit i: column i holds a value
  // A packed row: the end offset of each value (quint32, in table order),
  // then the values' UTF-8 texts one after the other. Null when unpacked.
  QByteArray fPacked;
  QList<QString> fValues;          // unpacked: in the table's order; size() == table size
  QHash<QString, QString> fOther;  // keys outside the table
};
