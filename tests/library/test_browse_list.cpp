// The library browse list: every browse mode built from a real library, the
// title filter, expansion, selection, sorting and the notifications.

#include "DateUtilities.h"
#include "LibraryFixture.h"
#include "Localization.h"
#include "Preferences.h"
#include "QtPrinters.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZPlaylistDataSource.h"

namespace {

const QStringList kListNotifications = {"LibraryViewDataReloaded",
                                        "LibraryViewItemSelectionChanged",
                                        "LibraryViewItemExpanded", "LibraryViewItemCollapsed"};

QString dateText(int daysAgo) {
  return Utilities::formatDate(QDateTime::currentDateTime().addDays(-daysAgo));
}

}  // namespace

class BrowseListTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    // The list keeps its mode and reads the sort settings in the
    // application's own defaults: start every test from the registered ones.
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    Preferences::registerBatchA(defaults);
    defaults.removeObject("LibraryBrowseBy");
    for (int mode = 0; mode <= 10; ++mode) {
      if (Preferences::sortTypeKeyForBrowseMode(mode).isNull()) continue;
      defaults.removeObject(Preferences::sortTypeKeyForBrowseMode(mode));
      defaults.removeObject(Preferences::sortOrderKeyForBrowseMode(mode));
    }
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fList = std::make_unique<ZLibraryBrowseListDataSource>(db(), *fPlaylists);
  }
  void TearDown() override {
    fList.reset();
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  ZLibraryBrowseListDataSource &list() { return *fList; }

  // A video added on the given date (set before anything caches its row).
  int addDated(const QString &title, const QString &added) {
    const int id = addVideo(title);
    EXPECT_TRUE(db().executeSQL(
        QString("UPDATE Videos SET DATE_ADDED = '%1' WHERE id = %2;").arg(added).arg(id)));
    fVideo[title] = id;
    return id;
  }

  // Five videos in groups of every kind:
  //   publisher: "zed pub" alpha, charlie; "Ace pub" Bravo; none for delta, Echo
  //   category/channel/series/tag "b-…": alpha, charlie; "A-…": Bravo, charlie
  void makeLibrary() {
    addDated("alpha", "2020-01-05 10:00:00");
    addDated("Bravo", "2021-03-01 08:00:00");
    addDated("charlie", "not a date");
    addDated("delta", "2019-07-04 23:59:59");
    addDated("Echo", "2022-12-31 00:00:00");
    for (const char *title : {"alpha", "charlie"}) {
      const int id = fVideo[title];
      ASSERT_TRUE(db().addPublisherWithName("zed pub", {}, {}, {}, {}, {}, id));
      ASSERT_TRUE(db().addCategoryWithName("b-cat", {}, {}, {}, id));
      ASSERT_TRUE(db().addChannelWithName("b-chan", {}, {}, {}, {}, {}, id));
      ASSERT_TRUE(db().addSeriesWithName("b-ser", {}, {}, {}, {}, id));
      ASSERT_TRUE(db().addTagWithName("b-tag", {}, {}, id));
    }
    for (const char *title : {"Bravo", "charlie"}) {
      const int id = fVideo[title];
      ASSERT_TRUE(db().addCategoryWithName("A-cat", {}, {}, {}, id));
      ASSERT_TRUE(db().addChannelWithName("A-chan", {}, {}, {}, {}, {}, id));
      ASSERT_TRUE(db().addSeriesWithName("A-ser", {}, {}, {}, {}, id));
      ASSERT_TRUE(db().addTagWithName("A-tag", {}, {}, id));
    }
    ASSERT_TRUE(db().addPublisherWithName("Ace pub", {}, {}, {}, {}, {}, fVideo["Bravo"]));
  }

  // The rows as text: "#title" for a group row, the titles of a videos row
  // joined by "|".
  QStringList rows() {
    QStringList out;
    for (const auto &row : list().objects()) {
      if (ZLibraryBrowseListContainerItem *group = row->asContainer()) {
        out << "#" + group->title();
      } else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList()) {
        QStringList titles;
        for (const auto &video : videos->videos()) titles << video->title();
        out << titles.join('|');
      }
    }
    return out;
  }

  // The selected items as text, in row order.
  QStringList selection() {
    QStringList out;
    for (const auto &item : list().selectedItems()) {
      if (ZLibraryBrowseListContainerItem *group = item->asContainer())
        out << "#" + group->title();
      else if (ZLibraryBrowseListVideoItem *video = item->asVideo())
        out << video->title();
    }
    return out;
  }

  QStringList titles(const QList<int> &ids) {
    QStringList out;
    for (int id : ids) out << fVideo.key(id, "?");
    return out;
  }

  ZLibraryBrowseListContainerItem *group(const QString &title) {
    for (const auto &row : list().objects())
      if (row->asContainer() && row->asContainer()->title() == title) return row->asContainer();
    return nullptr;
  }
  ZLibraryBrowseListVideoListItem *videosOf(const QString &title) {
    for (int i = 0; i + 1 < list().count(); ++i) {
      ZLibraryBrowseListContainerItem *row = list().objectAtIndex(i)->asContainer();
      if (row && row->title() == title) return list().objectAtIndex(i + 1)->asVideoList();
    }
    return nullptr;
  }

  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZLibraryBrowseListDataSource> fList;
};

TEST_F(BrowseListTest, GroupedModesListGroupsByNameThenTheGroupWithout) {
  makeLibrary();
  struct Case {
    int mode;
    QStringList expected;
  };
  const QString without = localized("libraryContainerItemNoBroadcasterTitle");
  const Case cases[] = {
      {1, {"#Ace pub", "Bravo", "#zed pub", "alpha|charlie", "#" + without, "delta|Echo"}},
      {2,
       {"#A-cat", "Bravo|charlie", "#b-cat", "alpha|charlie",
        "#" + localized("libraryContainerItemNoCategoryTitle"), "delta|Echo"}},
      {3,
       {"#A-chan", "Bravo|charlie", "#b-chan", "alpha|charlie",
        "#" + localized("libraryContainerItemNoChannelTitle"), "delta|Echo"}},
      {7,
       {"#A-ser", "Bravo|charlie", "#b-ser", "alpha|charlie",
        "#" + localized("libraryContainerItemNoSeriesTitle"), "delta|Echo"}},
      {9,
       {"#A-tag", "Bravo|charlie", "#b-tag", "alpha|charlie",
        "#" + localized("libraryContainerItemNoTagTitle"), "delta|Echo"}},
      {0, {"alpha|Bravo|charlie|delta|Echo"}},
  };
  for (const Case &c : cases) {
    list().reloadForBrowsingBy(c.mode);
    EXPECT_EQ(list().browsingBy(), c.mode);
    EXPECT_EQ(rows(), c.expected) << "mode " << c.mode;
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("LibraryBrowseBy"), c.mode);
    for (const auto &row : list().objects()) {
      if (ZLibraryBrowseListContainerItem *g = row->asContainer()) {
        EXPECT_EQ(g->type(), c.mode);
        EXPECT_TRUE(g->expanded());
      } else {
        EXPECT_EQ(row->asVideoList()->containerType(), c.mode);
      }
    }
  }
  // Everything grouped has no "without" group.
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(db().addTagWithName("z-tag", {}, {}, fVideo.values()[i]));
  list().reloadForBrowsingBy(9);
  EXPECT_EQ(rows().last(), "alpha|Bravo|charlie|delta|Echo");
  EXPECT_EQ(rows().at(rows().size() - 2), "#z-tag");
}

TEST_F(BrowseListTest, GroupRowsCarryTheirDatabaseRowAndCounts) {
  makeLibrary();
  ASSERT_TRUE(db().setDateViewed(QDateTime::currentDateTime(), fVideo["charlie"]));
  list().reloadForBrowsingBy(2);
  ZLibraryBrowseListContainerItem *a = group("A-cat");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->info().value("Name"), "A-cat");
  EXPECT_TRUE(a->info().contains("Description"));
  EXPECT_EQ(titles(a->videoIdList()).size(), 2);
  EXPECT_TRUE(a->hasVideoWithId(fVideo["Bravo"]));
  EXPECT_FALSE(a->hasVideoWithId(fVideo["alpha"]));
  EXPECT_EQ(a->countOfNewVideos(), 1);
  EXPECT_TRUE(ZLibraryBrowseListDataSource::list(list().objects(), "A-cat"));
  EXPECT_FALSE(ZLibraryBrowseListDataSource::list(list().objects(), "a-cat"));

  // A publisher row without info reads as the group without publisher.
  ZLibraryBrowseListContainerItem bare(SqlRow(), 1);
  EXPECT_EQ(bare.title(), localized("libraryContainerItemNoBroadcasterTitle"));
  ZLibraryBrowseListContainerItem feed(SqlRow{{"Title", "A feed"}, {"Name", "x"}}, 8);
  EXPECT_EQ(feed.title(), "A feed");
  ZLibraryBrowseListContainerItem day(SqlRow{{"TITLE", "Today"}}, 4);
  EXPECT_EQ(day.title(), "Today");
}

TEST_F(BrowseListTest, NewVideosFollowTheViewedMark) {
  makeLibrary();
  ASSERT_TRUE(db().setDateViewed(QDateTime::currentDateTime(), fVideo["Bravo"]));
  list().reloadForBrowsingBy(5);
  EXPECT_EQ(rows(), QStringList{"alpha|charlie|delta|Echo"});

  NotificationRecorder recorder({"LibraryViewDataReloaded"});
  ASSERT_TRUE(db().setDateViewed(QDateTime::currentDateTime(), fVideo["delta"]));
  EXPECT_EQ(rows(), QStringList{"alpha|charlie|Echo"});
  ASSERT_TRUE(db().setDateViewed(QDateTime(), fVideo["Bravo"]));
  EXPECT_EQ(rows(), QStringList{"alpha|Bravo|charlie|Echo"});
  EXPECT_EQ(recorder.seen().size(), 2);
  // A mark that does not change what is new leaves the list alone.
  ASSERT_TRUE(db().setRating(4, fVideo["alpha"]));
  EXPECT_EQ(recorder.seen().size(), 2);

  // In other modes marks do not rebuild the list.
  list().reloadForBrowsingBy(0);
  recorder.clear();
  ASSERT_TRUE(db().setDateViewed(QDateTime::currentDateTime(), fVideo["Echo"]));
  EXPECT_TRUE(recorder.seen().isEmpty());
}

TEST_F(BrowseListTest, DateAddedGroupsNewestFirst) {
  // Title and days ago, in the order they are added.
  const QList<QPair<QString, int>> videos = {
      {"older", 45}, {"today one", 0}, {"yesterday", 1}, {"forty", 40}, {"today two", 0}};
  for (const auto &video : videos) addDated(video.first, dateText(video.second));
  ASSERT_EQ(Utilities::getDateAddedTextRepresentation(dateText(0)),
            localized("libraryDateAddedToday"));

  // Newest first; neighbours with the same text share a group, whose videos
  // are in title order. (With 30-day months, yesterday may read as today.)
  QList<QPair<QString, int>> newestFirst = videos;
  std::stable_sort(newestFirst.begin(), newestFirst.end(),
                   [](const auto &a, const auto &b) { return a.second < b.second; });
  QStringList expected;
  QStringList members;
  QString current;
  for (const auto &video : newestFirst) {
    const QString text = Utilities::getDateAddedTextRepresentation(dateText(video.second));
    if (!expected.isEmpty() && text == current) {
      members << video.first;
      continue;
    }
    if (!expected.isEmpty()) expected << (members.sort(), members.join('|'));
    expected << "#" + text;
    members = QStringList{video.first};
    current = text;
  }
  expected << (members.sort(), members.join('|'));
  ASSERT_GE(expected.size(), 6);  // at least today, one day or more, a month ago

  list().reloadForBrowsingBy(4);
  EXPECT_EQ(rows(), expected);
  for (int i = 0; i < list().count(); i += 2) {
    ASSERT_TRUE(list().objectAtIndex(i)->asContainer());
    EXPECT_EQ(list().objectAtIndex(i)->asContainer()->type(), 4);
  }
}

TEST_F(BrowseListTest, DateAddedGroupsFollowTheStoredTextOrder) {
  // Texts of other forms, and some that are no dates at all, stand where
  // SQLite's "DATE_ADDED COLLATE NOCASE DESC" puts them.
  const QStringList dates = {"2021-03-01 08:00:00", "2021-3-5 08:00:00",   "not a date",
                             "2021-99-99 00:00:00", "2022-01-01 00:00:00", "Zebra",
                             "2021-03-01 08:00:00", "2003-06-10 4:0:0",    "2022-01-01 00:00:01"};
  for (int i = 0; i < dates.size(); ++i) addDated(QString("v%1").arg(i), dates[i]);
  const QStringList order =
      sql("SELECT TITLE || '=' || DATE_ADDED FROM Videos ORDER BY DATE_ADDED COLLATE NOCASE "
          "DESC, TITLE;")
          .split('\n');
  QStringList expected;
  QStringList members;
  QString current;
  for (const QString &line : order) {
    const QString title = line.section('=', 0, 0);
    const QString text = Utilities::getDateAddedTextRepresentation(line.section('=', 1));
    if (!expected.isEmpty() && text == current) {
      members << title;
      continue;
    }
    if (!expected.isEmpty()) expected << (members.sort(), members.join('|'));
    expected << "#" + text;
    members = QStringList{title};
    current = text;
  }
  expected << (members.sort(), members.join('|'));

  list().reloadForBrowsingBy(4);
  EXPECT_EQ(rows(), expected);
}

TEST_F(BrowseListTest, PlaylistsKeepTheirOrderAndFollowPlaylistChanges) {
  makeLibrary();
  db().saveNewPlaylist("beta", QList<int>{fVideo["charlie"], fVideo["alpha"], fVideo["charlie"]});
  db().saveNewPlaylist("Alpha", QList<int>{fVideo["Echo"]});
  list().reloadForBrowsingBy(6);
  EXPECT_EQ(rows(), QStringList({"#Alpha", "Echo", "#beta", "charlie|alpha|charlie"}));

  NotificationRecorder recorder({"LibraryViewDataReloaded"});
  db().setVideos({fVideo["delta"], fVideo["Bravo"]}, db().getIdForPlaylist("beta"));
  EXPECT_EQ(rows(), QStringList({"#Alpha", "Echo", "#beta", "delta|Bravo"}));
  db().setName("gamma", db().getIdForPlaylist("Alpha"));
  EXPECT_EQ(rows(), QStringList({"#beta", "delta|Bravo", "#gamma", "Echo"}));
  EXPECT_GE(recorder.seen().size(), 2);

  // Re-sorting leaves playlist rows alone.
  Utilities::setCurrentSortType(3);
  NotificationCenter::defaultCenter().postNotificationName("LibraryViewSortingChanged");
  EXPECT_EQ(rows(), QStringList({"#beta", "delta|Bravo", "#gamma", "Echo"}));

  // Outside the playlist mode playlist changes do not rebuild.
  list().reloadForBrowsingBy(0);
  recorder.clear();
  db().saveNewPlaylist("delta list", std::nullopt);
  db().setVideos({fVideo["delta"]}, db().getIdForPlaylist("delta list"));
  EXPECT_TRUE(recorder.seen().isEmpty());
}

TEST_F(BrowseListTest, SubscriptionsAndVideocastsShowDownloadedItems) {
  makeLibrary();
  ASSERT_TRUE(db().addFeedWithName("Feed B", "http://b/rss", 0));
  ASSERT_TRUE(db().addFeedWithName("feed a", "http://a/rss", 0));
  const QString feedA = sql("SELECT id FROM Feeds WHERE Url = 'http://a/rss';");
  const QString feedB = sql("SELECT id FROM Feeds WHERE Url = 'http://b/rss';");
  sql(QString("INSERT INTO FeedItems (FeedId, VideoId, Title, State) VALUES "
              "(%1, %3, 'x', 1), (%1, %4, 'y', 0), (%2, %5, 'b', 1), (%2, %6, 'a', 1), "
              "(%2, 9999, 'gone', 1);")
          .arg(feedA, feedB)
          .arg(fVideo["alpha"])
          .arg(fVideo["Bravo"])
          .arg(fVideo["charlie"])
          .arg(fVideo["delta"]));
  for (int mode : {8, 10}) {
    list().reloadForBrowsingBy(mode);
    EXPECT_EQ(rows(), QStringList({"#feed a", "alpha", "#Feed B", "charlie|delta"})) << mode;
    EXPECT_EQ(list().objectAtIndex(0)->asContainer()->type(), mode);
    EXPECT_EQ(list().objectAtIndex(0)->asContainer()->info().value("Url"), "http://a/rss");
  }
}

TEST_F(BrowseListTest, UnknownModesShowNothingAndAreNotStored) {
  makeLibrary();
  list().reloadForBrowsingBy(2);
  list().reloadForBrowsingBy(11);
  EXPECT_EQ(list().count(), 0);
  EXPECT_EQ(list().objectAtIndex(0), nullptr);
  EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("LibraryBrowseBy"), 2);
}

TEST_F(BrowseListTest, TitleFilterKeepsGroupsAndIgnoresCase) {
  makeLibrary();
  list().reloadForBrowsingBy(0);
  list().setTextFilter("A", 7);
  EXPECT_EQ(list().textFilterType(), 7);
  EXPECT_EQ(rows(), QStringList{"alpha|Bravo|charlie|delta"});

  list().setTextFilter("CHAR", 0);
  list().reloadForBrowsingBy(2);
  EXPECT_EQ(rows(), QStringList({"#A-cat", "charlie", "#b-cat", "charlie",
                                 "#" + localized("libraryContainerItemNoCategoryTitle"), ""}));
  EXPECT_TRUE(list().includeVideo(fVideo["charlie"]));
  EXPECT_FALSE(list().includeVideo(fVideo["alpha"]));
  EXPECT_FALSE(list().includeVideo(9999));

  list().setTextFilter(QString(), 0);
  EXPECT_EQ(rows().size(), 6);
  EXPECT_EQ(rows().at(1), "Bravo|charlie");
}

// Whether a title is read from the cache's stored bytes or as text, the
// filter answers as a case-insensitive search of the text does.
TEST_F(BrowseListTest, TitleFilterIgnoresCaseBeyondAsciiToo) {
  const QStringList titles = {"River Run", "rIVER", "Caf\u00e9 CR\u00c8ME", "\u017Fhip",
                              "KELVIN \u212A"};
  QHash<QString, int> ids;
  for (const QString &title : titles) ids[title] = addVideo(title);
  list().reloadForBrowsingBy(0);
  for (const QString &filter :
       {QStringLiteral("riv"), QStringLiteral("CAF\u00c9"), QStringLiteral("cr\u00e8me"),
        QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("n r")}) {
    SCOPED_TRACE(filter.toStdString());
    list().setTextFilter(filter, 0);
    for (const QString &title : titles)
      EXPECT_EQ(list().includeVideo(ids[title]), title.contains(filter, Qt::CaseInsensitive))
          << title.toStdString();
  }
}

TEST_F(BrowseListTest, RebuildPostsReloadAndSelectionThroughTheGate) {
  makeLibrary();
  NotificationRecorder recorder(kListNotifications);
  list().reloadForBrowsingBy(2);
  ASSERT_EQ(recorder.names(),
            QStringList({"LibraryViewDataReloaded", "LibraryViewItemSelectionChanged"}));
  EXPECT_EQ(recorder.seen().at(0).object.toInt(), 2);
  EXPECT_EQ(recorder.seen().at(1).object.value<ZLibraryBrowseListDataSource *>(), &list());

  // The same mode again is not rebuilt unless forced.
  recorder.clear();
  list().reloadForBrowsingBy(2);
  EXPECT_TRUE(recorder.names().isEmpty());
  list().reloadForBrowsingBy(2, true);
  EXPECT_EQ(recorder.names().size(), 2);

  // A caller that closed the gate hears nothing.
  recorder.clear();
  {
    ZNotificationSuspension quiet;
    list().reloadForBrowsingBy(3);
  }
  EXPECT_TRUE(recorder.names().isEmpty());
  EXPECT_EQ(rows().first(), "#A-chan");
}

TEST_F(BrowseListTest, LibraryChangesRebuildOnlyOnceBuilt) {
  makeLibrary();
  addVideo("foxtrot");
  EXPECT_EQ(list().browsingBy(), -1);
  EXPECT_EQ(list().count(), 0);
  EXPECT_FALSE(UserDefaults::standardUserDefaults().hasStoredValue("LibraryBrowseBy"));

  list().reloadForBrowsingBy(0);
  fVideo["golf"] = addVideo("golf");
  EXPECT_EQ(rows(), QStringList{"alpha|Bravo|charlie|delta|Echo|foxtrot|golf"});
  db().deleteVideosWithIds({fVideo["golf"], fVideo["alpha"]});
  EXPECT_EQ(rows(), QStringList{"Bravo|charlie|delta|Echo|foxtrot"});
  // A grouping change arrives as "VideoDatabase_Changed".
  list().reloadForBrowsingBy(2);
  ASSERT_TRUE(db().addCategoryWithName("A-cat", {}, {}, {}, fVideo["delta"]));
  EXPECT_EQ(rows().at(1), "Bravo|charlie|delta");
}

TEST_F(BrowseListTest, SortTypesAndOrders) {
  makeLibrary();
  struct Case {
    int sortType;
    bool ascending;
    const char *expected;
  };
  const Case cases[] = {
      {1, true, "alpha|Bravo|charlie|delta|Echo"},
      {1, false, "Echo|delta|charlie|Bravo|alpha"},
      // By date added; a video whose date does not read comes first.
      {3, true, "charlie|delta|alpha|Bravo|Echo"},
      {3, false, "Echo|Bravo|alpha|delta|charlie"},
      // By publisher name, ignoring case; equal names keep the title order.
      {2, true, "delta|Echo|Bravo|alpha|charlie"},
      {2, false, "alpha|charlie|Bravo|delta|Echo"},
  };
  for (const Case &c : cases) {
    // From the title order each time, so that equal keys keep that order.
    list().reloadForBrowsingBy(0);
    Utilities::setCurrentSortType(1);
    if (!Utilities::currentSortOrder()) Utilities::toggleCurrentSortOrder();
    list().reloadForBrowsingBy(0, true);
    Utilities::setCurrentSortType(c.sortType);
    if (Utilities::currentSortOrder() != c.ascending) Utilities::toggleCurrentSortOrder();
    NotificationRecorder recorder({"LibraryViewDataReloaded"});
    NotificationCenter::defaultCenter().postNotificationName("LibraryViewSortingChanged");
    EXPECT_EQ(rows(), QStringList{c.expected}) << c.sortType << c.ascending;
    EXPECT_EQ(recorder.seen().size(), 1);
    // A fresh build sorts the same way.
    list().reloadForBrowsingBy(0, true);
    EXPECT_EQ(rows(), QStringList{c.expected}) << c.sortType << c.ascending;

    // The single comparison agrees with the row order.
    const auto videos = list().objectAtIndex(0)->asVideoList()->videos();
    for (qsizetype i = 0; i + 1 < videos.size(); ++i)
      EXPECT_LE(videoSort(*videos[i], *videos[i + 1], {c.ascending, c.sortType}), 0);
  }

  // Each mode keeps its own settings: grouped rows use the category's.
  list().reloadForBrowsingBy(2);
  EXPECT_EQ(rows().at(1), "Bravo|charlie");
  Utilities::toggleCurrentSortOrder();
  NotificationCenter::defaultCenter().postNotificationName("LibraryViewSortingChanged");
  EXPECT_EQ(rows().at(1), "charlie|Bravo");
  EXPECT_EQ(rows().at(3), "charlie|alpha");
  EXPECT_EQ(rows().at(5), "Echo|delta");
}

TEST_F(BrowseListTest, ExpandAndCollapseMoveTheVideosRow) {
  makeLibrary();
  list().reloadForBrowsingBy(2);
  NotificationRecorder recorder(kListNotifications);
  ZLibraryBrowseListContainerItem *a = group("A-cat");
  list().collapseItem(a);
  EXPECT_EQ(rows().mid(0, 3), QStringList({"#A-cat", "#b-cat", "alpha|charlie"}));
  EXPECT_FALSE(a->expanded());
  ASSERT_EQ(recorder.names(), QStringList{"LibraryViewItemCollapsed"});
  EXPECT_EQ(recorder.seen().at(0).object.value<ZLibraryBrowseListContainerItem *>(), a);
  list().collapseItem(a);  // already collapsed
  EXPECT_EQ(recorder.names().size(), 1);

  list().collapseAllContainers();
  EXPECT_EQ(list().count(), 3);
  EXPECT_TRUE(list().expandedItems().isEmpty());

  recorder.clear();
  list().expandItem(group("b-cat"));
  EXPECT_EQ(rows(), QStringList({"#A-cat", "#b-cat", "alpha|charlie",
                                 "#" + localized("libraryContainerItemNoCategoryTitle")}));
  EXPECT_EQ(recorder.names(), QStringList{"LibraryViewItemExpanded"});
  ASSERT_EQ(list().expandedItems().size(), 1);
  EXPECT_EQ(list().expandedItems().first()->title(), "b-cat");
  EXPECT_EQ(list().objectAtIndex(2)->asVideoList()->container().get(), group("b-cat"));

  list().expandAllContainers();
  EXPECT_EQ(list().count(), 6);
  EXPECT_EQ(rows().at(1), "Bravo|charlie");
  EXPECT_EQ(list().expandedItems().size(), 3);
}

TEST_F(BrowseListTest, SelectingEveryVideoSelectsTheGroup) {
  makeLibrary();
  list().reloadForBrowsingBy(2);
  ZLibraryBrowseListVideoListItem *aVideos = videosOf("A-cat");
  ASSERT_TRUE(aVideos);
  list().toggleVideoSelectionAtIndex(0, aVideos);
  EXPECT_EQ(selection(), QStringList{"Bravo"});
  EXPECT_FALSE(group("A-cat")->selected());
  list().toggleVideoSelectionAtIndex(1, aVideos);
  EXPECT_EQ(selection(), QStringList({"#A-cat", "Bravo", "charlie"}));
  EXPECT_EQ(list().numberOfSelectedItems(), 3);
  EXPECT_EQ(titles(list().selectedVideoIds()), QStringList({"Bravo", "charlie"}));
  // One off again: the group is no longer selected, the other video stays.
  list().toggleVideoSelectionAtIndex(0, aVideos);
  EXPECT_EQ(selection(), QStringList{"charlie"});

  // Extending into another row, one by one.
  ZLibraryBrowseListVideoListItem *without = list().objectAtIndex(5)->asVideoList();
  list().selectVideoAtIndex(0, without, true);
  list().selectVideoAtIndex(1, without, true);
  EXPECT_EQ(selection(),
            QStringList({"charlie", "#" + localized("libraryContainerItemNoCategoryTitle"), "delta",
                         "Echo"}));
  // Without extending, the one video alone.
  list().selectVideoAtIndex(1, without, false);
  EXPECT_EQ(selection(), QStringList{"Echo"});
  // Out of range: nothing.
  list().selectVideoAtIndex(7, without, false);
  list().toggleVideoSelectionAtIndex(-1, without);
  EXPECT_EQ(selection(), QStringList{"Echo"});
  list().unselectAll();
  EXPECT_TRUE(selection().isEmpty());
  EXPECT_EQ(list().numberOfSelectedItems(), 0);
}

TEST_F(BrowseListTest, GroupSelectionCoversItsVideosOpenOrClosed) {
  makeLibrary();
  list().reloadForBrowsingBy(2);
  list().toggleVideoSelectionAtIndex(0, videosOf("A-cat"));
  list().selectContainer(group("b-cat"));
  EXPECT_EQ(selection(), QStringList({"#b-cat", "alpha", "charlie"}));
  EXPECT_EQ(list().selectedContainers().size(), 1);

  // Closed, the group stands for its videos.
  list().collapseItem(group("b-cat"));
  EXPECT_EQ(selection(), QStringList{"#b-cat"});
  EXPECT_EQ(list().numberOfSelectedItems(), 1);
  EXPECT_EQ(titles(list().selectedVideos()), QStringList({"alpha", "charlie"}));
  EXPECT_EQ(titles(list().selectedVideoIds()), QStringList({"alpha", "charlie"}));
  // Opened again, its videos show selected.
  list().expandItem(group("b-cat"));
  EXPECT_EQ(selection(), QStringList({"#b-cat", "alpha", "charlie"}));
  EXPECT_EQ(titles(list().selectedVideos()), QStringList({"alpha", "charlie"}));

  list().toggleContainerSelection(group("A-cat"));
  EXPECT_EQ(selection(), QStringList({"#A-cat", "Bravo", "charlie", "#b-cat", "alpha", "charlie"}));
  EXPECT_EQ(titles(list().selectedVideoIds()),
            QStringList({"Bravo", "charlie", "alpha", "charlie"}));
  list().toggleContainerSelection(group("A-cat"));
  EXPECT_EQ(selection(), QStringList({"#b-cat", "alpha", "charlie"}));

  // A closed group's own selection reaches its videos.
  list().collapseItem(group("A-cat"));
  group("A-cat")->setSelected(true);
  list().expandItem(group("A-cat"));
  EXPECT_EQ(selection().mid(0, 3), QStringList({"#A-cat", "Bravo", "charlie"}));
  // Unselecting all also clears the videos of a closed group that is not
  // selected itself, so that nothing shows selected when it is opened.
  list().selectVideoAtIndex(0, videosOf("A-cat"), false);
  list().collapseItem(group("A-cat"));
  list().unselectAll();
  list().expandItem(group("A-cat"));
  EXPECT_TRUE(selection().isEmpty());

  // A rebuild opens every group and selects nothing.
  list().selectContainer(group("A-cat"));
  list().collapseItem(group("b-cat"));
  list().reloadForBrowsingBy(2, true);
  EXPECT_TRUE(selection().isEmpty());
  EXPECT_EQ(list().expandedItems().size(), 3);
}

TEST_F(BrowseListTest, SelectionChangesPostOnceThroughTheGate) {
  makeLibrary();
  list().reloadForBrowsingBy(2);
  NotificationRecorder recorder({"LibraryViewItemSelectionChanged"});
  auto objects = [&] {
    QStringList out;
    for (const Notification &n : recorder.seen()) {
      if (n.object.value<ZLibraryBrowseListDataSource *>() == &list())
        out << "list";
      else if (auto *g = n.object.value<ZLibraryBrowseListContainerItem *>())
        out << "#" + g->title();
      else if (auto *v = n.object.value<ZLibraryBrowseListVideoItem *>())
        out << v->title();
    }
    return out;
  };

  list().toggleContainerSelection(group("A-cat"));
  EXPECT_EQ(objects(), QStringList({"#A-cat", "list"}));
  recorder.clear();
  list().toggleVideoSelectionAtIndex(1, videosOf("b-cat"));
  EXPECT_EQ(objects(), QStringList{"list"});

  // A group row posts directly, whatever the gate; the list's post is gated.
  recorder.clear();
  {
    ZNotificationSuspension quiet;
    list().selectContainer(group("b-cat"));
  }
  EXPECT_EQ(objects(), QStringList({"#A-cat", "#b-cat"}));

  // A video's own change goes through the gate with the item.
  recorder.clear();
  videosOf("b-cat")->setVideoSelected(false, 0);
  EXPECT_EQ(objects(), QStringList{"alpha"});
  videosOf("b-cat")->setVideoSelected(true, 9);
  EXPECT_EQ(objects().size(), 1);
}
