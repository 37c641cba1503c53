#include "Preferences.h"

#include "UserDefaults.h"

#include <QVariantMap>

namespace Preferences {

namespace {

// Browse mode -> the word in its sort keys; empty for a mode without keys.
const char *const SortKeyWords[] = {"All",           "Publisher", "Category", "Channel",
                                    "DateAdded",     "New",       nullptr,    "Series",
                                    "Subscriptions", "Tag",       "Videocast"};
constexpr int BrowseModeCount = int(sizeof(SortKeyWords) / sizeof(SortKeyWords[0]));

QString sortKey(int browseBy, const char *suffix) {
  if (browseBy < 0 || browseBy >= BrowseModeCount || !SortKeyWords[browseBy]) return QString();
  return QStringLiteral("LibraryBrowseBy") + QLatin1String(SortKeyWords[browseBy]) +
         QLatin1String(suffix);
}

}  // namespace

QString sortTypeKeyForBrowseMode(int browseBy) { return sortKey(browseBy, "SortType"); }
QString sortOrderKeyForBrowseMode(int browseBy) { return sortKey(browseBy, "SortOrder"); }

void registerBatchA(UserDefaults &defaults) {
  QVariantMap a{
      {QStringLiteral("FirstLaunch"), true},
      {QStringLiteral("MainWindowView"), 0},
      {QStringLiteral("LibraryPlaylistVisible"), true},
      {QStringLiteral("LibraryPlaylistSelectedId"), -1},
      {QStringLiteral("LibraryBrowseBy"), 0},
      {QStringLiteral("MovieMuted"), false},
  };
  for (int mode = 0; mode < BrowseModeCount; ++mode) {
    const QString type = sortTypeKeyForBrowseMode(mode);
    if (type.isNull()) continue;
    a.insert(type, 1);
    a.insert(sortOrderKeyForBrowseMode(mode), true);
  }
  defaults.registerDefaults(a);
}

void registerBatchB(UserDefaults &defaults, const QString &applicationFolder) {
  defaults.registerDefaults({
      {QStringLiteral("GeneralOpenClientAtStartup"), true},
      {QStringLiteral("GeneralConfirmExit"), true},
      {QStringLiteral("GeneralQuitConfirmationCancellation"), true},
      {QStringLiteral("LibraryActiveView"), 0},
      {QStringLiteral("DownloadLocation"), applicationFolder},
      {QStringLiteral("DownloadVideoCount"), 3},
      {QStringLiteral("DownloadAllowedDiskUsage"), 10},
      {QStringLiteral("DownloadMaxSimultaneousCount"), 1},
      {QStringLiteral("DownloadNewVideoNotification"), true},
      {QStringLiteral("DownloadConfirmCancellation"), true},
      {QStringLiteral("PlaybackSelectedVideoPlay"), 1},
      {QStringLiteral("PlaybackLoopVideoPlay"), false},
      {QStringLiteral("PlaybackRememberVideoPosition"), false},
  });
}

}  // namespace Preferences

namespace Utilities {

namespace {
int browseBy() {
  return int(UserDefaults::standardUserDefaults().integerForKey(QStringLiteral("LibraryBrowseBy")));
}
}  // namespace

int currentSortType() {
  const QString key = Preferences::sortTypeKeyForBrowseMode(browseBy());
  if (key.isNull()) return 1;
  return int(UserDefaults::standardUserDefaults().integerForKey(key));
}

void setCurrentSortType(int sortType) {
  const QString key = Preferences::sortTypeKeyForBrowseMode(browseBy());
  if (key.isNull()) return;
  UserDefaults::standardUserDefaults().setInteger(sortType, key);
}

bool currentSortOrder() {
  const QString key = Preferences::sortOrderKeyForBrowseMode(browseBy());
  if (key.isNull()) return true;
  return UserDefaults::standardUserDefaults().boolForKey(key);
}

void toggleCurrentSortOrder() {
  const QString key = Preferences::sortOrderKeyForBrowseMode(browseBy());
  if (key.isNull()) return;
  UserDefaults::standardUserDefaults().setBool(!currentSortOrder(), key);
}

}  // namespace Utilities
