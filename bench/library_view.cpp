// library_view: the library view over generated libraries of 1,000 and
// 100,000 videos with thumbnails, side by side, next to the sqlite3 tool
// running the same browse queries on the same file.
//
// For each size it builds a library in the library's own file and schema
// (the content of library_scale: groups of every kind, playlists, dates over
// five years) whose every video has a thumbnail file of its own (hard links
// to a few painted JPEG pictures, so that each video's picture is read and
// decoded as the user scrolls to it). Then two fresh processes per size (each
// figure the better of the two), with the offscreen platform, time:
//   - the first painted window: the library opened, the browse list built
//     for "All Videos", the library view made in a 1024 x 720 window, shown
//     and painted;
//   - each browse mode 0 to 9: the switch to it until its rows are painted
//     (best of 3);
//   - a search keystroke: the title filter set until the rows are painted
//     (the mean of the keystrokes "r", "ri", "riv");
//   - scrolling the thumbnail grid: the time per frame, 300 frames of 37
//     points from the top, each painted (new thumbnails decoded as they
//     come), the best of three passes;
//   - the peak memory of the process (VmHWM; the higher of the two).
// The reference is the sqlite3 tool running, on the same file, the query
// the browse list runs for that mode (one query per group where the library
// does so), its own run time (".timer on"), the rows written to /dev/null.
//
// Goals: each 100k figure within 1.5x of the sqlite3 figure; the scroll frame
// time at 100k within 1.2x of the 1k figure; peak memory at 100k under
// 250 MB. A missed goal is printed as MISSED; the program exits 0 all the
// same.
//
// Usage: library_view [--keep] [sizes, default 1000,100000]
//   (run the release build: build/release/bench/library_view)

#include "BenchLibrary.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryViewContainer.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <unistd.h>

using namespace BenchLibrary;

namespace {

constexpr int kModes = 10;  // 0 .. 9, the modes of the browse-by menu
const char *const kSearch[] = {"r", "ri", "riv"};
constexpr int kScrollFrames = 300;
constexpr int kScrollStep = 37;

QString libraryFolder(const QString &root, int videos) {
  return root + QStringLiteral("/library-") + QString::number(videos);
}

// ---- building --------------------------------------------------------------------------------

// A few pictures in the shape of the service's thumbnails.
QStringList paintThumbnails(const QString &folder) {
  QDir().mkpath(folder);
  QStringList files;
  Rng rng(7);
  for (int i = 0; i < 24; ++i) {
    QImage image(160, 120, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv(rng.below(360), 120 + rng.below(100), 90 + rng.below(120));
    image.fill(base);
    QPainter painter(&image);
    for (int band = 0; band < 6; ++band)
      painter.fillRect(QRect(0, band * 20, 160, 20), base.lighter(100 + band * 12));
    painter.setPen(Qt::white);
    painter.drawEllipse(QRect(50 + rng.below(40), 30, 40, 40));
    painter.end();
    const QString file = folder + QStringLiteral("/picture-%1.jpg").arg(i);
    image.save(file, "JPEG", 85);
    files << file;
  }
  return files;
}

bool buildSize(const QString &root, int videos) {
  const QString folder = libraryFolder(root, videos);
  VideoDatabase::Paths paths = VideoDatabase::pathsUnder(folder);
  UserDefaults defaults(folder + QStringLiteral("/build.ini"));
  defaults.setString(folder + QStringLiteral("/media"), QStringLiteral("DownloadLocation"));
  ZFolderManager folders(defaults);
  VideoDatabase db(paths, &folders);
  Fixture fixture;
  if (!db.createDatabase() || !buildLibrary(db, scaleFor(videos, 0), fixture)) return false;
  // Every video its own thumbnail file: a hard link to one of the pictures.
  const QStringList pictures = paintThumbnails(folder + QStringLiteral("/pictures"));
  const QString thumbnails = folder + QStringLiteral("/thumbnails");
  QDir().mkpath(thumbnails);
  for (int id = 1; id <= videos; ++id) {
    const QString link = thumbnails + QStringLiteral("/%1.jpg").arg(id);
    if (::link(QFile::encodeName(pictures[id % pictures.size()]).constData(),
               QFile::encodeName(link).constData()) != 0 &&
        !QFile::copy(pictures[id % pictures.size()], link))
      return false;
  }
  return db.executeSQL(QStringLiteral("UPDATE Videos SET IMAGE_PATH = %1 || '/' || id || '.jpg';")
                           .arg(lit(thumbnails)))
      .has_value();
}

// ---- measuring (a process of its own per size) ------------------------------------------------

void repaintNow(QWidget &widget) {
  widget.repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int measure(const QString &folder) {
  const VideoDatabase::Paths paths = VideoDatabase::pathsUnder(folder);
  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  Preferences::registerBatchA(defaults);
  Preferences::registerBatchB(defaults, folder + QStringLiteral("/app"));
  defaults.setString(folder + QStringLiteral("/media"), QStringLiteral("DownloadLocation"));
  defaults.setInteger(0, QStringLiteral("LibraryBrowseBy"));
  defaults.setInteger(0, QStringLiteral("LibraryActiveView"));
  defaults.setBool(true, QStringLiteral("LibraryPlaylistVisible"));
  ZFolderManager folders(defaults);

  std::unique_ptr<VideoDatabase> db;
  std::unique_ptr<ZPlaylistDataSource> playlists;
  std::unique_ptr<ZNowPlayingListDataSource> nowPlaying;
  std::unique_ptr<ZLibraryBrowseListDataSource> list;
  std::unique_ptr<QWidget> window;
  ZLibraryViewContainer *container = nullptr;
  const Span first = timed([&] {
    ZSkinManager &skins = ZSkinManager::sharedSkinManager();
    skins.setCurrentSkin(skins.getDefaultSkin());
    db = std::make_unique<VideoDatabase>(paths, &folders);
    db->openDatabase();
    playlists = std::make_unique<ZPlaylistDataSource>(*db);
    nowPlaying = std::make_unique<ZNowPlayingListDataSource>(*playlists, *db);
    list = std::make_unique<ZLibraryBrowseListDataSource>(*db, *playlists);
    list->reloadForBrowsingBy(0, true);
    ZLibraryViewEnvironment environment;
    environment.database = db.get();
    environment.browseList = list.get();
    environment.playlists = playlists.get();
    environment.nowPlaying = nowPlaying.get();
    window = std::make_unique<QWidget>();
    window->resize(1024, 720);
    container = new ZLibraryViewContainer(environment, window.get());
    container->setGeometry(window->rect());
    container->viewAddedToWindow();
    window->show();
    repaintNow(*window);
  });
  std::printf("figure first %.3f %.3f\n", ms(first.wall), ms(first.cpu));
  ZLibraryItemsView &items = *container->itemsView();

  for (int mode = 0; mode < kModes; ++mode) {
    std::vector<Span> runs;
    for (int i = 0; i < 3; ++i)
      runs.push_back(timed([&] {
        list->reloadForBrowsingBy(mode, true);
        repaintNow(*container);
      }));
    const Span span = best(runs);
    std::printf("figure mode%d %.3f %.3f\n", mode, ms(span.wall), ms(span.cpu));
  }

  list->reloadForBrowsingBy(0, true);
  repaintNow(*container);
  double searchWall = 0, searchCpu = 0;
  for (const char *text : kSearch) {
    const Span span = timed([&] {
      list->setTextFilter(QString::fromLatin1(text), 0);
      repaintNow(items);
    });
    searchWall += span.wall;
    searchCpu += span.cpu;
  }
  const int keys = int(std::size(kSearch));
  std::printf("figure search %.3f %.3f\n", ms(searchWall / keys), ms(searchCpu / keys));
  list->setTextFilter(QString(), 0);
  repaintNow(items);

  // Three passes from the top, each with no thumbnail decoded yet; the best.
  QScrollBar *bar = container->browseListView()->verticalScrollBar();
  int frames = 0;
  std::vector<Span> passes;
  for (int pass = 0; pass < 3; ++pass) {
    items.paintContext().thumbnails.clear();
    bar->setValue(0);
    repaintNow(items);
    frames = 0;
    Span scroll = timed([&] {
      for (int frame = 1; frame <= kScrollFrames; ++frame) {
        const int value = std::min(bar->maximum(), frame * kScrollStep);
        if (value == bar->value()) break;
        bar->setValue(value);
        repaintNow(items);
        ++frames;
      }
    });
    if (frames > 0) passes.push_back(scaled(scroll, 1.0 / frames));
  }
  if (!passes.empty()) {
    const Span frame = best(passes);
    std::printf("figure scroll %.4f %.4f\n", ms(frame.wall), ms(frame.cpu));
  }
  std::printf("frames %d\n", frames);
  std::printf("peak %lld\n", qlonglong(statusKilobytes("VmHWM")));
  return 0;
}

// ---- references ---------------------------------------------------------------------------------

QList<int> idsOf(VideoDatabase &db, const QString &sql) {
  QList<int> ids;
  if (const auto rows = db.executeSQL(sql))
    for (const SqlRow &row : *rows) ids.append(row.value(QStringLiteral("id")).toInt());
  return ids;
}

// The statements the browse list runs to build a mode, on one line.
QString browseQuery(VideoDatabase &db, int mode) {
  const QString all = QStringLiteral("SELECT * FROM Videos ORDER BY TITLE COLLATE NOCASE;");
  const auto perGroup = [&](const char *groups, const char *entries, const char *column,
                            bool without) {
    QString sql =
        QStringLiteral("SELECT * FROM %1 ORDER BY Name COLLATE NOCASE;").arg(QLatin1String(groups));
    for (const int id : idsOf(db, QStringLiteral("SELECT id FROM %1;").arg(QLatin1String(groups))))
      sql += QStringLiteral(" SELECT * FROM %1, Videos WHERE %2 = %3 AND %1.VideoId = Videos.id "
                            "ORDER BY TITLE COLLATE NOCASE;")
                 .arg(QLatin1String(entries), QLatin1String(column))
                 .arg(id);
    if (without)
      sql += QStringLiteral(" SELECT * FROM Videos WHERE id NOT IN (SELECT VideoId FROM %1) ORDER "
                            "BY TITLE COLLATE NOCASE;")
                 .arg(QLatin1String(entries));
    return sql;
  };
  switch (mode) {
    case 0:
      return all;
    case 1: {
      QString sql = QStringLiteral("SELECT * FROM Publishers ORDER BY Name COLLATE NOCASE;");
      for (const int id : idsOf(db, QStringLiteral("SELECT id FROM Publishers;")))
        sql += QStringLiteral(" SELECT * FROM Videos WHERE PUBLISHER = %1 ORDER BY TITLE COLLATE "
                              "NOCASE;")
                   .arg(id);
      return sql + QStringLiteral(" SELECT * FROM Videos WHERE PUBLISHER = -1 ORDER BY TITLE "
                                  "COLLATE NOCASE;");
    }
    case 2:
      return perGroup("Categories", "CategoryEntries", "CategoryId", true);
    case 3:
      return perGroup("Channels", "ChannelEntries", "ChannelId", true);
    case 4:
      return QStringLiteral("SELECT * FROM Videos ORDER BY DATE_ADDED COLLATE NOCASE DESC;");
    case 5:
      return QStringLiteral("SELECT * FROM Videos WHERE DATE_VIEWED='' OR DATE_VIEWED IS NULL "
                            "ORDER BY DATE_ADDED DESC;");
    case 6: {
      QString sql = QStringLiteral("SELECT * FROM Playlists ORDER BY NAME COLLATE NOCASE;");
      for (const int id : idsOf(db, QStringLiteral("SELECT id FROM Playlists;")))
        sql += QStringLiteral(" SELECT VideoId FROM PlaylistEntries, Videos WHERE PlaylistId = %1 "
                              "AND PlaylistEntries.VideoId = Videos.id;")
                   .arg(id);
      return sql;
    }
    case 7:
      return perGroup("Series", "SeriesEntries", "SeriesId", true);
    case 8:
      return QStringLiteral("SELECT * FROM Feeds ORDER BY Title COLLATE NOCASE;");
    case 9:
      return perGroup("Tags", "TagEntries", "TagId", true);
  }
  return all;
}

struct Figures {
  std::map<QString, double> wall, cpu;
  int frames = 0;
  double peakMegabytes = -1;
  bool ok = false;
};

Figures runMeasure(const QString &program, const QString &root, int videos) {
  const QString folder = libraryFolder(root, videos);
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  const QString home = folder + QStringLiteral("/home");
  QDir().mkpath(home);
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("ZARO_PREVIOUS_LIBRARY_DIR"), folder + QStringLiteral("/old/"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(program, {QStringLiteral("--measure"), folder});
  Figures figures;
  if (!child.waitForFinished(-1) || child.exitCode() != 0) return figures;
  for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() == 4 && fields[0] == "figure") {
      figures.wall[QString::fromLatin1(fields[1])] = fields[2].toDouble();
      figures.cpu[QString::fromLatin1(fields[1])] = fields[3].toDouble();
    } else if (fields.size() == 2 && fields[0] == "peak") {
      figures.peakMegabytes = fields[1].toDouble() / 1024.0;
    } else if (fields.size() == 2 && fields[0] == "frames") {
      figures.frames = fields[1].toInt();
    }
  }
  figures.ok = true;
  return figures;
}

QString cell(const std::map<QString, double> &values, const QString &key, int decimals = 2) {
  const auto found = values.find(key);
  return found == values.end() ? QStringLiteral("-") : QString::number(found->second, 'f', decimals);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && QByteArray(argv[1]) == "--measure") {
    QApplication app(argc, argv);
    return measure(QString::fromLocal8Bit(argv[2]));
  }
  bool keep = false;
  QList<int> sizes{1000, 100000};
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "--keep") {
      keep = true;
      continue;
    }
    sizes.clear();
    for (const QByteArray &size : arg.split(',')) sizes.append(std::max(10, size.toInt()));
  }
  QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/zaro-library-view-XXXXXX"));
  if (!sandbox.isValid()) {
    std::fprintf(stderr, "cannot make a temporary folder\n");
    return 1;
  }
  sandbox.setAutoRemove(!keep);
  const QString root = sandbox.path();
  qputenv("HOME", (root + QStringLiteral("/home")).toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/home/.config")).toLocal8Bit());
  qputenv("XDG_DATA_HOME", (root + QStringLiteral("/home/.local/share")).toLocal8Bit());
  QCoreApplication app(argc, argv);
  gScriptFolder = root;
  const bool haveTool = toolProcessSeconds({QStringLiteral("-version")}) >= 0;

  std::printf("library_view: sizes");
  for (const int size : sizes) std::printf(" %d", size);
  std::printf("; sandbox %s%s\n", qPrintable(root), keep ? " (kept)" : "");
  std::map<int, Figures> results;
  std::map<QString, double> reference, referenceCpu;  // of the largest size, tool ms
  for (const int size : sizes) {
    const auto start = Clock::now();
    if (!buildSize(root, size)) {
      std::fprintf(stderr, "building the library of %d videos failed\n", size);
      return 1;
    }
    std::printf("built %d videos with thumbnails in %.1f s\n", size, secondsSince(start));
    // Two fresh processes; each figure the better of the two.
    Figures figures = runMeasure(QCoreApplication::applicationFilePath(), root, size);
    const Figures again = runMeasure(QCoreApplication::applicationFilePath(), root, size);
    for (auto *values : {&figures.wall, &figures.cpu}) {
      const auto &other = values == &figures.wall ? again.wall : again.cpu;
      for (auto &[key, value] : *values)
        if (const auto found = other.find(key); found != other.end())
          value = std::min(value, found->second);
    }
    figures.peakMegabytes = std::max(figures.peakMegabytes, again.peakMegabytes);
    figures.ok = figures.ok && again.ok;
    results[size] = figures;
    if (!results[size].ok) std::printf("  measuring %d videos failed\n", size);
  }

  // The references, on the largest library.
  const int largest = sizes.last();
  if (haveTool) {
    const QString folder = libraryFolder(root, largest);
    VideoDatabase db(VideoDatabase::pathsUnder(folder));
    const QString dbPath = VideoDatabase::pathsUnder(folder).databasePath;
    for (int mode = 0; mode < kModes; ++mode) {
      const QString unit = browseQuery(db, mode);
      const ToolRun run = runTool(dbPath, {unit, unit, unit});
      if (!run.ok) continue;
      reference[QStringLiteral("mode%1").arg(mode)] = ms(best(run.units).wall);
      referenceCpu[QStringLiteral("mode%1").arg(mode)] = ms(best(run.units).cpu);
    }
    reference[QStringLiteral("first")] = reference[QStringLiteral("mode0")];
    referenceCpu[QStringLiteral("first")] = referenceCpu[QStringLiteral("mode0")];
    double search = 0, searchCpu = 0;
    int counted = 0;
    for (const char *text : kSearch) {
      const QString unit =
          QStringLiteral("SELECT * FROM Videos WHERE TITLE LIKE %1 ORDER BY TITLE COLLATE NOCASE;")
              .arg(lit(QStringLiteral("%") + QString::fromLatin1(text) + QStringLiteral("%")));
      const ToolRun run = runTool(dbPath, {unit, unit, unit});
      if (run.ok) {
        search += ms(best(run.units).wall);
        searchCpu += ms(best(run.units).cpu);
        ++counted;
      }
    }
    if (counted) {
      reference[QStringLiteral("search")] = search / counted;
      referenceCpu[QStringLiteral("search")] = searchCpu / counted;
    }
  } else {
    std::printf("the sqlite3 tool is not available: no references\n");
  }

  // ---- the table ----
  // Wall-clock milliseconds; the ratios of wall time and, in brackets, of
  // CPU time (user + system), which stays steady on a machine shared with
  // other work.
  std::printf("\n%-28s", "figure (ms)");
  for (const int size : sizes) std::printf(" %12s", qPrintable(QString::number(size) + " videos"));
  std::printf(" %10s %16s  goal\n", "sqlite3", "ratio (cpu)");
  const auto ratioOf = [](const std::map<QString, double> &ours, const std::map<QString, double> &theirs,
                          const QString &key) {
    const auto a = ours.find(key), b = theirs.find(key);
    return a != ours.end() && b != theirs.end() && b->second > 0 ? a->second / b->second : -1.0;
  };
  const auto ratioText = [](double wall, double cpu) {
    if (wall < 0) return QStringLiteral("-");
    return QString::number(wall, 'f', 2) +
           (cpu < 0 ? QString() : QStringLiteral(" (%1)").arg(cpu, 0, 'f', 2));
  };
  const auto row = [&](const QString &key, const QString &label, bool againstTool) {
    std::printf("%-28s", qPrintable(label));
    for (const int size : sizes) std::printf(" %12s", qPrintable(cell(results[size].wall, key)));
    const Figures &big = results[largest], &small = results[sizes.first()];
    const double limit = againstTool ? 1.5 : 1.2;
    const double wall = againstTool ? ratioOf(big.wall, reference, key) : ratioOf(big.wall, small.wall, key);
    const double cpu = againstTool ? ratioOf(big.cpu, referenceCpu, key) : ratioOf(big.cpu, small.cpu, key);
    QString goal;
    if (wall >= 0)
      goal = QStringLiteral("%1 (<= %2%3)")
                 .arg(wall <= limit ? QStringLiteral("met") : QStringLiteral("MISSED"))
                 .arg(limit, 0, 'f', 1)
                 .arg(againstTool ? QString() : QStringLiteral(" x the smallest"));
    if (wall >= 0 && cpu >= 0 && (wall <= limit) != (cpu <= limit))
      goal += cpu <= limit ? QStringLiteral(", met by CPU time") : QStringLiteral(", missed by CPU time");
    std::printf(" %10s %16s  %s\n", againstTool ? qPrintable(cell(reference, key)) : "",
                qPrintable(ratioText(wall, cpu)), qPrintable(goal));
  };
  row(QStringLiteral("first"), QStringLiteral("first painted window"), true);
  static const char *const names[] = {"all",  "publisher", "category", "channel",  "date added",
                                      "new",  "playlist",  "series",   "subscription", "tag"};
  for (int mode = 0; mode < kModes; ++mode)
    row(QStringLiteral("mode%1").arg(mode),
        QStringLiteral("browse by %1 (%2)").arg(QLatin1String(names[mode])).arg(mode), true);
  row(QStringLiteral("search"), QStringLiteral("search keystroke"), true);
  row(QStringLiteral("scroll"), QStringLiteral("scroll frame (thumbnails)"), false);
  std::printf("%-28s", "peak memory (MB)");
  for (const int size : sizes) std::printf(" %12.1f", results[size].peakMegabytes);
  const double peak = results[largest].peakMegabytes;
  std::printf(" %10s %16s  %s\n", "", "",
              peak < 0    ? "-"
              : peak < 250 ? "met (< 250 MB)"
                           : "MISSED (< 250 MB)");
  std::printf("(the tool's timer counts whole milliseconds: a 0.00 reference has no ratio)\n");
  return 0;
}
