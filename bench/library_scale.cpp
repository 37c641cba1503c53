// library_scale: the library database, its browse list and feed saving at the
// scale of a large collection, each operation timed next to the sqlite3
// command-line tool doing the equivalent raw SQL on the same file in the same
// run.
//
// In a throw-away HOME it builds a library of 100,000 videos (2,000
// publishers, 500 channels, 200 categories, 5,000 tags, 1,000 series, 200
// playlists of 10 to 500 videos) in the file and schema the library itself
// creates. Every downloaded video has a publisher, 0-1 channel, 1-3
// categories, 1-5 tags and 0-1 series (popular groups hold many videos, the
// long tail few); 2% are imported files without any grouping. Dates added
// spread over five years; about 60% of the videos were viewed, 10% are saved.
// Then it times:
//   - opening the library (a fresh VideoDatabase + openDatabase) and
//     getAllVideos: cold (the first call of the process, and the best of 3
//     fresh instances with an empty video cache) and warm;
//   - the browse-list rebuild in modes 0, 1, 2, 4, 5 and 9 (best of 3);
//   - saving a 5,000-item feed read from a feed document, new and then again
//     unchanged (3,000 of its items are then linked to library videos, as
//     downloads would);
//   - deleting 1,000 videos (deleteVideosWithIds).
// It also reports what the video cache and the browse list occupy on the
// heap, and what one cached row costs.
//
// Goals: every operation's wall time within 3x its raw-SQL reference (the
// faster of the reference forms shown), the new feed saved in under a second,
// peak memory (VmHWM of this process, which also built the library) under
// 300 MB. A missed goal is printed as MISSED; the program exits 0 all the
// same. Next to the wall times stand CPU times (ours: the process's CPU
// clock; the tool's: its user + system time): on a machine shared with other
// work they are the steadier figures.
//
// How the raw-SQL reference is measured: the sqlite3 tool reads a script of
// ".timer on", ".output /dev/null" and one line per measured unit. The tool
// runs all statements of one input line as one unit and prints "Run Time: real
// R user U sys S" for it on standard output, while the result rows go to
// /dev/null. That figure is the tool's own work (preparing and stepping the
// statements, formatting every result row, committing) without its process
// start-up. The tool's wall clock counts whole milliseconds, so short units
// are repeated on their line and the time divided. Opening happens outside
// any statement, so for it whole processes are timed: the tool on the library
// running a first query that loads the schema, minus the tool on an in-memory
// database running a trivial query (the best of 15 runs of each). Writes (the
// deletion, the feed) are measured on byte-identical copies of the library
// file taken just before our operation, so both sides start from the same
// rows.
//
// Two reference forms are shown where they differ: the statements by which
// the library defines the operation (one query per group, one statement per
// video or item, in one transaction) and the leanest set-based form. Saving
// an unchanged feed is compared with a plain select of the feed and its
// items.
//
// Usage: library_scale [videos=100000] [feed items=5000] [--keep]
//   Smaller libraries scale every count with the number of videos (useful
//   under a profiler). --keep leaves the sandbox folder in place.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <malloc.h>

#include "BenchLibrary.h"
#include "FeedDatabase.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFeedObject.h"
#include "ZFolderManager.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZPlaylistDataSource.h"

namespace {

using namespace BenchLibrary;

QString xmlEscaped(const QString &text) {
  QString out = text;
  out.replace(QLatin1Char('&'), QLatin1String("&amp;"));
  out.replace(QLatin1Char('<'), QLatin1String("&lt;"));
  out.replace(QLatin1Char('>'), QLatin1String("&gt;"));
  out.replace(QLatin1Char('"'), QLatin1String("&quot;"));
  return out;
}

// A feed document of the service's RSS dialect. Items listed first in
// `linked` name library videos; the rest name videos the library lacks.
QString feedDocument(int itemCount, const QList<int> &linked) {
  Rng rng(77);
  QString xml;
  xml.reserve(itemCount * 900 + 1024);
  xml += QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
      "xmlns:zaro=\"http://www.zaro.tv/rss/\">\n<channel>\n"
      "<title>Zaro Weekly Picks</title>\n<link>http://www.zaro.tv/channel/weekly</link>\n"
      "<description>The week&apos;s best videos &amp; more</description>\n"
      "<itunes:author>Zaro Editors</itunes:author>\n"
      "<itunes:category text=\"Entertainment\"/>\n<itunes:category text=\"Music\"/>\n"
      "<zaro:permalinkId>cweekly</zaro:permalinkId>\n");
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  for (int i = 0; i < itemCount; ++i) {
    const QString permalink = i < linked.size() ? permalinkFor(linked.at(i))
                                                : QStringLiteral("f") + QString::number(i, 36);
    const QDateTime published =
        QDateTime::currentDateTimeUtc().addSecs(-qint64(i) * 3600 - rng.below(3600));
    const QDate d = published.date();
    const QString pubDate = QStringLiteral("%1,%2 %3 %4 %5 GMT")
                                .arg(QLatin1String(days[d.dayOfWeek() - 1]))
                                .arg(d.day(), 2, 10, QLatin1Char('0'))
                                .arg(QLatin1String(months[d.month() - 1]))
                                .arg(d.year())
                                .arg(published.time().toString(QStringLiteral("hh:mm:ss")));
    const QString watch = QStringLiteral("http://www.zaro.tv/watch/") + permalink;
    xml += QStringLiteral("<item>\n<title>") + xmlEscaped(titleText(rng)) +
           QStringLiteral("</title>\n<link>") + watch + QStringLiteral("</link>\n<description>") +
           xmlEscaped(capitalized(words(rng, 8 + rng.below(40)))) +
           QStringLiteral("</description>\n<itunes:author>") +
           xmlEscaped(capitalized(words(rng, 2))) + QStringLiteral("</itunes:author>\n<guid>") +
           watch + QStringLiteral("</guid>\n<pubDate>") + pubDate +
           QStringLiteral("</pubDate>\n<itunes:duration>") + QString::number(30 + rng.below(3570)) +
           QStringLiteral("</itunes:duration>\n<zaro:permalinkId>") + permalink +
           QStringLiteral("</zaro:permalinkId>\n<enclosure url=\"http://cache.zaro.tv/") +
           permalink + QStringLiteral(".mp4\" type=\"video/mp4\"/>\n");
    for (int c = 1 + rng.below(3); c > 0; --c)
      xml += QStringLiteral("<category>") + xmlEscaped(capitalized(word(rng))) +
             QStringLiteral("</category>\n");
    xml += QStringLiteral("<itunes:keywords>") + xmlEscaped(words(rng, 1 + rng.below(5))) +
           QStringLiteral("</itunes:keywords>\n</item>\n");
  }
  xml += QStringLiteral("</channel>\n</rss>\n");
  return xml;
}

bool copyFile(const QString &from, const QString &to) {
  QFile::remove(to);
  return QFile::copy(from, to);
}

// ---- reporting -------------------------------------------------------------------------------

struct Result {
  QString name;
  Span ours;
  Span reference;  // the faster reference form (by wall time); wall -1 when there is none
  QString note;
};

std::vector<Result> gResults;

QString ratioText(double ours, double reference) {
  if (ours < 0 || reference <= 0) return QStringLiteral("-");
  return QString::number(ours / reference, 'f', 2);
}

QString cpuText(double cpu) {
  return cpu < 0 ? QStringLiteral("") : QStringLiteral("(cpu %1)").arg(ms(cpu), 0, 'f', 2);
}

void report(const QString &name, Span ours, const std::vector<std::pair<QString, Span>> &forms,
            const QString &note = QString()) {
  Result result{name, ours, Span(), note};
  std::printf("  %-30s ours %9.2f ms %-16s\n", name.toUtf8().constData(), ms(ours.wall),
              cpuText(ours.cpu).toUtf8().constData());
  for (const auto &[form, span] : forms) {
    if (span.wall < 0) {
      std::printf("  %-30s raw  %9s    %-16s (%s)\n", "", "n/a", "", form.toUtf8().constData());
      continue;
    }
    std::printf("  %-30s raw  %9.2f ms %-16s ratio %6s, cpu %6s  (%s)\n", "", ms(span.wall),
                cpuText(span.cpu).toUtf8().constData(),
                ratioText(ours.wall, span.wall).toUtf8().constData(),
                ratioText(ours.cpu, span.cpu).toUtf8().constData(), form.toUtf8().constData());
    if (result.reference.wall < 0 || span.wall < result.reference.wall) result.reference = span;
  }
  if (!note.isEmpty()) std::printf("  %-30s %s\n", "", note.toUtf8().constData());
  gResults.push_back(result);
}


// Groups and video entries of the browse list as it stands.
std::pair<int, qint64> listShape(const ZLibraryBrowseListDataSource &list) {
  int groups = 0;
  qint64 entries = 0;
  for (const auto &row : list.objects()) {
    if (row->asContainer())
      ++groups;
    else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList())
      entries += videos->count();
  }
  return {groups, entries};
}

qint64 countOf(VideoDatabase &db, const QString &sql) {
  const auto rows = db.executeSQL(sql);
  if (!rows || rows->isEmpty()) return -1;
  return rows->first().value(QStringLiteral("n")).toLongLong();
}

}  // namespace

int main(int argc, char **argv) {
  int videoCount = 100000;
  int feedItems = 5000;
  bool keep = false;
  int position = 0;
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "--keep") {
      keep = true;
    } else if (position == 0) {
      videoCount = std::max(10, arg.toInt());
      ++position;
    } else {
      feedItems = std::max(1, arg.toInt());
    }
  }
  const Scale s = scaleFor(videoCount, feedItems);

  // A fresh HOME before Qt starts: settings, the application folder and the
  // library all live in the sandbox.
  QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/zaro-library-scale-XXXXXX"));
  if (!sandbox.isValid()) {
    std::fprintf(stderr, "cannot make a temporary folder\n");
    return 1;
  }
  sandbox.setAutoRemove(!keep);
  const QString root = sandbox.path();
  const QByteArray home = (root + QStringLiteral("/home")).toLocal8Bit();
  QDir().mkpath(QString::fromLocal8Bit(home));
  qputenv("HOME", home);
  qputenv("XDG_DATA_HOME", home + "/.local/share");
  qputenv("XDG_CONFIG_HOME", home + "/.config");
  qputenv("XDG_CACHE_HOME", home + "/.cache");
  qputenv("ZARO_PREVIOUS_LIBRARY_DIR", (root + QStringLiteral("/previous/")).toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication app(argc, argv);
  gScriptFolder = root;

  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  Preferences::registerBatchA(defaults);
  defaults.setString(root + QStringLiteral("/media"), QStringLiteral("DownloadLocation"));
  ZFolderManager folders(defaults);

  VideoDatabase::Paths paths;
  paths.databaseDirectory = root + QStringLiteral("/home/.local/share/Zaro Player");
  paths.databasePath = paths.databaseDirectory + QStringLiteral("/ZaroPlayer.db");
  paths.lockPath = root + QStringLiteral("/db.lock");
  paths.databaseDirectoryForVersion2 = root + QStringLiteral("/previous/");
  paths.databasePathForVersion2 = paths.databaseDirectoryForVersion2 + QStringLiteral("zaro.db");
  paths.lockPathForVersion2 = root + QStringLiteral("/dbv2.lock");
  const QString dbPath = paths.databasePath;

  const bool haveTool = toolProcessSeconds({QStringLiteral("-version")}) >= 0;
  std::printf(
      "library_scale: %d videos, %d publishers, %d channels, %d categories, %d tags, "
      "%d series, %d playlists; feed of %d items; deleting %d videos\n",
      s.videos, s.publishers, s.channels, s.categories, s.tags, s.series, s.playlists, s.feedItems,
      s.deletions);
  std::printf("sandbox: %s%s\n", root.toUtf8().constData(), keep ? " (kept)" : "");
  if (!haveTool) std::printf("the sqlite3 tool is not available: no raw references\n");

  // ---- the library file ----
  Fixture fixture;
  {
    const auto start = Clock::now();
    VideoDatabase builder(paths, &folders);
    if (!builder.createDatabase() || !buildLibrary(builder, s, fixture)) {
      std::fprintf(stderr, "building the library failed\n");
      return 1;
    }
    std::printf("built the library in %.2f s (%.1f MB file); VmHWM so far %.1f MB\n\n",
                secondsSince(start), double(QFileInfo(dbPath).size()) / 1e6,
                double(statusKilobytes("VmHWM")) / 1024.0);
  }

  // ---- opening and the whole list ----
  std::printf("Opening and listing\n");
  std::unique_ptr<VideoDatabase> db;
  const Span openFirst = timed([&] {
    db = std::make_unique<VideoDatabase>(paths, &folders);
    db->openDatabase();
  });
  QList<int> all;
  const double heapBeforeList = heapBytes();
  const Span allFirst = timed([&] { all = db->getAllVideos(); });
  const double cacheBytes = heapBytes() - heapBeforeList;
  // Cold again: fresh instances, each starting with an empty video cache
  // (one cache alive at a time). The last one stays for what follows.
  std::vector<Span> allColdRuns{allFirst};
  for (int i = 0; i < 2; ++i) {
    db.reset();
    db = std::make_unique<VideoDatabase>(paths, &folders);
    db->openDatabase();
    allColdRuns.push_back(timed([&] { all = db->getAllVideos(); }));
  }
  std::vector<Span> allWarmRuns;
  for (int i = 0; i < 3; ++i) allWarmRuns.push_back(timed([&] { all = db->getAllVideos(); }));
  std::vector<Span> openAgainRuns;
  for (int i = 0; i < 5; ++i)
    openAgainRuns.push_back(timed([&] { VideoDatabase(paths, &folders).openDatabase(); }));

  Span openReference;
  std::vector<Span> allColdReference;  // the first unit of fresh tool processes
  Span allWarmReference;
  const QString allSql = QStringLiteral("SELECT * FROM Videos ORDER BY TITLE COLLATE NOCASE;");
  if (haveTool) {
    std::vector<double> withFile, bare;
    for (int i = 0; i < 15; ++i) {
      withFile.push_back(
          toolProcessSeconds({QStringLiteral("-batch"), dbPath,
                              QStringLiteral("SELECT count(*) FROM sqlite_master;")}));
      bare.push_back(toolProcessSeconds(
          {QStringLiteral("-batch"), QStringLiteral(":memory:"), QStringLiteral("SELECT 1;")}));
    }
    openReference.wall = std::max(0.0, minOf(withFile) - minOf(bare));
    std::vector<Span> warm;
    for (int i = 0; i < 3; ++i) {
      const ToolRun run = runTool(
          dbPath, i == 0 ? QStringList{allSql, allSql, allSql, allSql} : QStringList{allSql});
      if (!run.ok) {
        std::printf("  reference failed: %s\n", run.error.toUtf8().constData());
        continue;
      }
      allColdReference.push_back(run.first());
      for (size_t u = 1; u < run.units.size(); ++u) warm.push_back(run.units[u]);
    }
    allWarmReference = best(warm);
  }
  report(QStringLiteral("open library (first)"), openFirst,
         {{QStringLiteral("tool process minus bare process"), openReference}},
         QStringLiteral("opening again, best of 5: %1 ms")
             .arg(ms(best(openAgainRuns).wall), 0, 'f', 2));
  report(QStringLiteral("getAllVideos cold, first call"), allFirst,
         {{QStringLiteral("first query of a fresh tool"),
           allColdReference.empty() ? Span() : allColdReference.front()}},
         QStringLiteral("%1 ids; the video cache took %2 MB of heap (%3 bytes a video)")
             .arg(all.size())
             .arg(cacheBytes / 1e6, 0, 'f', 1)
             .arg(all.isEmpty() ? 0.0 : cacheBytes / double(all.size()), 0, 'f', 0));
  report(QStringLiteral("getAllVideos cold, best of 3"), best(allColdRuns),
         {{QStringLiteral("first query of 3 fresh tools, best"), best(allColdReference)}},
         QStringLiteral("fresh instances with an empty cache"));
  report(QStringLiteral("getAllVideos warm, best of 3"), best(allWarmRuns),
         {{QStringLiteral("later runs in the tool, best"), allWarmReference}});

  // What one cached row costs: the dictionary with its 23 keys but no text,
  // against the whole row.
  if (!all.isEmpty()) {
    const std::optional<VideoInfo> sample = db->getVideoInfo(all.first());
    const QStringList keys = sample ? sample->keys() : QStringList();
    std::vector<VideoInfo> shells;
    shells.reserve(1000);
    const double before = heapBytes();
    for (int i = 0; i < 1000; ++i) {
      VideoInfo shell;
      shell.reserve(keys.size());
      for (const QString &key : keys) shell.insert(key, QString());
      shells.push_back(std::move(shell));
    }
    const double shellBytes = (heapBytes() - before) / 1000.0;
    std::printf(
        "  a cached row: %.0f bytes in all, of which %.0f bytes are the dictionary of %lld "
        "keys without any text\n",
        cacheBytes / double(all.size()), shellBytes, qlonglong(keys.size()));
  }
  std::printf("  VmHWM after the cold lists: %.1f MB\n\n",
              double(statusKilobytes("VmHWM")) / 1024.0);

  // ---- the browse list ----
  std::printf("Browse list rebuilds (best of 3; first run in the note)\n");
  {
    const double heapBeforeList = heapBytes();
    auto playlists = std::make_unique<ZPlaylistDataSource>(*db);
    auto list = std::make_unique<ZLibraryBrowseListDataSource>(*db, *playlists);

    struct GroupKind {
      const char *groups;       // the group table
      const char *entries;      // its link table, null for publishers
      const char *groupColumn;  // the link table's group column
    };
    auto groupIds = [&](const char *table) {
      QList<int> ids;
      const auto rows =
          db->executeSQL(QStringLiteral("SELECT id FROM %1 ORDER BY Name COLLATE NOCASE;")
                             .arg(QLatin1String(table)));
      if (rows)
        for (const SqlRow &row : *rows) ids.append(row.value(QStringLiteral("id")).toInt());
      return ids;
    };

    for (const int mode : {0, 1, 2, 4, 5, 9}) {
      std::vector<Span> runs;
      for (int i = 0; i < 3; ++i)
        runs.push_back(timed([&] { list->reloadForBrowsingBy(mode, true); }));
      const auto [groups, entries] = listShape(*list);

      // What the list must hold, counted by the database itself.
      qint64 expectedGroups = 0, expectedEntries = 0;
      QString definedUnit, singleUnit;
      if (mode == 0 || mode == 4 || mode == 5) {
        if (mode == 0) definedUnit = allSql;
        if (mode == 4)
          definedUnit =
              QStringLiteral("SELECT * FROM Videos ORDER BY DATE_ADDED COLLATE NOCASE DESC;");
        if (mode == 5)
          definedUnit = QStringLiteral(
              "SELECT * FROM Videos WHERE DATE_VIEWED='' OR DATE_VIEWED IS NULL ORDER BY "
              "DATE_ADDED DESC;");
        expectedEntries =
            countOf(*db, mode == 5 ? QStringLiteral("SELECT count(*) AS n FROM Videos WHERE "
                                                    "DATE_VIEWED='' OR DATE_VIEWED IS NULL;")
                                   : QStringLiteral("SELECT count(*) AS n FROM Videos;"));
        expectedGroups = mode == 4 ? groups : 0;  // date groups are not counted here
      } else if (mode == 1) {
        definedUnit = QStringLiteral("SELECT * FROM Publishers ORDER BY Name COLLATE NOCASE;");
        for (int id : groupIds("Publishers"))
          definedUnit += QStringLiteral(
                             " SELECT * FROM Videos WHERE PUBLISHER = %1 ORDER BY TITLE COLLATE "
                             "NOCASE;")
                             .arg(id);
        definedUnit += QStringLiteral(
            " SELECT id FROM Videos WHERE PUBLISHER = -1 ORDER BY TITLE COLLATE NOCASE;");
        singleUnit = QStringLiteral(
            "SELECT * FROM Publishers ORDER BY Name COLLATE NOCASE; SELECT PUBLISHER, id FROM "
            "Videos ORDER BY PUBLISHER, TITLE COLLATE NOCASE;");
        const qint64 without =
            countOf(*db, QStringLiteral("SELECT count(*) AS n FROM Videos WHERE PUBLISHER = -1;"));
        expectedGroups =
            countOf(*db, QStringLiteral("SELECT count(*) AS n FROM Publishers;")) + (without > 0);
        expectedEntries = countOf(*db, QStringLiteral("SELECT count(*) AS n FROM Videos WHERE "
                                                      "PUBLISHER = -1 OR PUBLISHER IN (SELECT id "
                                                      "FROM Publishers);"));
      } else {
        const GroupKind kind = mode == 2 ? GroupKind{"Categories", "CategoryEntries", "CategoryId"}
                                         : GroupKind{"Tags", "TagEntries", "TagId"};
        const QString groupsTable = QLatin1String(kind.groups);
        const QString entriesTable = QLatin1String(kind.entries);
        const QString column = QLatin1String(kind.groupColumn);
        const QString withoutSql =
            QStringLiteral(
                "SELECT id FROM Videos WHERE id NOT IN (SELECT VideoId FROM %1) ORDER "
                "BY TITLE COLLATE NOCASE;")
                .arg(entriesTable);
        definedUnit =
            QStringLiteral("SELECT * FROM %1 ORDER BY Name COLLATE NOCASE;").arg(groupsTable);
        for (int id : groupIds(kind.groups))
          definedUnit += QStringLiteral(
                             " SELECT * FROM %1, Videos WHERE %2 = %3 AND %1.VideoId = VIDEOS.id "
                             "ORDER BY TITLE COLLATE NOCASE;")
                             .arg(entriesTable, column)
                             .arg(id);
        definedUnit += QLatin1Char(' ') + withoutSql;
        singleUnit = QStringLiteral(
                         "SELECT * FROM %1 ORDER BY Name COLLATE NOCASE; SELECT %2.%3, Videos.id "
                         "FROM %2, Videos WHERE %2.VideoId = Videos.id ORDER BY %2.%3, "
                         "Videos.TITLE COLLATE NOCASE; ")
                         .arg(groupsTable, entriesTable, column) +
                     withoutSql;
        const qint64 without =
            countOf(*db, QStringLiteral("SELECT count(*) AS n FROM Videos WHERE id NOT IN (SELECT "
                                        "VideoId FROM %1);")
                             .arg(entriesTable));
        expectedGroups =
            countOf(*db, QStringLiteral("SELECT count(*) AS n FROM %1;").arg(groupsTable)) +
            (without > 0);
        expectedEntries = without + countOf(*db, QStringLiteral("SELECT count(*) AS n FROM %1 "
                                                                "WHERE VideoId IN (SELECT id "
                                                                "FROM Videos);")
                                                     .arg(entriesTable));
      }

      std::vector<std::pair<QString, Span>> forms;
      if (haveTool) {
        const ToolRun defined = runTool(dbPath, {definedUnit, definedUnit, definedUnit});
        forms.push_back({singleUnit.isEmpty() ? QStringLiteral("its query")
                                              : QStringLiteral("one query per group"),
                         defined.ok ? best(defined.units) : Span()});
        if (!defined.ok)
          std::printf("  reference failed: %s\n", defined.error.toUtf8().constData());
        if (!singleUnit.isEmpty()) {
          const ToolRun single = runTool(dbPath, {singleUnit, singleUnit, singleUnit});
          forms.push_back(
              {QStringLiteral("one joined query"), single.ok ? best(single.units) : Span()});
          if (!single.ok)
            std::printf("  reference failed: %s\n", single.error.toUtf8().constData());
        }
      }
      const bool shapeOk = groups == expectedGroups && entries == expectedEntries;
      report(QStringLiteral("browse mode %1, best of 3").arg(mode), best(runs), forms,
             QStringLiteral("first run %1 ms; %2 groups, %3 video entries (%4)")
                 .arg(ms(runs.front().wall), 0, 'f', 2)
                 .arg(groups)
                 .arg(entries)
                 .arg(shapeOk ? QStringLiteral("as the database counts")
                              : QStringLiteral("MISMATCH: expected %1 groups, %2 entries")
                                    .arg(expectedGroups)
                                    .arg(expectedEntries)));
    }
    std::printf("  the list in mode 9 holds %.1f MB of heap\n",
                (heapBytes() - heapBeforeList) / 1e6);
    // The list and the playlist model would rebuild on every change below;
    // the operations are measured on their own.
    list.reset();
    playlists.reset();
  }
  std::printf("  VmHWM after the browse list: %.1f MB\n\n",
              double(statusKilobytes("VmHWM")) / 1024.0);

  // ---- the feed ----
  std::printf("Saving a %d-item feed\n", s.feedItems);
  {
    QList<int> linked;  // downloaded library videos named by 60% of the items
    {
      Rng rng(99);
      QSet<int> seen;
      const int wanted = std::min(s.feedItems * 3 / 5, s.videos / 4);
      while (linked.size() < wanted) {
        const int id = 1 + rng.below(s.videos);
        if (fixture.imported[size_t(id)] || seen.contains(id)) continue;
        seen.insert(id);
        linked.append(id);
      }
    }
    const QString document = feedDocument(s.feedItems, linked);
    const QString url = QStringLiteral("http://www.zaro.tv/rss/channel/weekly");
    std::unique_ptr<ZFeedObject> feed;
    const Span parse = timed([&] { feed = ZFeedObject::createFromXML(document); });
    if (!feed || feed->itemCount() != s.feedItems) {
      std::printf("  the feed document did not read back (%lld items)\n",
                  feed ? qlonglong(feed->itemCount()) : -1LL);
      return 1;
    }

    const QString newCopy = root + QStringLiteral("/feed-new.db");
    const QString definedCopy = root + QStringLiteral("/feed-defined.db");
    copyFile(dbPath, newCopy);
    copyFile(dbPath, definedCopy);
    int feedId = 0;
    const Span saveNew = timed([&] { feedId = saveFeed(*db, *feed, url); });
    const qint64 storedItems = countOf(
        *db, QStringLiteral("SELECT count(*) AS n FROM FeedItems WHERE FeedId = %1;").arg(feedId));

    std::vector<Span> unchangedRuns;
    int unchangedId = 0;
    for (int i = 0; i < 3; ++i) {
      auto again = ZFeedObject::createFromXML(document);
      unchangedRuns.push_back(timed([&] { unchangedId = saveFeed(*db, *again, url); }));
    }
    const qint64 storedAfter = countOf(
        *db, QStringLiteral("SELECT count(*) AS n FROM FeedItems WHERE FeedId = %1;").arg(feedId));

    std::vector<std::pair<QString, Span>> newForms, unchangedForms;
    QString commitNote;
    if (haveTool) {
      // The rows the save writes: the Feeds row, then every item as new.
      const QList<ZFeedItemRef> items = feed->items();
      auto itemValues = [&](const ZFeedItemObject &item) {
        return QStringLiteral("(%1,%2,%3,%4,%5,%6,%7,%8,'%9',")
                   .arg(feedId)
                   .arg(lit(item.title()), lit(item.description()), lit(item.publisher()),
                        lit(item.videoPermalink()), lit(item.website()),
                        lit(item.categoriesAsString()), lit(item.tagsAsString()))
                   .arg(item.duration()) +
               QStringLiteral("%1,%2,%3,0,'%4')")
                   .arg(lit(item.guid()), lit(item.publishDate()), lit(item.url()))
                   .arg(item.source());
      };
      const QString feedInsert =
          QStringLiteral(
              "INSERT INTO Feeds(Url,Title,Description,Publisher,Website,Categories,Permalink,"
              "Source) VALUES (%1,%2,%3,%4,%5,%6,%7,'%8');")
              .arg(lit(url), lit(feed->title()), lit(feed->description()), lit(feed->publisher()),
                   lit(feed->website()), lit(feed->categoriesAsString()), lit(feed->permalink()))
              .arg(feed->source());
      const QString itemInsert = QStringLiteral(
          "INSERT INTO FeedItems(FeedId,Title,Description,Publisher,Permalink,Website,Categories,"
          "Tags,Duration,Guid,PubDate,Url,State,Source) VALUES ");
      QString inserts = QStringLiteral("BEGIN; ") + feedInsert;
      QString defined =
          QStringLiteral("BEGIN; SELECT * FROM Feeds WHERE Url = %1; ").arg(lit(url)) + feedInsert +
          QStringLiteral(" SELECT id FROM Feeds WHERE Url = %1;").arg(lit(url));
      for (const ZFeedItemRef &item : items) {
        const QString row = itemInsert + itemValues(*item) + QLatin1Char(';');
        inserts += QLatin1Char(' ') + row;
        defined +=
            (item->guid().isEmpty()
                 ? QStringLiteral(" SELECT id FROM FeedItems WHERE FeedId = %1 AND Title = %2; ")
                       .arg(feedId)
                       .arg(lit(item->title()))
                 : QStringLiteral(" SELECT id FROM FeedItems WHERE FeedId = %1 AND Guid = %2; ")
                       .arg(feedId)
                       .arg(lit(item->guid()))) +
            row;
      }
      inserts += QStringLiteral(" COMMIT;");
      defined += QStringLiteral(" COMMIT;");
      const ToolRun insertRun = runTool(newCopy, {inserts});
      const ToolRun definedRun = runTool(definedCopy, {defined});
      newForms.push_back({QStringLiteral("look-up and insert per item, one transaction"),
                          definedRun.ok ? definedRun.first() : Span()});
      newForms.push_back(
          {QStringLiteral("inserts, one transaction"), insertRun.ok ? insertRun.first() : Span()});
      if (!insertRun.ok)
        std::printf("  reference failed: %s\n", insertRun.error.toUtf8().constData());
      if (!definedRun.ok)
        std::printf("  reference failed: %s\n", definedRun.error.toUtf8().constData());
      const QString copied = toolOutput(newCopy, QStringLiteral("SELECT count(*) FROM FeedItems;"));
      if (copied.toLongLong() != s.feedItems)
        std::printf("  reference stored %s items\n", copied.toUtf8().constData());

      // Unchanged: reading the feed's row and its items is all the work.
      const QString select =
          QStringLiteral(
              "SELECT id FROM Feeds WHERE Url = %1; SELECT * FROM FeedItems WHERE "
              "FeedId = %2;")
              .arg(lit(url))
              .arg(feedId);
      const int times = 10;
      const ToolRun selectRun = runTool(dbPath, QStringList(3, repeated(select, times)));
      unchangedForms.push_back(
          {QStringLiteral("select of the feed and its items"),
           selectRun.ok ? scaled(best(selectRun.units), 1.0 / times) : Span()});
      if (!selectRun.ok)
        std::printf("  reference failed: %s\n", selectRun.error.toUtf8().constData());

      // What any save that rewrites the feed's row pays at least: one
      // one-row write transaction with its commit (on a copy).
      const QString commitCopy = root + QStringLiteral("/feed-commit.db");
      copyFile(dbPath, commitCopy);
      const QString write =
          QStringLiteral("BEGIN IMMEDIATE; UPDATE Feeds SET Title=Title WHERE id=%1; COMMIT;")
              .arg(feedId);
      const int writes = 20;
      const ToolRun commitRun = runTool(commitCopy, QStringList(3, repeated(write, writes)));
      if (commitRun.ok) {
        const double each = best(commitRun.units).wall / writes;
        commitNote = each > 0 ? QStringLiteral("; a one-row write transaction takes the tool %1 ms")
                                    .arg(ms(each), 0, 'f', 2)
                              : QStringLiteral(
                                    "; a one-row write transaction takes the tool "
                                    "under %1 ms")
                                    .arg(1.0 / writes, 0, 'f', 2);
      }
    }
    report(QStringLiteral("saveFeed new"), saveNew, newForms,
           QStringLiteral("feed id %1, %2 items stored; reading the document took %3 ms")
               .arg(feedId)
               .arg(storedItems)
               .arg(ms(parse.wall), 0, 'f', 2));
    report(QStringLiteral("saveFeed unchanged, best of 3"), best(unchangedRuns), unchangedForms,
           QStringLiteral("first run %1 ms; feed id %2, %3 items stored%4")
               .arg(ms(unchangedRuns.front().wall), 0, 'f', 2)
               .arg(unchangedId)
               .arg(storedAfter)
               .arg(commitNote));
    gResults.push_back({QStringLiteral("saveFeed new under 1 s"), saveNew, Span(), QString()});

    // The items of library videos are downloaded ones from here on.
    db->executeSQL(
        QStringLiteral("UPDATE FeedItems SET State = 1, VideoId = (SELECT id FROM Videos WHERE "
                       "VIDEO_PERMALINK = FeedItems.Permalink) WHERE Permalink IN (SELECT "
                       "VIDEO_PERMALINK FROM Videos);"));
  }
  std::printf("\n");

  // ---- deleting videos ----
  std::printf("Deleting %d videos\n", s.deletions);
  {
    QList<int> doomed;
    {
      Rng rng(4242);
      QSet<int> seen;
      while (doomed.size() < s.deletions) {
        const int id = 1 + rng.below(s.videos);
        if (seen.contains(id)) continue;
        seen.insert(id);
        doomed.append(id);
      }
    }
    const QString leanCopy = root + QStringLiteral("/delete-lean.db");
    const QString definedCopy = root + QStringLiteral("/delete-defined.db");
    copyFile(dbPath, leanCopy);
    copyFile(dbPath, definedCopy);

    const Span ours = timed([&] { db->deleteVideosWithIds(doomed); });

    std::vector<std::pair<QString, Span>> forms;
    QString agreement;
    if (haveTool) {
      const QString cleanUp = QStringLiteral(
          "DELETE FROM CategoryEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS); "
          "DELETE FROM ChannelEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS); "
          "DELETE FROM SeriesEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS); "
          "DELETE FROM TagEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS); "
          "DELETE FROM Categories WHERE id NOT IN (SELECT CategoryId FROM CategoryEntries); "
          "DELETE FROM Channels WHERE id NOT IN (SELECT ChannelId FROM ChannelEntries); "
          "DELETE FROM Series WHERE id NOT IN (SELECT SeriesId FROM SeriesEntries); "
          "DELETE FROM Tags WHERE id NOT IN (SELECT TagId FROM TagEntries); "
          "DELETE FROM Publishers WHERE id NOT IN (SELECT PUBLISHER FROM Videos);");
      QString ids;
      QString perVideo;
      for (int id : doomed) {
        if (!ids.isEmpty()) ids += QLatin1Char(',');
        ids += QString::number(id);
        perVideo += QStringLiteral(
                        "UPDATE FeedItems SET State=2 WHERE VideoId=%1; DELETE FROM VIDEOS WHERE "
                        "id = %1; DELETE FROM PlaylistEntries WHERE VideoId = %1; ")
                        .arg(id);
      }
      const QString lean =
          QStringLiteral(
              "BEGIN; UPDATE FeedItems SET State=2 WHERE VideoId IN (%1); DELETE FROM VIDEOS "
              "WHERE id IN (%1); DELETE FROM PlaylistEntries WHERE VideoId IN (%1); ")
              .arg(ids) +
          cleanUp + QStringLiteral(" COMMIT;");
      const QString defined =
          QStringLiteral("BEGIN; ") + perVideo + cleanUp + QStringLiteral(" COMMIT;");
      const ToolRun definedRun = runTool(definedCopy, {defined});
      const ToolRun leanRun = runTool(leanCopy, {lean});
      forms.push_back({QStringLiteral("statements per video, one transaction"),
                       definedRun.ok ? definedRun.first() : Span()});
      forms.push_back(
          {QStringLiteral("set-based, one transaction"), leanRun.ok ? leanRun.first() : Span()});
      if (!definedRun.ok)
        std::printf("  reference failed: %s\n", definedRun.error.toUtf8().constData());
      if (!leanRun.ok) std::printf("  reference failed: %s\n", leanRun.error.toUtf8().constData());

      // The three files must now hold the same rows.
      const QString counts = QStringLiteral(
          "SELECT (SELECT count(*) FROM Videos), (SELECT count(*) FROM PlaylistEntries), (SELECT "
          "count(*) FROM CategoryEntries), (SELECT count(*) FROM ChannelEntries), (SELECT "
          "count(*) FROM SeriesEntries), (SELECT count(*) FROM TagEntries), (SELECT count(*) FROM "
          "Categories), (SELECT count(*) FROM Channels), (SELECT count(*) FROM Series), (SELECT "
          "count(*) FROM Tags), (SELECT count(*) FROM Publishers), (SELECT count(*) FROM "
          "FeedItems WHERE State = 2);");
      const QString ourCounts = toolOutput(dbPath, counts);
      const bool same =
          ourCounts == toolOutput(leanCopy, counts) && ourCounts == toolOutput(definedCopy, counts);
      agreement = QStringLiteral(
                      "rows left (videos|playlist entries|category, channel, series, "
                      "tag entries|categories|channels|series|tags|publishers|deleted "
                      "items): %1, %2")
                      .arg(ourCounts, same ? QStringLiteral("same as the references")
                                           : QStringLiteral("DIFFERENT from the references"));
    }
    report(QStringLiteral("deleteVideosWithIds (%1)").arg(s.deletions), ours, forms, agreement);
  }

  // ---- summary ----
  const double peakMB = double(statusKilobytes("VmHWM")) / 1024.0;
  std::printf("\nPeak memory: VmHWM %.1f MB, VmRSS now %.1f MB\n\n", peakMB,
              double(statusKilobytes("VmRSS")) / 1024.0);
  std::printf(
      "Summary (goal: our wall time within 3x the faster raw reference; the CPU ratio\n"
      "compares our CPU time with the tool's user + system time, for information)\n");
  std::printf("%-32s %10s %10s %7s %7s  %-9s %s\n", "operation", "ours ms", "raw ms", "ratio",
              "cpu", "goal", "result");
  int missed = 0;
  for (const Result &r : gResults) {
    QString goal = QStringLiteral("<= 3x"), verdict;
    if (r.name.contains(QLatin1String("under 1 s"))) {
      goal = QStringLiteral("< 1000 ms");
      verdict = r.ours.wall < 1.0 ? QStringLiteral("OK") : QStringLiteral("MISSED");
    } else if (r.reference.wall > 0) {
      verdict =
          r.ours.wall <= 3.0 * r.reference.wall ? QStringLiteral("OK") : QStringLiteral("MISSED");
    } else if (r.reference.wall == 0) {
      verdict = QStringLiteral("n/a (raw below the clock)");
    } else {
      verdict = QStringLiteral("n/a (no reference)");
    }
    if (verdict == QLatin1String("MISSED")) ++missed;
    std::printf(
        "%-32s %10.2f %10s %7s %7s  %-9s %s\n", r.name.toUtf8().constData(), ms(r.ours.wall),
        r.reference.wall >= 0 ? QString::number(ms(r.reference.wall), 'f', 2).toUtf8().constData()
                              : "-",
        ratioText(r.ours.wall, r.reference.wall).toUtf8().constData(),
        ratioText(r.ours.cpu, r.reference.cpu).toUtf8().constData(), goal.toUtf8().constData(),
        verdict.toUtf8().constData());
  }
  const bool memoryOk = peakMB < 300.0;
  if (!memoryOk) ++missed;
  std::printf("%-32s %10s %10s %7s %7s  %-9s %s\n", "peak memory (VmHWM)",
              QString::number(peakMB, 'f', 1).append(QStringLiteral(" MB")).toUtf8().constData(),
              "-", "-", "-", "< 300 MB", memoryOk ? "OK" : "MISSED");
  std::printf("\n%d goal(s) missed\n", missed);
  return 0;
}
