// What one row shows and takes: the rating widget and save button of a
// detail row (a rating of a service video reaches the service), thumbnails
// that are missing or broken, and titles that are markup, right-to-left or
// very long.
#include "CannedServer.h"
#include "LibraryViewFixture.h"
#include "QtPrinters.h"
#include "ZControls.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryTexts.h"
#include "ZServerRatingManager.h"
#include "ZThumbnailCache.h"
#include "ZVideoRowControls.h"

#include <QAccessible>
#include <QLocale>
#include <QTest>

class LibraryRowsTest : public LibraryViewTest {
 protected:
  ZLibraryItemsView &showDetails() {
    defaults().setInteger(1, QStringLiteral("LibraryActiveView"));
    defaults().setBool(false, QStringLiteral("LibraryPlaylistVisible"));
    ZLibraryViewContainer &container = makeContainer(0, QSize(700, 600));
    container.show();
    QCoreApplication::processEvents();
    return *container.itemsView();
  }
  const ZVideoRowControls::Row *rowOf(ZLibraryItemsView &view, int index) {
    for (const auto *row : view.rowControls()->shownRows())
      if (row->index == index) return row;
    return nullptr;
  }
};

TEST_F(LibraryRowsTest, RatingAServiceVideoStoresAndReportsItOthersOnlyStore) {
  CannedServer server([](const CannedRequest &) { return CannedServer::response(200, "<ok/>"); });
  qputenv("ZARO_SERVICE_URL", server.base().toUtf8());
  ZServerRatingManager ratings(nullptr, &defaults());
  fRatings = &ratings;
  const int fromService = addLibraryVideo({"A", "", "", Qt::red, 60, "", "v1 2"});
  const int imported = addLibraryVideo({"B"});
  ZLibraryItemsView &view = showDetails();
  const auto rate = [&](int index, int stars) {
    ZRateButtonView *widget = rowOf(view, index)->rate;
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2));  // opens the choices
    ASSERT_TRUE(widget->isChoosing());
    QTest::mouseClick(widget, Qt::LeftButton, {},
                      QPoint(int((stars + 0.5) * widget->cellWidth()), 2));
  };
  rate(0, 3);
  rate(1, 5);
  EXPECT_EQ(db().ratingForVideo(fromService), 3);
  EXPECT_EQ(db().ratingForVideo(imported), 5);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return ratings.pendingReports() == 0; }, 20000));
  const QList<CannedRequest> reports = server.requestsTo("/service/userRatings.xml");
  ASSERT_EQ(reports.size(), 1);
  EXPECT_EQ(reports.first().method, "POST");
  EXPECT_EQ(reports.first().body, "permalinkId=v1%202&rating=3");
  // The widget shows the stored rating.
  EXPECT_EQ(rowOf(view, 0)->rate->rating(), 3);
  qunsetenv("ZARO_SERVICE_URL");
}

TEST_F(LibraryRowsTest, SaveButtonFlipsTheMarkAndPlayButtonPlaysItsVideo) {
  const int a = addLibraryVideo({"A"});
  addLibraryVideo({"B"});
  NotificationRecorder recorder({"ActionStartPlayingNewVideoList"});
  ZLibraryItemsView &view = showDetails();
  const ZLibraryLook &look = view.paintContext().look;
  EXPECT_EQ(rowOf(view, 0)->save->image(), look.saveImage);
  QTest::mouseClick(rowOf(view, 0)->save, Qt::LeftButton);
  EXPECT_TRUE(db().savedStateForVideoId(a));
  EXPECT_EQ(rowOf(view, 0)->save->image(), look.dontSaveImage);
  QTest::mouseClick(rowOf(view, 0)->save, Qt::LeftButton);
  EXPECT_FALSE(db().savedStateForVideoId(a));

  QTest::mouseClick(rowOf(view, 0)->play, Qt::LeftButton);
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>{a});
  EXPECT_EQ(recorder.names(), QStringList{"ActionStartPlayingNewVideoList"});
}

TEST(ThumbnailCache, DecodesAtTheSizeShownOnceAndRefusesWhatIsNoPicture) {
  const QString folder = TestEnvironment::makeTempDir("thumbnails");
  QImage big(1280, 720, QImage::Format_RGB32);
  big.fill(Qt::blue);
  big.save(folder + "/big.jpg", "JPEG");
  QFile(folder + "/empty.jpg").open(QIODevice::WriteOnly);
  QFile text(folder + "/notes.jpg");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a picture at all");
  text.close();

  ZThumbnailCache cache(1024 * 1024);
  const QImage shown = cache.thumbnail(folder + "/big.jpg", QSize(100, 74));
  EXPECT_EQ(shown.size(), QSize(100, 74));
  cache.thumbnail(folder + "/big.jpg", QSize(100, 74));
  EXPECT_EQ(cache.reads(), 1);
  for (const char *name : {"missing.jpg", "empty.jpg", "notes.jpg"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(cache.thumbnail(folder + "/" + name, QSize(100, 74)).isNull());
  }
  // Broken files are not read again at every frame either.
  const int reads = cache.reads();
  cache.thumbnail(folder + "/notes.jpg", QSize(100, 74));
  EXPECT_EQ(cache.reads(), reads);
  // The cache stays within its bound.
  for (int width = 100; width < 400; width += 10) cache.thumbnail(folder + "/big.jpg", QSize(width, 200));
  EXPECT_LE(cache.bytesUsed(), cache.maxBytes());
  // A file replaced since it was read is read again.
  big.fill(Qt::red);
  big.save(folder + "/big.jpg", "JPEG");
  QFile replaced(folder + "/big.jpg");
  ASSERT_TRUE(replaced.open(QIODevice::ReadWrite));
  replaced.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
  replaced.close();
  EXPECT_EQ(cache.thumbnail(folder + "/big.jpg", QSize(100, 74)).pixelColor(50, 37).red() > 200,
            true);
}

TEST_F(LibraryRowsTest, MissingOrBrokenThumbnailsDrawThePlaceholder) {
  const int broken = addLibraryVideo({"Broken", "", "", QColor()});
  addLibraryVideo({"Missing", "", "", QColor()});
  // One video's thumbnail is a text file, the other's is not there.
  const QString notAPicture = mediaFolder() + "/Images/broken.jpg";
  writeFile(notAPicture);
  db().executeSQL(QStringLiteral("UPDATE Videos SET IMAGE_PATH='%1' WHERE id=%2")
                      .arg(notAPicture)
                      .arg(broken));
  db().executeSQL(QStringLiteral("UPDATE Videos SET IMAGE_PATH='/nowhere/x.jpg' WHERE TITLE='Missing'"));
  ZLibraryItemsView &view = showDetails();
  const QImage drawn = view.grab().toImage();
  const ZLibraryLook &look = view.paintContext().look;
  ASSERT_FALSE(look.defaultIcon.isNull());
  for (int index = 0; index < 2; ++index) {
    SCOPED_TRACE(index);
    const ZVideoItemUI ui = view.videoViewAt(0)->videoItemUI(index, view.itemFrame(0));
    const QRect thumb = ui.thumbnailRect;
    const QImage expected = look.defaultIcon.scaled(thumb.size() * look.defaultIcon.devicePixelRatio());
    // The middle of the thumbnail area shows the placeholder's middle.
    const QColor got = drawn.pixelColor(thumb.center());
    const QColor want = expected.pixelColor(expected.width() / 2, expected.height() / 2);
    EXPECT_LT(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                  std::abs(got.blue() - want.blue()),
              30);
  }
}

TEST_F(LibraryRowsTest, OddTitlesAreDrawnAsTheyStandAndCutToFit) {
  const QString markup = "<b>Bold</b> & <img src=x> <a href='y'>link</a>";
  const QString rightToLeft = QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627");
  const QString endless = QString("Long title ").repeated(200).left(2000);
  for (const QString &title : {markup, rightToLeft, endless})
    addLibraryVideo({title, "", "", Qt::gray, 60, endless});
  QAccessible::setActive(true);
  for (const int viewType : {1, 0}) {
    SCOPED_TRACE(viewType);
    ZLibraryItemsView &view = showDetails();
    if (viewType == 0) fContainer->switchToThumbnailView();
    const QImage drawn = view.grab().toImage();
    // Nothing is drawn outside the videos' cells (no text runs over).
    ZLibraryItemVideoView *list = view.videoViewAt(0);
    for (int index = 0; index < 3; ++index) {
      const ZVideoItemUI ui = list->videoItemUI(index, view.itemFrame(0));
      const QRect outside(ui.itemRect.right() + 1, ui.itemRect.top(),
                          viewType == 0 ? std::max(0, std::min(view.width(), ui.itemRect.right() + 20) -
                                                          ui.itemRect.right() - 1)
                                        : 0,
                          ui.itemRect.height());
      for (int x = outside.left(); x <= outside.right(); ++x)
        EXPECT_EQ(drawn.pixelColor(x, outside.center().y()), QColor(Qt::white)) << x;
    }
    // Screen readers get the titles as they stand, never interpreted.
    QAccessibleInterface *items = QAccessible::queryAccessibleInterface(&view);
    ASSERT_TRUE(items);
    QStringList names;
    for (int i = 0; i < 3; ++i) names << items->child(i)->text(QAccessible::Name);
    EXPECT_TRUE(names.contains(markup));
    EXPECT_TRUE(names.contains(rightToLeft));
    EXPECT_TRUE(names.contains(endless.trimmed()) || names.contains(endless));
    // The tool tip of a cut title is the whole title, as it stands.
    const QRect first = view.videoFrame(0, 0);
    const QString tip = view.toolTipAt(first.center());
    EXPECT_TRUE(tip == markup || tip == rightToLeft || tip == endless) << tip.left(40).toStdString();
  }
  EXPECT_EQ(ZLibraryTexts::drawable("a\nb\tc\x01"), "a b c ");
}

TEST(LibraryTexts, TheAccessibleDescriptionLeavesOutWhatIsEmpty) {
  const QDateTime added(QDate(2026, 12, 10), QTime(9, 30));
  const QString longDate = QLocale().toString(added.date(), QLocale::LongFormat);
  struct Case {
    QString publisher;
    qint64 seconds;
    QDateTime added;
    int rating;
    bool viewed;
    QString expected;
  };
  const Case cases[] = {
      {"Zaro Studio", 605, added, 4, true,
       "By Zaro Studio, 10:05 long, added " + longDate + ", rated 4, viewed"},
      // An imported video: no publisher, no rating.
      {"", 60, added, 0, false, "01:00 long, added " + longDate + ", new"},
      {"  ", 0, QDateTime(), 0, false, "new"},
      {"a\nb", -5, QDateTime(), 2, true, "By a b, rated 2, viewed"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.expected.toStdString());
    EXPECT_EQ(ZLibraryTexts::accessibleVideoDescription(c.publisher, c.seconds, c.added, c.rating,
                                                        c.viewed),
              c.expected);
  }
}
