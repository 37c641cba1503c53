#include "BenchLibrary.h"

#include "VideoDatabase.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <ctime>

#include <malloc.h>

namespace BenchLibrary {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}


Span timed(const std::function<void()> &work) {
  const auto start = Clock::now();
  const double cpuStart = cpuSeconds();
  work();
  return {secondsSince(start), cpuSeconds() - cpuStart};
}

double ms(double seconds) { return seconds * 1000.0; }

double minOf(const std::vector<double> &values, size_t from) {
  double best = -1;
  for (size_t i = from; i < values.size(); ++i)
    if (values[i] >= 0 && (best < 0 || values[i] < best)) best = values[i];
  return best;
}

// The best wall and the best CPU time of the runs from `from` on.
Span best(const std::vector<Span> &runs, size_t from) {
  std::vector<double> walls, cpus;
  for (size_t i = from; i < runs.size(); ++i) {
    walls.push_back(runs[i].wall);
    cpus.push_back(runs[i].cpu);
  }
  return {minOf(walls), minOf(cpus)};
}

Span scaled(Span span, double factor) {
  if (span.wall >= 0) span.wall *= factor;
  if (span.cpu >= 0) span.cpu *= factor;
  return span;
}

// Bytes the allocator hands out at the moment.
double heapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return double(info.uordblks) + double(info.hblkhd);
}

// ---- deterministic content ----------------------------------------------------------------


namespace {

const char *const kWords[] = {"mountain",
                              "trail",
                              "review",
                              "weekly",
                              "news",
                              "live",
                              "concert",
                              "cooking",
                              "garden",
                              "city",
                              "night",
                              "river",
                              "ocean",
                              "travel",
                              "guide",
                              "music",
                              "session",
                              "interview",
                              "the",
                              "of",
                              "and",
                              "with",
                              "episode",
                              "season",
                              "finale",
                              "behind",
                              "scenes",
                              "making",
                              "history",
                              "science",
                              "space",
                              "robot",
                              "comedy",
                              "sketch",
                              "drama",
                              "short",
                              "film",
                              "tutorial",
                              "how",
                              "to",
                              "build",
                              "quick",
                              "easy",
                              "best",
                              "top",
                              "ten",
                              "wild",
                              "life",
                              "urban",
                              "street",
                              "food",
                              "market",
                              "morning",
                              "show",
                              "late",
                              "talk",
                              "sports",
                              "highlights",
                              "game",
                              "match",
                              "racing",
                              "classic",
                              "vintage",
                              "retro",
                              "acoustic",
                              "jazz",
                              "it's",
                              "rock'n'roll",
                              "caf\xc3\xa9",
                              "\xc3\xbc"
                              "ber",
                              "na\xc3\xafve",
                              "\xe6\x97\xa5\xe6\x9c\xac",
                              "Z\xc3\xbcrich",
                              "DIY",
                              "2nd",
                              "B-side",
                              "Ace",
                              "zebra",
                              "Yukon",
                              "delta",
                              "Echo"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

}  // namespace

QString word(Rng &rng) { return QString::fromUtf8(kWords[rng.below(kWordCount)]); }

QString words(Rng &rng, int count) {
  QString text;
  for (int i = 0; i < count; ++i) {
    if (i) text += QLatin1Char(' ');
    text += word(rng);
  }
  return text;
}

QString capitalized(QString text) {
  if (!text.isEmpty()) text[0] = text.at(0).toUpper();
  return text;
}

QString titleText(Rng &rng) {
  const QString title = words(rng, 2 + rng.below(6));
  return rng.chance(0.7) ? capitalized(title) : title;
}

QString hex32(Rng &rng) {
  return QStringLiteral("%1%2")
      .arg(rng.next(), 16, 16, QLatin1Char('0'))
      .arg(rng.next(), 16, 16, QLatin1Char('0'));
}

// The service's permalink of library video `id` (unique: the multiplication is
// a bijection on 32-bit numbers).
QString permalinkFor(int id) {
  return QStringLiteral("v") + QString::number(quint32(id) * 2654435761u, 36);
}

QString libraryDate(qint64 secondsSinceEpoch) {
  return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)
      .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// An SQL text literal.
QString lit(const QString &text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

qint64 statusKilobytes(const char *field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(field) + ':';
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith(prefix))
      return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
  return -1;
}

// ---- sizes -------------------------------------------------------------------------------------


Scale scaleFor(int videos, int feedItems) {
  Scale s;
  const double f = videos / 100000.0;
  auto part = [f](int full) { return std::max(1, int(std::lround(full * f))); };
  s.videos = videos;
  s.publishers = part(s.publishers);
  s.channels = part(s.channels);
  s.categories = part(s.categories);
  s.tags = part(s.tags);
  s.series = part(s.series);
  s.playlists = part(s.playlists);
  s.deletions = std::min(std::max(1, videos / 2), part(s.deletions));
  s.feedItems = feedItems;
  return s;
}

// ---- building the library --------------------------------------------------------------------

InsertBatch::InsertBatch(VideoDatabase &database, const char *prefix)
    : fDatabase(database), fPrefix(QString::fromLatin1(prefix)) {}

bool InsertBatch::add(const QString &row) {
  fText += fCount ? QStringLiteral(",") : fPrefix;
  fText += row;
  ++fCount;
  if (fCount >= 500 || fText.size() >= 256 * 1024) return flush();
  return true;
}

bool InsertBatch::flush() {
  if (!fCount) return true;
  fText += QLatin1Char(';');
  const bool ok = fDatabase.executeSQL(fText).has_value();
  fText.clear();
  fCount = 0;
  return ok;
}


// Picks `count` distinct numbers 1..n (count small) with `pick`, the forced
// one first when there is one.
QList<int> distinctPicks(int count, int forced, const std::function<int()> &pick) {
  QList<int> picks;
  if (forced > 0) picks.append(forced);
  while (picks.size() < count) {
    const int value = pick();
    if (!picks.contains(value)) picks.append(value);
  }
  return picks;
}

bool buildLibrary(VideoDatabase &db, const Scale &s, Fixture &fixture) {
  Rng rng(20261209);
  if (!db.executeSQL(QStringLiteral("BEGIN;"))) return false;
  bool ok = true;

  // Groups: names unique within a kind, mixed letter case.
  auto groupName = [&rng](int index, const QString &suffix) {
    QString name = words(rng, 1 + rng.below(2));
    if (rng.chance(0.6)) name = capitalized(name);
    return name + QLatin1Char(' ') + suffix + QLatin1Char(' ') + QString::number(index);
  };
  {
    InsertBatch publishers(
        db,
        "INSERT INTO Publishers(id,Name,Description,ImagePath,Permalink,FeedUrl) "
        "VALUES ");
    for (int i = 1; ok && i <= s.publishers; ++i) {
      const QString permalink = QStringLiteral("p") + QString::number(i * 7919, 36);
      ok = publishers.add(
          QStringLiteral("(%1,%2,%3,%4,%5,%6)")
              .arg(i)
              .arg(lit(groupName(i, QStringLiteral("Studio"))),
                   lit(capitalized(words(rng, 8 + rng.below(20)))),
                   lit(QStringLiteral("http://images.zaro.tv/publishers/") + permalink +
                       QStringLiteral(".jpg")),
                   lit(permalink),
                   lit(QStringLiteral("http://www.zaro.tv/rss/publisher/") + permalink)));
    }
    ok = ok && publishers.flush();
    InsertBatch channels(
        db, "INSERT INTO Channels(id,Name,Description,ImagePath,Permalink,FeedUrl) VALUES ");
    for (int i = 1; ok && i <= s.channels; ++i) {
      const QString permalink = QStringLiteral("c") + QString::number(i * 104729, 36);
      ok = channels.add(
          QStringLiteral("(%1,%2,%3,%4,%5,%6)")
              .arg(i)
              .arg(lit(groupName(i, QStringLiteral("Channel"))),
                   lit(capitalized(words(rng, 8 + rng.below(20)))),
                   lit(QStringLiteral("http://images.zaro.tv/channels/") + permalink +
                       QStringLiteral(".jpg")),
                   lit(permalink),
                   lit(QStringLiteral("http://www.zaro.tv/rss/channel/") + permalink)));
    }
    ok = ok && channels.flush();
    InsertBatch categories(
        db, "INSERT INTO Categories(id,Name,Description,ImagePath,Permalink) VALUES ");
    for (int i = 1; ok && i <= s.categories; ++i) {
      ok = categories.add(QStringLiteral("(%1,%2,%3,'',%4)")
                              .arg(i)
                              .arg(lit(groupName(i, QStringLiteral("Topics"))),
                                   lit(capitalized(words(rng, 5 + rng.below(10)))),
                                   lit(QStringLiteral("cat") + QString::number(i))));
    }
    ok = ok && categories.flush();
    InsertBatch tags(db, "INSERT INTO Tags(id,Name) VALUES ");
    for (int i = 1; ok && i <= s.tags; ++i) {
      // Tags are short lower-case words; a number keeps them apart.
      ok = tags.add(QStringLiteral("(%1,%2)").arg(i).arg(
          lit(word(rng).toLower() + QLatin1Char('-') + QString::number(i))));
    }
    ok = ok && tags.flush();
    InsertBatch series(
        db, "INSERT INTO Series(id,Name,Description,ImagePath,Permalink,FeedUrl) VALUES ");
    for (int i = 1; ok && i <= s.series; ++i) {
      const QString permalink = QStringLiteral("s") + QString::number(i * 15485863, 36);
      ok = series.add(QStringLiteral("(%1,%2,%3,%4,%5,%6)")
                          .arg(i)
                          .arg(lit(groupName(i, QStringLiteral("Series"))),
                               lit(capitalized(words(rng, 8 + rng.below(20)))),
                               lit(QStringLiteral("http://images.zaro.tv/series/") + permalink +
                                   QStringLiteral(".jpg")),
                               lit(permalink),
                               lit(QStringLiteral("http://www.zaro.tv/rss/series/") + permalink)));
    }
    ok = ok && series.flush();
  }

  // Videos with their links, in the order they were added.
  fixture.imported.assign(size_t(s.videos) + 1, false);
  InsertBatch videos(
      db,
      "INSERT INTO Videos (id,ReviewState,VIDEO_SAVED,MISC_XML,DRM,DATE_ADDED,PUBLISHER,FILE_HASH,"
      "EXTENSION,IMAGE_PATH,PATH,DESCRIPTION,TITLE,DATE_VIEWED,SUBSCRIPTION_VALUE,"
      "SUBSCRIPTION_TYPE,SIZE,CONTENT_RATING,RATING,DURATION,VIDEO_PERMALINK,SOURCE) VALUES ");
  InsertBatch channelEntries(db, "INSERT INTO ChannelEntries(ChannelId,VideoId) VALUES ");
  InsertBatch categoryEntries(db, "INSERT INTO CategoryEntries(CategoryId,VideoId) VALUES ");
  InsertBatch tagEntries(db, "INSERT INTO TagEntries(TagId,VideoId) VALUES ");
  InsertBatch seriesEntries(db, "INSERT INTO SeriesEntries(SeriesId,VideoId) VALUES ");
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  const qint64 span = 5LL * 365 * 86400;
  const char *const extensions[] = {"mp4", "mp4", "mp4", "mp4", "mp4",
                                    "mp4", "mp4", "mp4", "flv", "mov"};
  int downloaded = 0;  // counts downloaded videos: the first ones cover every group
  for (int id = 1; ok && id <= s.videos; ++id) {
    const bool isImported = rng.chance(0.02);
    fixture.imported[size_t(id)] = isImported;
    qint64 added = now - span + span * (id - 1) / s.videos + rng.below(86400) - 43200;
    added = std::min(added, now - 60);
    QString viewed = QStringLiteral("NULL");
    const double v = rng.unit();
    if (v < 0.6)
      viewed = lit(libraryDate(added + qint64(rng.unit() * double(now - added))));
    else if (v < 0.65)
      viewed = QStringLiteral("''");  // marked new again
    const QString title = titleText(rng);
    const QString permalink = permalinkFor(id);
    const QString extension = QString::fromLatin1(extensions[rng.below(10)]);
    QString path, imagePath, fileHash;
    if (isImported) {
      path = QStringLiteral("/home/user/Videos/") + title + QLatin1Char('_') + QString::number(id) +
             QStringLiteral(".mov");
    } else {
      path = QStringLiteral("/home/user/ZaroMedia/") + permalink + QLatin1Char('.') + extension;
      imagePath =
          QStringLiteral("/home/user/ZaroMedia/Images/") + permalink + QStringLiteral(".jpg");
      fileHash = hex32(rng);
    }
    const int rating = rng.chance(0.7) ? 0 : 1 + rng.below(5);
    const int publisher =
        isImported ? -1
                   : (downloaded < s.publishers ? downloaded + 1 : rng.skewed(s.publishers) + 1);
    QString row;
    row.reserve(700);
    row += QLatin1Char('(') + QString::number(id) + QLatin1Char(',');
    row += rng.chance(0.1) ? QStringLiteral("'approved',") : QStringLiteral("'',");
    row += (isImported || rng.chance(0.1)) ? QStringLiteral("'1',") : QStringLiteral("'0',");
    row += QStringLiteral("'','0',") + lit(libraryDate(added)) + QLatin1Char(',');
    row += QString::number(publisher) + QLatin1Char(',') + lit(fileHash) + QLatin1Char(',');
    row += lit(isImported ? QStringLiteral("mov") : extension) + QLatin1Char(',');
    row += lit(imagePath) + QLatin1Char(',') + lit(path) + QLatin1Char(',');
    row += lit(isImported ? QStringLiteral("Imported from your computer")
                          : capitalized(words(rng, 8 + rng.below(50))) + QLatin1Char('.'));
    row += QLatin1Char(',') + lit(title) + QLatin1Char(',') + viewed + QStringLiteral(",'','',");
    row += QString::number(5000000 + qint64(rng.below(795000000))) + QStringLiteral(",0,");
    row += QString::number(rating) + QLatin1Char(',') + QString::number(30 + rng.below(3570));
    row += QLatin1Char(',') + lit(isImported ? QString() : permalink) + QLatin1Char(',');
    row += isImported ? QStringLiteral("1)") : QStringLiteral("0)");
    ok = videos.add(row);
    if (isImported) continue;

    const QString videoId = QString::number(id);
    auto link = [&](InsertBatch &batch, int group) {
      ok = ok && batch.add(QLatin1Char('(') + QString::number(group) + QLatin1Char(',') + videoId +
                           QLatin1Char(')'));
    };
    if (downloaded < s.channels || rng.chance(0.6))
      link(channelEntries, downloaded < s.channels ? downloaded + 1 : rng.skewed(s.channels) + 1);
    for (int category : distinctPicks(1 + rng.below(std::min(3, s.categories)),
                                      downloaded < s.categories ? downloaded + 1 : 0,
                                      [&] { return rng.skewed(s.categories) + 1; }))
      link(categoryEntries, category);
    for (int tag :
         distinctPicks(1 + rng.below(std::min(5, s.tags)), downloaded < s.tags ? downloaded + 1 : 0,
                       [&] { return rng.skewed(s.tags) + 1; }))
      link(tagEntries, tag);
    if (downloaded < s.series || rng.chance(0.3))
      link(seriesEntries, downloaded < s.series ? downloaded + 1 : rng.skewed(s.series) + 1);
    ++downloaded;
  }
  ok = ok && videos.flush() && channelEntries.flush() && categoryEntries.flush() &&
       tagEntries.flush() && seriesEntries.flush();

  // Playlists of 10 to 500 distinct videos each.
  InsertBatch playlists(db, "INSERT INTO Playlists(id,Name) VALUES ");
  InsertBatch playlistEntries(db, "INSERT INTO PlaylistEntries(PlaylistId,VideoId) VALUES ");
  for (int i = 1; ok && i <= s.playlists; ++i) {
    ok = playlists.add(QStringLiteral("(%1,%2)").arg(i).arg(lit(
        capitalized(words(rng, 1 + rng.below(3))) + QStringLiteral(" mix ") + QString::number(i))));
    const int size = std::min(s.videos, 10 + rng.below(491));
    QSet<int> seen;
    while (ok && seen.size() < size) {
      const int videoId = 1 + rng.below(s.videos);
      if (seen.contains(videoId)) continue;
      seen.insert(videoId);
      ok = playlistEntries.add(QStringLiteral("(%1,%2)").arg(i).arg(videoId));
    }
  }
  ok = ok && playlists.flush() && playlistEntries.flush();
  if (!ok) return false;
  return db.executeSQL(QStringLiteral("COMMIT;")).has_value();
}

// ---- the sqlite3 tool ------------------------------------------------------------------------


QString gScriptFolder;

// Runs each unit (statements on one line) through the tool on the file and
// answers the tool's own run time of each ("Run Time: real R user U sys S").
ToolRun runTool(const QString &database, const QStringList &units) {
  ToolRun run;
  const QString scriptPath = gScriptFolder + QStringLiteral("/reference.sql");
  {
    QFile script(scriptPath);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      run.error = QStringLiteral("cannot write the script");
      return run;
    }
    script.write(".timer on\n.output /dev/null\n");
    for (const QString &unit : units) {
      script.write(unit.toUtf8());
      script.write("\n");
    }
  }
  QProcess tool;
  tool.setStandardInputFile(scriptPath);
  tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), database});
  if (!tool.waitForStarted(30000)) {
    run.error = QStringLiteral("sqlite3 did not start");
    return run;
  }
  tool.waitForFinished(-1);
  const QStringList lines =
      QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'));
  for (const QString &line : lines) {
    if (!line.startsWith(QLatin1String("Run Time: real "))) continue;
    const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Span span;
    if (fields.size() >= 4) span.wall = fields.at(3).toDouble();
    if (fields.size() >= 8) span.cpu = fields.at(5).toDouble() + fields.at(7).toDouble();
    run.units.push_back(span);
  }
  const QString errors = QString::fromUtf8(tool.readAllStandardError()).trimmed();
  run.ok = errors.isEmpty() && tool.exitCode() == 0 && run.units.size() == size_t(units.size());
  if (!run.ok)
    run.error = errors.isEmpty() ? QStringLiteral("unexpected output") : errors.left(300);
  return run;
}

// The unit repeated on one line.
QString repeated(const QString &unit, int times) {
  QString text;
  for (int i = 0; i < times; ++i) {
    if (i) text += QLatin1Char(' ');
    text += unit;
  }
  return text;
}

// Seconds of one run of a whole tool process with these arguments.
double toolProcessSeconds(const QStringList &arguments) {
  QProcess tool;
  tool.setStandardInputFile(QProcess::nullDevice());
  const auto start = Clock::now();
  tool.start(QStringLiteral("sqlite3"), arguments);
  tool.waitForFinished(-1);
  const double seconds = secondsSince(start);
  return tool.exitCode() == 0 ? seconds : -1;
}

QString toolOutput(const QString &database, const QString &sql) {
  QProcess tool;
  tool.setStandardInputFile(QProcess::nullDevice());
  tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), database, sql});
  tool.waitForFinished(-1);
  return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

}  // namespace BenchLibrary
