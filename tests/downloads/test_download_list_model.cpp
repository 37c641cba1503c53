// The downloads page's back end: the texts of a row's cells and the list
// model that follows the queue row by row.
#include "DownloadTest.h"
#include "ModelWatch.h"
#include "ZDownloadListModel.h"
#include "ZDownloadTexts.h"

#include <cmath>
#include <limits>

// How gtest shows a text that did not match.
void PrintTo(const ZLocalizedText &text, std::ostream *os) {
  *os << text.key.toStdString() << " (";
  for (const QVariant &arg : text.args) *os << arg.toString().toStdString() << ' ';
  *os << ')';
}

TEST(DownloadTexts, ConnectionSpeedByStateFirstMatchWins) {
  using ZDownloadTexts::connectionSpeed;
  struct Case {
    int state;
    bool complete, commenced;
    double rate;
    ZLocalizedText expected;
  } cases[] = {
      {JobStateDownloadingVideo, false, true, 1536, {"downloadsColumnvalueKBytesPerSec", {1.5}}},
      {JobStateDownloadingVideo, false, true, 1024, {"downloadsColumnvalueBytesPerSec", {1024.0}}},
      {JobStateDownloadingVideo, false, true, 0, {"downloadsColumnvalueBytesPerSec", {0.0}}},
      {JobStateDownloadingVideo, false, false, 5000, {"downloadsColumnvalueConnecting", {}}},
      {JobStateRetrievingMetaInfo, false, false, 0, {"downloadsColumnvalueConnecting", {}}},
      // A state named in the table wins over what the transfer did before.
      {JobStatePendingImage, true, true, 9000, {"downloadsColumnvalueConnectionSpeedPending", {}}},
      {JobStateFailed, false, true, 9000, {"downloadsColumnvalueServerFailure", {}}},
      {JobStateNone, false, false, 0, {"downloadsColumnvalueServerFailure", {}}},
      {JobStateWaitingForDiskSpace, false, false, 0, {"downloadsColumnValueWaitingForDiskSpace", {}}},
      {JobStateInterrupted, false, true, 9000,
       {"downloadsColumnValueConnectionSpeedDownloadingVideoPaused", {}}},
      {JobStateCompleted, true, true, 9000, {"downloadsColumnvalueConnectionSpeedFinished", {}}},
      // A rate that is not a number says nothing about speed.
      {JobStateDownloadingVideo, false, true, std::nan(""), {"downloadsColumnvalueConnecting", {}}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(connectionSpeed(c.state, c.complete, c.commenced, c.rate), c.expected)
        << "state " << c.state << " rate " << c.rate;
  EXPECT_EQ(connectionSpeed(JobStateDownloadingVideo, false, true, 1536).text(), "1.5 KB/s");
  EXPECT_EQ(connectionSpeed(JobStateDownloadingVideo, false, true, 1024).text(), "1024 bytes/s");
}

TEST(DownloadTexts, TimeRemainingInHoursMinutesAndSeconds) {
  using ZDownloadTexts::timeRemaining;
  const double inf = std::numeric_limits<double>::infinity();
  const ZLocalizedText unknown{"downloadsColumnvalueTimeUnknown", {}};
  struct Case {
    int state;
    bool complete;
    double seconds;
    ZLocalizedText expected;
  } cases[] = {
      {JobStateDownloadingVideo, false, 3725, {"downloadsColumnvalueTimeFormatHrMinsSecs", {1, 2, 5}}},
      {JobStateDownloadingVideo, false, 7260, {"downloadsColumnvalueTimeFormatHrsMinSecs", {2, 1, 0}}},
      {JobStateDownloadingVideo, false, 61, {"downloadsColumnvalueTimeFormatMinSecs", {1, 1}}},
      {JobStateDownloadingVideo, false, 59, {"downloadsColumnvalueTimeFormatSecs", {59}}},
      {JobStateDownloadingVideo, false, 3660.9, {"downloadsColumnvalueTimeFormatHrMinSecs", {1, 1, 0}}},
      {JobStateDownloadingVideo, false, 7325, {"downloadsColumnvalueTimeFormatHrsMinsSecs", {2, 2, 5}}},
      {JobStateDownloadingVideo, false, 150, {"downloadsColumnvalueTimeFormatMinsSecs", {2, 30}}},
      {JobStateDownloadingVideo, false, 0.5, {"downloadsColumnvalueTimeFormatSecs", {0}}},
      {JobStateDownloadingVideo, false, 0, unknown},
      {JobStateDownloadingVideo, false, -4, unknown},
      {JobStateDownloadingVideo, false, std::nan(""), unknown},
      {JobStateDownloadingVideo, false, inf, unknown},
      {JobStateFailed, false, 59, unknown},
      {JobStatePendingImage, true, 59, unknown},
      {JobStateCompleted, true, 59, {"downloadsColumnvalueTimeCompleted", {}}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(timeRemaining(c.state, c.complete, c.seconds), c.expected) << c.seconds;
  EXPECT_EQ(timeRemaining(JobStateDownloadingVideo, false, 3725).text(), "1 hr 2 mins 5 s");
}

TEST(DownloadTexts, PercentageOverTheBar) {
  EXPECT_EQ(ZDownloadTexts::progress(42.26), "42.3%");
  EXPECT_EQ(ZDownloadTexts::progress(0), "0.0%");
  EXPECT_EQ(ZDownloadTexts::progress(100), "100.0%");
  // Nothing outside 0 to 100 is drawn or written.
  EXPECT_EQ(ZDownloadTexts::progress(250), "100.0%");
  EXPECT_EQ(ZDownloadTexts::progress(std::nan("")), "0.0%");
  EXPECT_EQ(ZDownloadTexts::boundedPercent(-3), 0);
}

// What a screen reader hears of a row beside its title and bar: the cells'
// texts as drawn, without what tells nothing.
TEST(DownloadTexts, AccessibleDescriptionLeavesOutWhatTellsNothing) {
  const ZLocalizedText unknown{"downloadsColumnvalueTimeUnknown", {}};
  const ZLocalizedText eightSeconds{"downloadsColumnvalueTimeFormatSecs", {8}};
  struct Case {
    ZLocalizedText speed, time;
    const char *expected;
  } cases[] = {
      {{"downloadsColumnvalueKBytesPerSec", {12.5}}, eightSeconds, "12.5 KB/s, 8 s left"},
      {{"downloadsColumnvalueBytesPerSec", {1000.0}},
       {"downloadsColumnvalueTimeFormatHrMinsSecs", {1, 2, 5}},
       "1000 bytes/s, 1 hr 2 mins 5 s left"},
      // No byte yet: no "0 bytes/s"; and no time while it is unknown.
      {{"downloadsColumnvalueBytesPerSec", {0.0}}, unknown, ""},
      {{"downloadsColumnvalueBytesPerSec", {0.4}}, eightSeconds, "8 s left"},
      {{"downloadsColumnvalueConnectionSpeedPending", {}}, unknown, "Waiting"},
      {{"downloadsColumnvalueConnecting", {}}, unknown, "Connecting"},
      {{"downloadsColumnvalueDiskFull", {}}, unknown, "Disk full"},
      {{"downloadsColumnvalueConnectionSpeedFinished", {}},
       {"downloadsColumnvalueTimeCompleted", {}}, "Finished, Done"},
      {{}, {}, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ZDownloadTexts::accessibleDescription(c.speed, c.time), c.expected)
        << c.speed.key.toStdString() << " " << c.time.key.toStdString();
  // The bar's value is the percentage written over it.
  EXPECT_EQ(ZDownloadTexts::shownPercent(42.26), 42.3);
  EXPECT_EQ(ZDownloadTexts::shownPercent(250), 100.0);
  EXPECT_EQ(ZDownloadTexts::shownPercent(std::nan("")), 0.0);
}

// ---- The model -------------------------------------------------------------------------

class DownloadListModelTest : public DownloadTest {
 protected:
  QStringList titles(const ZDownloadListModel &model) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) out << model.index(row).data().toString();
    return out;
  }
};

TEST_F(DownloadListModelTest, FollowsTheQueueRowByRowWithoutResets) {
  addSavedJob("a", JobStatePendingImage, "Alpha");
  addSavedJob("b", JobStateFailed, "Beta");
  addSavedJob("c", JobStatePendingVideo, "Gamma");
  ZDownloadListModel model(queue());
  ModelWatch watch(&model);
  queue().readSavedJobs();
  EXPECT_EQ(watch.structural(), QStringList{"insert 0..2"});
  EXPECT_EQ(titles(model), (QStringList{"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(model.index(1).data(ZDownloadListModel::ConnectionSpeedRole).toString(),
            "Server failure");

  // A download that takes a slot moves to the head: one move.
  watch.clear();
  ZDownloadItem *gamma = queue().downloadItems().at(2).get();
  NotificationCenter::defaultCenter().postNotificationName(DownloadNotification::StatusChanged,
                                                           QVariant::fromValue(gamma));
  EXPECT_EQ(titles(model), (QStringList{"Gamma", "Alpha", "Beta"}));
  EXPECT_FALSE(watch.structural().contains("reset"));
  EXPECT_EQ(watch.structural().size(), 1) << watch.structural().join(", ").toStdString();
  EXPECT_TRUE(watch.structural().first().startsWith("move")) << watch.structural().first().toStdString();
  // The download's own notification is a change of its row alone.
  EXPECT_TRUE(watch.events().contains("changed 0..0"));

  // Progress of one download repaints its row and nothing else.
  watch.clear();
  ZDownloadItem *beta = queue().downloadItems().at(2).get();
  NotificationCenter::defaultCenter().postNotificationName(DownloadNotification::ProgressUpdated,
                                                           QVariant::fromValue(beta));
  EXPECT_EQ(watch.events(), QStringList{"changed 2..2"});

  // A cancelled download is one removed row.
  watch.clear();
  queue().downloadItems().at(1)->cancelDownload();
  EXPECT_EQ(watch.structural(), QStringList{"remove 1..1"});
  EXPECT_EQ(titles(model), (QStringList{"Gamma", "Beta"}));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join("\n").toStdString();
}

TEST_F(DownloadListModelTest, TitlesArePlainOneLineText) {
  const QString markup = QStringLiteral("<b>Bold</b> &amp; <i>more</i>");
  addSavedJob("m", JobStatePendingImage, markup);
  addSavedJob("n", JobStatePendingImage, QStringLiteral("two\nlines\tand\r\n  blanks"));
  addSavedJob("e", JobStatePendingMetaInfo);  // no meta information yet
  queue().readSavedJobs();
  ZDownloadListModel model(queue());
  EXPECT_EQ(titles(model), (QStringList{markup, "two lines and blanks", ""}));
  EXPECT_EQ(model.index(0).data(Qt::AccessibleTextRole).toString(), markup);
  auto *item = model.index(2).data(ZDownloadListModel::ItemRole).value<ZDownloadItem *>();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->permalink(), "e");
  EXPECT_EQ(model.itemAt(2).get(), item);
  EXPECT_EQ(model.rowOf(item), 2);
  EXPECT_EQ(model.itemAt(3), nullptr);
}
