#pragma once

// What the library benchmarks share: timing, deterministic content, a large
// library built in the library's own file and schema, and the sqlite3 tool
// as the reference that runs the same SQL on the same file.

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class VideoDatabase;

namespace BenchLibrary {

// ---- timing ---------------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);
double cpuSeconds();

// A measured run: wall-clock seconds and the CPU seconds spent in it (user +
// system), -1 when unknown. On a machine shared with other work the CPU
// figures are the steadier ones.
struct Span {
  double wall = -1;
  double cpu = -1;
};

Span timed(const std::function<void()> &work);
double ms(double seconds);
double minOf(const std::vector<double> &values, size_t from = 0);
// The best wall and the best CPU time of the runs from `from` on.
Span best(const std::vector<Span> &runs, size_t from = 0);
Span scaled(Span span, double factor);
// Bytes the allocator hands out at the moment.
double heapBytes();
// A field of /proc/self/status in kilobytes ("VmHWM", "VmRSS"); -1 unknown.
qint64 statusKilobytes(const char *field);

// ---- deterministic content --------------------------------------------------------------------

struct Rng {  // xorshift64*
  std::uint64_t state;
  explicit Rng(std::uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  std::uint64_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
  int below(int n) { return int(next() % std::uint64_t(n)); }
  double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
  bool chance(double p) { return unit() < p; }
  // 0 .. n-1, low indexes far more likely: a few popular groups and a long
  // tail (the first of 2,000 gets about 2% of the picks, the last 0.01%).
  int skewed(int n) {
    const double u = unit();
    return std::min(n - 1, int(u * u * n));
  }
};

QString word(Rng &rng);
QString words(Rng &rng, int count);
QString capitalized(QString text);
QString titleText(Rng &rng);
QString hex32(Rng &rng);
// The service's permalink of library video `id` (unique).
QString permalinkFor(int id);
QString libraryDate(qint64 secondsSinceEpoch);
// An SQL text literal.
QString lit(const QString &text);

// ---- the library ------------------------------------------------------------------------------

// How many of each thing a library of `videos` holds.
struct Scale {
  int videos = 100000;
  int publishers = 2000;
  int channels = 500;
  int categories = 200;
  int tags = 5000;
  int series = 1000;
  int playlists = 200;
  int feedItems = 5000;
  int deletions = 1000;
};
// Every count scaled with the number of videos.
Scale scaleFor(int videos, int feedItems);

// Rows of one INSERT ... VALUES statement, run in pieces of bounded size.
class InsertBatch {
 public:
  InsertBatch(VideoDatabase &database, const char *prefix);
  bool add(const QString &row);
  bool flush();

 private:
  VideoDatabase &fDatabase;
  QString fPrefix;
  QString fText;
  int fCount = 0;
};

struct Fixture {
  std::vector<bool> imported;  // by video id (index 0 unused)
};

// Picks `count` distinct numbers 1..n (count small) with `pick`, the forced
// one first when there is one.
QList<int> distinctPicks(int count, int forced, const std::function<int()> &pick);

// Fills an empty library: groups of every kind (popular ones and a long
// tail), the videos with their links (2% imported files without groups),
// dates added over five years, about 60% viewed and 10% saved, playlists of
// 10 to 500 videos. One transaction.
bool buildLibrary(VideoDatabase &db, const Scale &s, Fixture &fixture);

// ---- the sqlite3 tool -------------------------------------------------------------------------

struct ToolRun {
  bool ok = false;
  std::vector<Span> units;  // the tool's real time and user + system time of each unit
  QString error;
  Span first() const { return units.empty() ? Span() : units.front(); }
};

// Where the tool's scripts are written.
extern QString gScriptFolder;

// Runs each unit (statements on one line) through the tool on the file and
// answers the tool's own run time of each ("Run Time: real R user U sys S").
ToolRun runTool(const QString &database, const QStringList &units);
// The unit repeated on one line.
QString repeated(const QString &unit, int times);
// Seconds of one run of a whole tool process with these arguments.
double toolProcessSeconds(const QStringList &arguments);
QString toolOutput(const QString &database, const QString &sql);

}  // namespace BenchLibrary
