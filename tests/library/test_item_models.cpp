// The item models over the library's lists, each watched by
// QAbstractItemModelTester: the steps they replay (row edits), the playlists,
// the selected playlist's videos and the browse list, which follow their
// data sources row by row instead of resetting.

#include "LibraryFixture.h"
#include "ModelWatch.h"
#include "Preferences.h"
#include "QtPrinters.h"
#include "ZDragTypes.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListModel.h"
#include "ZModelRoles.h"
#include "ZPlaylistDataSource.h"
#include "ZPlaylistModels.h"
#include "ZRowEdits.h"

#include <QMimeData>
#include <QRandomGenerator>

using namespace ZModelRoles;

namespace {

QList<int> digits(const char *text) {
  QList<int> out;
  for (const char *c = text; *c; ++c) out.append(*c - '0');
  return out;
}

// Lists compared as vectors: Qt 6.4's QList == hands memcmp a null pointer
// for an empty list that never held data, which UBSan reports.
std::vector<int> values(const QList<int> &list) { return {list.begin(), list.end()}; }

std::vector<int> replayed(QList<int> rows, const ZRowEdits &edits, const QList<int> &after) {
  for (const ZRowEdit &edit : edits) applyRowEdit(rows, edit, after, [](int v) { return v; });
  return values(rows);
}

}  // namespace

// ---- the steps ---------------------------------------------------------------------

TEST(RowEdits, TheUsualChangesAreOneStep) {
  using K = ZRowEdit;
  const struct {
    const char *before, *after;
    ZRowEdits expected;
  } cases[] = {
      {"1234", "1234", {}},
      {"", "12", {{K::Insert, 0, 2, 0}}},
      {"1234", "12534", {{K::Insert, 2, 1, 2}}},
      {"1234", "14", {{K::Remove, 1, 2, 0}}},
      {"1234", "", {{K::Remove, 0, 4, 0}}},
      // A dragged block: one move, the smaller side.
      {"123456", "145623", {{K::Move, 1, 2, 6}}},
      {"123456", "156234", {{K::Move, 4, 2, 1}}},
      // A video twice in a playlist, one occurrence removed.
      {"1213", "123", {{K::Remove, 2, 1, 0}}},
      // A narrower and a wider search: removals or insertions alone.
      {"1234567", "2467", {{K::Remove, 0, 1, 0}, {K::Remove, 1, 1, 0}, {K::Remove, 2, 1, 0}}},
      {"2467", "1234567", {{K::Insert, 0, 1, 0}, {K::Insert, 2, 1, 2}, {K::Insert, 4, 1, 4}}},
      {"1234567", "12567", {{K::Remove, 2, 2, 0}}},
      // Nothing in common (the rows of another browse mode): two steps.
      {"19234", "15678", {{K::Remove, 1, 4, 0}, {K::Insert, 1, 4, 1}}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.before) + " -> " + c.after);
    const ZRowEdits edits = rowEdits(digits(c.before), digits(c.after));
    EXPECT_EQ(edits, c.expected);
    EXPECT_EQ(replayed(digits(c.before), edits, digits(c.after)), values(digits(c.after)));
  }
}

TEST(RowEdits, AnyChangeReplaysToTheNewList) {
  QRandomGenerator random(8);
  for (int round = 0; round < 300; ++round) {
    QList<int> before, after;
    for (int i = int(random.bounded(30)); i > 0; --i) before.append(int(random.bounded(6)));
    after = before;
    for (int step = int(random.bounded(6)); step > 0; --step) {
      const int at = after.isEmpty() ? 0 : int(random.bounded(int(after.size())));
      if (random.bounded(2) && !after.isEmpty())
        after.removeAt(at);
      else
        after.insert(at, int(random.bounded(6)));
    }
    const ZRowEdits edits = rowEdits(before, after);
    ASSERT_EQ(replayed(before, edits, after), values(after)) << round;
    for (const ZRowEdit &edit : edits) EXPECT_GT(edit.count, 0);
  }
  // Large lists changed throughout are replaced whole, at once.
  QList<int> many, others;
  for (int i = 0; i < 5000; ++i) {
    many.append(i);
    others.append(i % 2 ? i : -i);
  }
  const ZRowEdits whole = rowEdits(many, others);
  EXPECT_EQ(whole, ZRowEdits({{ZRowEdit::Remove, 2, 4997, 0}, {ZRowEdit::Insert, 2, 4997, 2}}));
  EXPECT_EQ(replayed(many, whole, others), values(others));

  // A search over a large list that drops a few runs of rows keeps the rest:
  // removals when it narrows, insertions when it widens again; one that
  // leaves gaps everywhere replaces the list in two steps.
  QList<int> all, narrowed, sparse;
  for (int i = 0; i < 12000; ++i) {
    all.append(i);
    if ((i / 500) % 2 == 0) narrowed.append(i);
    if (i % 3 == 1) sparse.append(i);
  }
  for (const auto &[from, to] : {std::pair(all, narrowed), std::pair(narrowed, all)}) {
    const ZRowEdits steps = rowEdits(from, to);
    const ZRowEdit::Kind kind = from.size() > to.size() ? ZRowEdit::Remove : ZRowEdit::Insert;
    EXPECT_EQ(steps.size(), 12);
    for (const ZRowEdit &edit : steps) EXPECT_EQ(edit.kind, kind);
    EXPECT_EQ(replayed(from, steps, to), values(to));
  }
  for (const auto &[from, to] : {std::pair(all, sparse), std::pair(sparse, all)}) {
    const ZRowEdits steps = rowEdits(from, to);
    EXPECT_EQ(steps.size(), 2);
    EXPECT_EQ(replayed(from, steps, to), values(to));
  }
}

// ---- the playlists ---------------------------------------------------------------------

class PlaylistModelsTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    for (const char *title : {"A", "B", "C", "D"}) fVideo[title] = addVideo(title);
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
  }
  void TearDown() override {
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  QList<int> ids(const QString &letters) const {
    QList<int> out;
    for (const QChar c : letters) out.append(fVideo.value(QString(c)));
    return out;
  }
  static QString column(const QAbstractItemModel &model, int role = Qt::DisplayRole) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) out << model.index(r, 0).data(role).toString();
    return out.join(',');
  }

  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
};

TEST_F(PlaylistModelsTest, ThePlaylistListFollowsAddsRenamesAndDeletesRowByRow) {
  db().saveNewPlaylist("beta", std::nullopt);
  db().saveNewPlaylist("delta", std::nullopt);
  ZPlaylistListModel model(*fPlaylists);
  ModelWatch watch(&model);
  EXPECT_EQ(column(model), "beta,delta");

  db().saveNewPlaylist("Charlie", std::nullopt);
  EXPECT_EQ(watch.structural(), QStringList({"insert 1..1"}));
  fPlaylists->selectPlaylist("charlie");
  EXPECT_EQ(column(model, SelectedRole), "false,true,false");

  // Renamed in place, then past its neighbour.
  watch.clear();
  fPlaylists->renameSelectedPlaylist("Cee");
  EXPECT_TRUE(watch.structural().isEmpty()) << watch.events().join(';').toStdString();
  EXPECT_TRUE(watch.events().contains("changed 1..1"));
  watch.clear();
  EXPECT_TRUE(model.setData(model.index(1, 0), "epsilon", Qt::EditRole));
  EXPECT_EQ(column(model), "beta,delta,epsilon");
  EXPECT_EQ(watch.structural().size(), 1);  // one move (or its removal and insertion)
  EXPECT_EQ(column(model, SelectedRole), "false,false,true");
  EXPECT_FALSE(model.setData(model.index(0, 0), "not selected", Qt::EditRole));

  // Selecting through the model, deleting the selected one.
  watch.clear();
  EXPECT_TRUE(model.setData(model.index(0, 0), true, SelectedRole));
  EXPECT_EQ(fPlaylists->selectedPlaylistName(), "beta");
  EXPECT_EQ(watch.events(), QStringList({"changed 2..2", "changed 0..0"}));
  watch.clear();
  fPlaylists->deleteSelectedPlaylist();
  EXPECT_EQ(watch.structural(), QStringList({"remove 0..0"}));
  EXPECT_EQ(column(model), "delta,epsilon");
  EXPECT_EQ(column(model, SelectedRole), "false,false");
  EXPECT_EQ(model.index(0, 0).data(PlaylistIdRole).toInt(), db().getIdForPlaylist("delta"));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join('\n').toStdString();
}

TEST_F(PlaylistModelsTest, TheSelectedPlaylistsVideosFollowDropsMovesAndRemovals) {
  db().saveNewPlaylist("Mix", ids("BAC"));
  db().saveNewPlaylist("Other", ids("DD"));
  fPlaylists->selectPlaylist("Mix");
  ZPlaylistVideosModel model(*fPlaylists);
  ModelWatch watch(&model);
  const auto letters = [&] { return column(model).remove(','); };
  EXPECT_EQ(letters(), "BAC");
  EXPECT_EQ(model.index(1, 0).data(VideoIdRole).toInt(), fVideo["A"]);
  EXPECT_EQ(model.index(1, 0).data(ThumbnailPathRole).toString(), "");

  const struct {
    const char *name;
    std::function<void()> change;
    const char *rows;
    QStringList expected;
  } steps[] = {
      {"library videos dropped at the head",
       [&] {
         QMimeData dropped;
         dropped.setData(ZDragTypes::videoIds(), ZDragTypes::encode(ids("D")));
         EXPECT_TRUE(model.dropMimeData(&dropped, Qt::CopyAction, 0, 0, QModelIndex()));
       },
       "DBAC",
       {"insert 0..0"}},
      {"own rows dragged down",
       [&] {
         std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(1, 0), model.index(0, 0)}));
         EXPECT_EQ(ZDragTypes::decode(dragged->data(ZDragTypes::nowPlayingListRows())),
                   QList<int>({0, 1}));
         EXPECT_EQ(ZDragTypes::decode(dragged->data(ZDragTypes::videoIds())), ids("DB"));
         EXPECT_TRUE(model.dropMimeData(dragged.get(), Qt::CopyAction, 4, 0, QModelIndex()));
       },
       "ACDB",
       {"move 0..1 to 4"}},
      {"a video removed",
       [&] { fPlaylists->removeVideosWithIds(ids("C")); },
       "ADB",
       {"remove 1..1"}},
      // (how the rows get there is the diff's business)
      {"another playlist selected", [&] { fPlaylists->selectPlaylist("Other"); }, "DD", {"*"}},
      {"a video deleted from the library",
       [&] { db().deleteVideosWithIds(ids("D")); },
       "",
       {"remove 0..1"}},
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.name);
    watch.clear();
    step.change();
    EXPECT_EQ(letters(), step.rows);
    EXPECT_EQ(values(fPlaylists->videosForSelectedPlaylist()), values(ids(step.rows)));
    if (step.expected != QStringList{"*"}) EXPECT_EQ(watch.structural(), step.expected);
    EXPECT_FALSE(watch.events().contains("reset"));
  }
  QMimeData text;
  text.setText("not ours");
  EXPECT_FALSE(model.dropMimeData(&text, Qt::CopyAction, 0, 0, QModelIndex()));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join('\n').toStdString();
}

// ---- the browse list -----------------------------------------------------------------------

class BrowseListModelTest : public PlaylistModelsTest {
 protected:
  void SetUp() override {
    PlaylistModelsTest::SetUp();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    Preferences::registerBatchA(defaults);
    defaults.removeObject("LibraryBrowseBy");
    for (const int mode : {0, 2}) {
      defaults.removeObject(Preferences::sortTypeKeyForBrowseMode(mode));
      defaults.removeObject(Preferences::sortOrderKeyForBrowseMode(mode));
    }
    // Categories: "cat one" A, B; "cat two" C; D has none.
    for (const char *title : {"A", "B"})
      ASSERT_TRUE(db().addCategoryWithName("cat one", {}, {}, {}, fVideo[title]));
    ASSERT_TRUE(db().addCategoryWithName("cat two", {}, {}, {}, fVideo["C"]));
    fList = std::make_unique<ZLibraryBrowseListDataSource>(db(), *fPlaylists);
  }
  void TearDown() override {
    fList.reset();
    PlaylistModelsTest::TearDown();
  }

  // The tree as text: "[group]" rows, "(titles)" videos rows.
  static QString tree(const QAbstractItemModel &model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
      const QModelIndex row = model.index(r, 0);
      if (row.data(RowKindRole).toInt() == ContainerRow) {
        rows << "[" + row.data().toString() + "]";
        continue;
      }
      QStringList videos;
      for (int v = 0; v < model.rowCount(row); ++v)
        videos << model.index(v, 0, row).data().toString();
      rows << "(" + videos.join(',') + ")";
    }
    return rows.join(' ');
  }

  std::unique_ptr<ZLibraryBrowseListDataSource> fList;
};

TEST_F(BrowseListModelTest, GroupsExpandAndCollapseAsOneRowAndANewVideoIsOneInsertedRow) {
  fList->reloadForBrowsingBy(2);
  ZLibraryBrowseListModel model(*fList, db());
  ModelWatch watch(&model);
  EXPECT_EQ(tree(model), "[cat one] (A,B) [cat two] (C) [Without Category] (D)");
  const QModelIndex catOne = model.index(0, 0);
  EXPECT_TRUE(catOne.data(ExpandedRole).toBool());
  EXPECT_EQ(catOne.data(VideoCountRole).toInt(), 2);
  EXPECT_EQ(catOne.data(ContainerTypeRole).toInt(), 2);
  EXPECT_FALSE(model.flags(model.index(1, 0)) & Qt::ItemIsSelectable);
  EXPECT_EQ(model.index(1, 0, model.index(1, 0)).data(VideoIdRole).toInt(), fVideo["B"]);

  // Collapsed and expanded through the model.
  EXPECT_TRUE(model.setData(model.index(2, 0), false, ExpandedRole));
  EXPECT_EQ(tree(model), "[cat one] (A,B) [cat two] [Without Category] (D)");
  EXPECT_EQ(watch.structural(), QStringList({"remove 3..3"}));
  watch.clear();
  EXPECT_TRUE(model.setData(model.index(2, 0), true, ExpandedRole));
  EXPECT_EQ(watch.structural(), QStringList({"insert 3..3"}));

  // A new video in "cat two": the library rebuilds the list; the views see
  // one video inserted.
  watch.clear();
  const int e = addVideo("E");
  ASSERT_TRUE(db().addCategoryWithName("cat two", {}, {}, {}, e));
  EXPECT_EQ(tree(model), "[cat one] (A,B) [cat two] (C,E) [Without Category] (D)");
  EXPECT_FALSE(watch.events().contains("reset"));
  EXPECT_TRUE(watch.structural().contains("insert 1..1 in 3"))
      << watch.events().join(';').toStdString();

  // Another mode: the rows change completely, still without a reset.
  watch.clear();
  fList->reloadForBrowsingBy(0);
  EXPECT_EQ(tree(model), "(A,B,C,D,E)");
  EXPECT_FALSE(watch.events().contains("reset"));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join('\n').toStdString();
}

TEST_F(BrowseListModelTest, SelectionSortingAndDragsGoThroughTheList) {
  fList->reloadForBrowsingBy(2);
  ZLibraryBrowseListModel model(*fList, db());
  ModelWatch watch(&model);
  const QModelIndex videos = model.index(1, 0);

  // Selecting both videos of a group one by one selects the group too.
  for (int v : {0, 1}) EXPECT_TRUE(model.setData(model.index(v, 0, videos), true, SelectedRole));
  EXPECT_TRUE(model.index(0, 0).data(SelectedRole).toBool());
  EXPECT_EQ(fList->selectedVideoIds(), ids("AB"));
  EXPECT_TRUE(watch.structural().isEmpty());
  EXPECT_TRUE(watch.events().contains("changed 0..0"));  // the group row
  watch.clear();
  fList->unselectAll();
  EXPECT_EQ(watch.events(), QStringList({"changed 0..0", "changed 0..1 in 1"}));

  // A new sort order moves the videos inside their rows: a layout change that
  // keeps a view's place on its video.
  const QPersistentModelIndex onA(model.index(0, 0, videos));
  watch.clear();
  Utilities::toggleCurrentSortOrder();
  NotificationCenter::defaultCenter().postNotificationName("LibraryViewSortingChanged");
  EXPECT_EQ(tree(model), "[cat one] (B,A) [cat two] (C) [Without Category] (D)");
  EXPECT_EQ(watch.structural(), QStringList({"layout"}));
  EXPECT_EQ(onA.row(), 1);
  EXPECT_EQ(onA.data().toString(), "A");

  // Groups and videos drag out as their ids.
  std::unique_ptr<QMimeData> dragged(
      model.mimeData({model.index(2, 0), model.index(1, 0, videos), model.index(0, 0)}));
  EXPECT_EQ(ZDragTypes::decode(dragged->data(ZDragTypes::videoIds())), ids("CAB"));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join('\n').toStdString();
}
