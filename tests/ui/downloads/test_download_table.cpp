// The downloads page: header, rows in sight, scrolling, the stop and play
// buttons, keyboard and accessibility, and what hostile titles and pictures
// do to it.
#include "DownloadTest.h"
#include "Localization.h"
#include "UserDefaults.h"
#include "ZControls.h"
#include "ZDownloadListModel.h"
#include "ZDownloadRowsView.h"
#include "ZDownloadTableRowView.h"
#include "ZDownloadTableView.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QScrollBar>
#include <QTest>

namespace {

// The rectangle's pixels of a grabbed picture, for comparisons.
QImage cut(const QImage &picture, const QRectF &rect) { return picture.copy(rect.toRect()); }

// How many pixels of the rectangle differ from the colour.
int pixelsOtherThan(const QImage &picture, const QRect &rect, const QColor &color) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (picture.pixelColor(x, y).rgb() != color.rgb()) ++n;
  return n;
}

}  // namespace

class DownloadPageTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    ZSkinManager &skins = ZSkinManager::sharedSkinManager();
    if (!skins.getCurrentSkin()) skins.setCurrentSkin(skins.getDefaultSkin());
    ASSERT_NE(skins.getCurrentSkin(), nullptr);
    fDefaults->registerDefaults({{QStringLiteral("DownloadConfirmCancellation"), true}});
    fPlaylists = std::make_unique<ZPlaylistDataSource>(*fDatabase);
    fNowPlaying = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, *fDatabase);
  }
  void TearDown() override {
    fPage.reset();
    fNowPlaying.reset();
    fPlaylists.reset();
    DownloadTest::TearDown();
  }

  ZDownloadTableView &page(const QSize &size = QSize(900, 500)) {
    ZDownloadTableEnvironment environment;
    environment.queue = &queue();
    environment.defaults = fDefaults.get();
    environment.dialogs = &fDialogs;
    environment.nowPlaying = fNowPlaying.get();
    environment.library = fDatabase.get();
    fPage = std::make_unique<ZDownloadTableView>(environment);
    fPage->resize(size);
    fPage->show();
    QApplication::processEvents();
    return *fPage;
  }
  ZDownloadRowsView &rows() { return *fPage->scrollView(); }
  ZDownloadTableRowView *rowView(int row) { return rows().rowView(row); }

  // Clicks the button of a row in sight.
  void clickButton(int row) {
    ZDownloadTableRowView *view = rowView(row);
    ASSERT_NE(view, nullptr);
    QTest::mouseClick(view->stopButton(), Qt::LeftButton);
    QApplication::processEvents();
  }

  // A download of the reference service, finished (not added to the library:
  // no library id).
  ZDownloadItem *finishedDownload(const QString &permalink) {
    if (!fService) startService();
    EXPECT_TRUE(queue().downloadVideo(permalink, DownloadTypeDirect));
    ZDownloadItem *item = nullptr;
    for (const auto &ref : queue().downloadItems())
      if (ref->permalink() == permalink) item = ref.get();
    EXPECT_NE(item, nullptr);
    if (item && !item->downloadComplete()) {
      EXPECT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, item),
                DownloadNotification::Finished);
    }
    QApplication::processEvents();
    return item;
  }

  ScriptedDialogs fDialogs;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fNowPlaying;
  std::unique_ptr<ZDownloadTableView> fPage;
};

TEST_F(DownloadPageTest, EmptyQueueShowsTheHeaderAndTheMessageWithoutRows) {
  ZDownloadTableView &table = page();
  EXPECT_TRUE(table.showsEmptyMessage());
  EXPECT_FALSE(rows().isVisible());
  const ZDownloadTableMetrics &m = table.metrics();
  const QImage picture = table.grab().toImage();
  const int header = int(m.headerHeight);
  // The column titles in the header band, the message 30 below it.
  EXPECT_GT(pixelsOtherThan(picture, QRect(0, 0, table.width(), header - 2), m.background), 100);
  const int messageTop = header + 30;
  EXPECT_EQ(pixelsOtherThan(picture, QRect(0, header, table.width(), 29), m.background), 0);
  EXPECT_GT(pixelsOtherThan(picture, QRect(0, messageTop, table.width(), 24), m.background), 100);

  // The first download replaces the message by its row.
  addSavedJob("one", JobStatePendingImage, "One");
  queue().readSavedJobs();
  QApplication::processEvents();
  EXPECT_FALSE(table.showsEmptyMessage());
  EXPECT_TRUE(rows().isVisible());
  ASSERT_NE(rowView(0), nullptr);
  EXPECT_EQ(rowView(0)->titleText(), "One");
}

TEST_F(DownloadPageTest, MoreRowsThanFitScrollAndOnlyRowsInSightHaveViews) {
  for (int i = 0; i < 40; ++i) addSavedJob(QStringLiteral("v%1").arg(i), JobStatePendingImage,
                                           QStringLiteral("Video %1").arg(i));
  queue().readSavedJobs();
  ZDownloadTableView &table = page(QSize(900, 400));
  const int rowHeight = int(table.metrics().rowHeight);
  QScrollBar *bar = rows().verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 40 * rowHeight - rows().viewport()->height());
  const int inSight = rows().viewport()->height() / rowHeight + 2;
  EXPECT_LE(rows().rowViewCount(), inSight);
  ASSERT_NE(rowView(0), nullptr);
  EXPECT_EQ(rowView(0)->geometry(), QRect(0, 0, rows().viewport()->width(), rowHeight));
  EXPECT_EQ(rowView(20), nullptr);

  bar->setValue(bar->maximum());
  QApplication::processEvents();
  ASSERT_NE(rowView(39), nullptr);
  EXPECT_EQ(rowView(39)->titleText(), "Video 39");
  EXPECT_EQ(rowView(39)->geometry().bottom(), rows().viewport()->height() - 1);
  EXPECT_EQ(rowView(0), nullptr);
  EXPECT_LE(rows().rowViewCount(), inSight);
}

TEST_F(DownloadPageTest, FewRowsStartAtTheTopWithoutAScroller) {
  addSavedJob("a", JobStateFailed, "A");
  addSavedJob("b", JobStateWaitingForDiskSpace, "B");
  queue().readSavedJobs();
  ZDownloadTableView &table = page();
  const int rowHeight = int(table.metrics().rowHeight);
  EXPECT_FALSE(rows().verticalScrollBar()->isVisible());
  EXPECT_EQ(rows().geometry(), QRect(0, int(table.metrics().headerHeight), 900,
                                     500 - int(table.metrics().headerHeight)));
  ASSERT_NE(rowView(1), nullptr);
  EXPECT_EQ(rowView(0)->geometry().top(), 0);
  EXPECT_EQ(rowView(1)->geometry().top(), rowHeight);
  EXPECT_EQ(rowView(0)->connectionSpeedText(), "Server failure");
  EXPECT_EQ(rowView(0)->timeRemainingText(), "--");
  EXPECT_EQ(rowView(1)->connectionSpeedText(), "No disk space");
  EXPECT_EQ(rowView(1)->progressText(), "0.0%");
  // The button sits 12 from the right edge, centred.
  const QRect button = rowView(0)->stopButton()->geometry();
  EXPECT_EQ(button.right() + 1, 900 - 12);
  EXPECT_EQ(button.top(), (rowHeight - button.height()) / 2);
}

TEST_F(DownloadPageTest, StopWithTheConfirmationOffCancelsAtOnce) {
  fDefaults->setBool(false, QStringLiteral("DownloadConfirmCancellation"));
  addSavedJob("a", JobStateFailed, "A");
  addSavedJob("b", JobStatePendingImage, "B");
  queue().readSavedJobs();
  page();
  clickButton(0);
  EXPECT_TRUE(fDialogs.asked().isEmpty());
  ASSERT_EQ(queue().count(), 1);
  EXPECT_EQ(queue().downloadItems().first()->permalink(), "b");
  EXPECT_EQ(fDatabase->getVideoDownloadJobs().size(), 1);
  ASSERT_NE(rowView(0), nullptr);
  EXPECT_EQ(rowView(0)->titleText(), "B");
  EXPECT_EQ(rowView(1), nullptr);
}

TEST_F(DownloadPageTest, StopAsksFirstAndKeepsTheShowAgainChoice) {
  struct Case {
    const char *confirmation, *showAgain;
    bool cancelled, askNextTime;
  } cases[] = {
      {"0", "1", false, true},
      {"0", "0", false, false},
      {"1", "1", true, true},
  };
  addSavedJob("a", JobStatePendingImage, "A");
  queue().readSavedJobs();
  page();
  for (const Case &c : cases) {
    fDefaults->setBool(true, QStringLiteral("DownloadConfirmCancellation"));
    fDialogs.clearAsked();
    fDialogs.setAnswer(QStringLiteral("confirmation"), QString::fromLatin1(c.confirmation));
    fDialogs.setAnswer(QStringLiteral("showAgain"), QString::fromLatin1(c.showAgain));
    clickButton(0);
    EXPECT_EQ(fDialogs.asked(),
              QStringList{"confirmation " + localized(QStringLiteral("downloadsStopConfirmationMessage"))});
    EXPECT_EQ(queue().count(), c.cancelled ? 0 : 1) << c.confirmation << c.showAgain;
    EXPECT_EQ(fDefaults->boolForKey(QStringLiteral("DownloadConfirmCancellation")), c.askNextTime);
  }
}

TEST_F(DownloadPageTest, FinishedDownloadPlaysOnlyWhenItIsInTheLibrary) {
  ZDownloadTableView &table = page();
  int playRequests = 0;
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("ActionStartPlayingNewVideoList"),
      [&](const Notification &) { ++playRequests; });
  ZDownloadItem *item = finishedDownload("ocean-sunrise");
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->downloadComplete());
  ZDownloadTableRowView *row = rowView(queue().indexOfItem(item));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->titleText(), "Sunrise over the ocean");
  EXPECT_EQ(row->connectionSpeedText(), "Finished");
  EXPECT_EQ(row->timeRemainingText(), "Done");
  EXPECT_EQ(row->progressText(), "100.0%");
  EXPECT_EQ(row->stopButton()->accessibleName(), "Play");
  EXPECT_FALSE(table.thumbnailFor(*item, QSize(96, 64)).isNull());

  // Without a library id the play button does nothing.
  ASSERT_EQ(item->videoId(), -1);
  clickButton(queue().indexOfItem(item));
  EXPECT_EQ(queue().indexOfItem(item), 0);
  EXPECT_EQ(fNowPlaying->count(), 0);
  EXPECT_EQ(playRequests, 0);
  EXPECT_TRUE(fDialogs.asked().isEmpty());

  // A library id whose video was deleted since: no play button, and the row
  // pressed from the keyboard plays nothing.
  VideoDatabase::AddVideoParams params;
  params.title = QStringLiteral("Sunrise over the ocean");
  params.path = item->downloadedPath();
  params.extension = QStringLiteral("mp4");
  const int gone = fDatabase->addVideo(params);
  params.path += QStringLiteral(".kept");
  const int kept = fDatabase->addVideo(params);
  ASSERT_GE(gone, 0);
  ASSERT_GE(kept, 0);
  item->setVideoId(gone);
  row->refresh();
  EXPECT_TRUE(row->stopButton()->isVisible());
  ASSERT_TRUE(fDatabase->deleteVideosWithIds({gone}));
  EXPECT_FALSE(row->stopButton()->isVisible());
  row->pressStopButton();
  EXPECT_EQ(queue().indexOfItem(item), 0);
  EXPECT_EQ(playRequests, 0);

  // With one in the library it leaves the list and plays that video alone.
  item->setVideoId(kept);
  row->refresh();
  EXPECT_TRUE(row->stopButton()->isVisible());
  clickButton(0);
  EXPECT_EQ(queue().indexOfItem(item), -1);
  ASSERT_EQ(fNowPlaying->count(), 1);
  EXPECT_EQ(fNowPlaying->videoIdAtIndex(0), kept);
  EXPECT_EQ(playRequests, 1);
  EXPECT_TRUE(table.showsEmptyMessage());
  NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(DownloadPageTest, ClearCompletedDropsFinishedRowsOnly) {
  addSavedJob("waiting", JobStatePendingImage, "Waiting one");
  queue().readSavedJobs();
  page();
  ZDownloadItem *item = finishedDownload("ten-million");
  ASSERT_TRUE(item && item->downloadComplete());
  ASSERT_EQ(queue().count(), 2);
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionClearCompletedDownloads"));
  QApplication::processEvents();
  ASSERT_EQ(fPage->model().rowCount(), 1);
  EXPECT_EQ(rowView(0)->titleText(), "Waiting one");
  EXPECT_EQ(rowView(1), nullptr);
}

TEST_F(DownloadPageTest, RowsAndButtonsWorkFromTheKeyboardAndTheAccessibilityTree) {
  fDefaults->setBool(false, QStringLiteral("DownloadConfirmCancellation"));
  for (const char *name : {"a", "b", "c"})
    addSavedJob(name, JobStatePendingImage, QStringLiteral("Title %1").arg(name));
  queue().readSavedJobs();
  page();
  QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&rows());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::List);
  EXPECT_EQ(list->text(QAccessible::Name), "Downloads");
  ASSERT_EQ(list->childCount(), 3);
  QAccessibleInterface *second = list->child(1);
  EXPECT_EQ(second->role(), QAccessible::ListItem);
  EXPECT_EQ(second->text(QAccessible::Name), "Title b");
  // Waiting: the state, no speed, no time (unknown), the bar at 0.
  EXPECT_EQ(second->text(QAccessible::Description), "Waiting");
  EXPECT_EQ(second->parent()->object(), &rows());
  ASSERT_EQ(second->childCount(), 2);
  QAccessibleInterface *bar = second->child(0);
  EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
  EXPECT_EQ(bar->text(QAccessible::Value), "0.0%");
  ASSERT_NE(bar->valueInterface(), nullptr);
  EXPECT_EQ(bar->valueInterface()->currentValue().toDouble(), 0.0);
  QAccessibleInterface *button = second->child(1);
  EXPECT_EQ(second->indexOfChild(button), 1);
  EXPECT_EQ(button->role(), QAccessible::Button);
  EXPECT_EQ(button->text(QAccessible::Name), "Stop");
  ASSERT_NE(button->actionInterface(), nullptr);
  EXPECT_TRUE(button->actionInterface()->actionNames().contains(
      QAccessibleActionInterface::pressAction()));

  // The accessible press stops the download.
  button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QApplication::processEvents();
  ASSERT_EQ(queue().count(), 2);
  EXPECT_EQ(queue().downloadItems().at(1)->permalink(), "c");

  // Keys: focus takes the first row, Down the next, Space presses its button.
  QApplication::setActiveWindow(fPage.get());
  rows().setFocus();
  QApplication::processEvents();
  EXPECT_EQ(rows().currentRow(), 0);
  EXPECT_TRUE(rowView(0)->isCurrent());
  QTest::keyClick(&rows(), Qt::Key_Down);
  EXPECT_EQ(rows().currentRow(), 1);
  EXPECT_TRUE(list->child(1)->state().selected);
  QTest::keyClick(&rows(), Qt::Key_Space);
  QApplication::processEvents();
  ASSERT_EQ(queue().count(), 1);
  EXPECT_EQ(queue().downloadItems().at(0)->permalink(), "a");
  EXPECT_EQ(rows().currentRow(), 0) << "the mark passes to the row above the removed last one";
}

// A running download, as assistive technology reads it: the row's progress
// bar child goes from 0 to 100 as the transfer advances, the description
// holds the speed and time left as drawn, and at the end what the cells say.
TEST_F(DownloadPageTest, RunningRowsTellTheirProgressSpeedAndTimeLeft) {
  fEnvironment.progressIntervalMs = 100;
  startService();
  addFault(R"({"kind": "rate", "value": 2000000, "path": "/cache/", "count": 1})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ten-million"), DownloadTypeDirect));
  ZDownloadItem *item = queue().downloadItems().at(0).get();
  page();
  ZDownloadTableRowView *view = rowView(0);
  ASSERT_NE(view, nullptr);

  QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&rows());
  ASSERT_EQ(list->childCount(), 1);
  QAccessibleInterface *row = list->child(0);
  QAccessibleInterface *bar = row->child(0);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
  EXPECT_EQ(bar->text(QAccessible::Name), "Progress");
  EXPECT_EQ(bar->parent(), row);
  EXPECT_EQ(row->indexOfChild(bar), 0);
  QAccessibleValueInterface *value = bar->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->minimumValue().toDouble(), 0.0);
  EXPECT_EQ(value->maximumValue().toDouble(), 100.0);
  EXPECT_TRUE(view->progressRect().contains(view->mapFromGlobal(bar->rect().center())));

  // Running, with a rate and an estimate: the bar between 0 and 100, its text
  // as drawn; the description is the speed and the time left as drawn.
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return item->byteRate() > 0 && value->currentValue().toDouble() > 0 &&
           item->secondsRemainingForDownloadToComplete() > 0;
  }));
  const double first = value->currentValue().toDouble();
  EXPECT_LT(first, 100.0);
  EXPECT_EQ(bar->text(QAccessible::Value), view->progressText());
  EXPECT_TRUE(view->connectionSpeedText().endsWith("/s")) << view->connectionSpeedText().toStdString();
  EXPECT_EQ(row->text(QAccessible::Description),
            view->connectionSpeedText() + ", " + view->timeRemainingText() + " left");

  // It advances.
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return value->currentValue().toDouble() > first + 5; }));
  EXPECT_LT(value->currentValue().toDouble(), 100.0);

  // Finished: the bar full, the description what the cells say.
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->downloadComplete(); }));
  QApplication::processEvents();
  EXPECT_EQ(value->currentValue().toDouble(), 100.0);
  EXPECT_EQ(bar->text(QAccessible::Value), "100.0%");
  EXPECT_EQ(row->text(QAccessible::Description), "Finished, Done");
}

TEST_F(DownloadPageTest, KeysScrollTheCurrentRowIntoSight) {
  for (int i = 0; i < 30; ++i) addSavedJob(QStringLiteral("v%1").arg(i), JobStatePendingImage,
                                           QStringLiteral("Video %1").arg(i));
  queue().readSavedJobs();
  page(QSize(900, 400));
  QApplication::setActiveWindow(fPage.get());
  rows().setFocus();
  QTest::keyClick(&rows(), Qt::Key_End);
  EXPECT_EQ(rows().currentRow(), 29);
  ASSERT_NE(rowView(29), nullptr);
  EXPECT_TRUE(rows().viewport()->rect().contains(rowView(29)->geometry()));
  QTest::keyClick(&rows(), Qt::Key_PageUp);
  const int page = rows().viewport()->height() / int(fPage->metrics().rowHeight);
  EXPECT_EQ(rows().currentRow(), 29 - page);
  QTest::keyClick(&rows(), Qt::Key_Home);
  EXPECT_EQ(rows().currentRow(), 0);
  EXPECT_EQ(rows().verticalScrollBar()->value(), 0);
}

TEST_F(DownloadPageTest, HostileTitlesDrawTruncatedAndPlainAndBadPicturesDrawThePlaceholder) {
  const QString markup = QStringLiteral("<b>Bold</b> <img src=x> &amp;");
  const QString longTitle = QString(2000, u'W');
  const QString broken = fRoot + "/broken.jpg";
  TestEnvironment::writeFile(broken, QByteArray("\xff\xd8\xff\xe0 not really a JPEG", 20));
  addSavedJob("short", JobStateFailed, "x");
  addSavedJob("long", JobStateFailed, longTitle, broken);
  addSavedJob("markup", JobStateFailed, markup, fRoot + "/missing.jpg");
  queue().readSavedJobs();
  ZDownloadTableView &table = page(QSize(1000, 400));
  rows().clearFocus();  // no focus frame over the cells compared
  ASSERT_NE(rowView(2), nullptr);
  EXPECT_EQ(rowView(2)->titleText(), markup);
  EXPECT_EQ(rowView(2)->accessibleName(), markup);
  EXPECT_EQ(rowView(1)->titleText().size(), 2000);

  const ZDownloadColumns c = ZDownloadColumns::forRow(table.metrics(), rowView(0)->width(),
                                                      rowView(0)->height());
  const QImage plain = rowView(0)->grab().toImage();
  const QImage tall = rowView(1)->grab().toImage();
  const QImage marked = rowView(2)->grab().toImage();
  if (qEnvironmentVariableIsSet("ZARO_TEST_DUMP")) {
    plain.save("/tmp/row-plain.png");
    tall.save("/tmp/row-tall.png");
    marked.save("/tmp/row-marked.png");
  }
  // Whatever the title, nothing of it reaches the speed column.
  EXPECT_EQ(cut(tall, c.connectionSpeed), cut(plain, c.connectionSpeed));
  EXPECT_EQ(cut(marked, c.connectionSpeed), cut(plain, c.connectionSpeed));
  // The long title is drawn up to the column, ending in an ellipsis.
  EXPECT_GT(pixelsOtherThan(tall, QRect(int(c.title.right()) - 40, 0, 40, int(c.title.height())),
                            table.metrics().background),
            0);
  // A picture that does not load, and one that is missing, look like none.
  EXPECT_TRUE(table.thumbnailFor(*queue().downloadItems().at(1), c.thumbnail.size().toSize()).isNull());
  EXPECT_EQ(cut(tall, c.thumbnail), cut(plain, c.thumbnail));
  EXPECT_EQ(cut(marked, c.thumbnail), cut(plain, c.thumbnail));
  EXPECT_GT(pixelsOtherThan(plain, c.thumbnail.toRect(), table.metrics().background2), 100)
      << "the skin's placeholder is drawn";
}

TEST(DownloadProgressBar, CapsAndStretchesFollowThePercentage) {
  const auto piece = [](int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::blue);
    return image;
  };
  ZDownloadTableImages images;
  images.barLeftOff = images.barLeftOn = piece(6, 12);
  images.barRightOff = images.barRightOn = piece(8, 12);
  images.barBackgroundOff = images.barBackgroundOn = piece(1, 10);
  ASSERT_TRUE(images.hasProgressBar());
  const QRectF column(100, 0, 266, 86);
  // Between the caps: from 100 + 10 + 6 to 366 - 10 - 8, 232 points.
  struct Case {
    double percent;
    bool complete, leftOn, rightOn;
    double onWidth;
  } cases[] = {
      {0, false, false, false, 0},     {0.05, false, true, false, 0.116},
      {50, false, true, false, 116},   {100, false, true, false, 232},
      {100, true, true, true, 232},    {140, false, true, false, 232},
  };
  for (const Case &c : cases) {
    const ZProgressBarPieces bar = ZProgressBarPieces::forColumn(column, images, c.percent, c.complete);
    EXPECT_EQ(bar.leftCapOn, c.leftOn) << c.percent;
    EXPECT_EQ(bar.rightCapOn, c.rightOn) << c.percent;
    EXPECT_EQ(bar.leftCap, QRectF(110, 37, 6, 12)) << c.percent;
    EXPECT_EQ(bar.rightCap, QRectF(348, 37, 8, 12)) << c.percent;
    EXPECT_DOUBLE_EQ(bar.on.width(), c.onWidth) << c.percent;
    EXPECT_DOUBLE_EQ(bar.on.left(), 116) << c.percent;
    EXPECT_DOUBLE_EQ(bar.off.left(), 116 + c.onWidth) << c.percent;
    EXPECT_DOUBLE_EQ(bar.off.right(), 348) << c.percent;
    EXPECT_EQ(bar.on.top(), 38) << "the stretches are centred too";
  }
  // Without every piece the bar is not drawn.
  images.barRightOn = QImage();
  EXPECT_FALSE(images.hasProgressBar());
}
