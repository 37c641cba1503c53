// The main window: which view it opens, how the chrome follows the views and
// the playlist pane, the pop-ups, the details pane, the window's drag,
// resize, zoom and screen rules, and its keyboard and accessibility.
#include "MainWindowFixture.h"

#include "MainWindowGeometry.h"
#include "ZControls.h"
#include "ZDetailsInfoView.h"
#include "ZDownloadTableView.h"
#include "ZElidedLabel.h"
#include "ZFullScreenWindow.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemVideoDetailsView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryViewContainer.h"
#include "ZMainWindowChrome.h"
#include "ZNowPlayingView.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QWindow>

namespace {

using MainWindowViews = MainWindowTest;

TEST_F(MainWindowViews, TheStoredViewOpensAndPlaybackOrAnUnknownOneOpensTheLibrary) {
  struct Case {
    int stored;
    int opened;
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{2, 2}, Case{3, 3}, Case{7, 0}, Case{-2, 0}}) {
    SCOPED_TRACE(c.stored);
    defaults().setInteger(c.stored, QStringLiteral("MainWindowView"));
    MainWindowController &window = makeWindow();
    EXPECT_EQ(window.currentView(), c.opened);
    EXPECT_EQ(defaults().integerForKey(QStringLiteral("MainWindowView")), c.opened);
    EXPECT_EQ(window.libraryViewContainer()->isVisible(), c.opened == 0);
    EXPECT_EQ(window.downloadsContainerView()->isVisible(), c.opened == 2);
    EXPECT_FALSE(window.nowPlayingView()->isVisible());
    const ZMainWindowChrome &chrome = window.chrome();
    EXPECT_EQ(chrome.libraryButton->state() == ZButtonView::Selected, c.opened == 0);
    EXPECT_EQ(chrome.downloadsButton->state() == ZButtonView::Selected, c.opened == 2);
    // Each view shows its own controls and none of the others'.
    EXPECT_EQ(chrome.browseByPopup->isVisible(), c.opened == 0);
    EXPECT_EQ(window.detailsInfoView()->isVisible(), c.opened == 0);
    EXPECT_EQ(chrome.clearDownloadsButton->isVisible(), c.opened == 2);
    EXPECT_EQ(chrome.uploadManagerTitle->isVisible(), c.opened == 3);
    fController.reset();
  }
}

TEST_F(MainWindowViews, SwitchingViewsStoresEachAndTheButtonsSelectThem) {
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  QList<int> changes;
  QObject::connect(&window, &MainWindowController::currentViewChanged,
                   [&](int view) { changes.append(view); });
  chrome.downloadsButton->performClick();
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
  EXPECT_EQ(defaults().integerForKey(QStringLiteral("MainWindowView")), 2);
  // A selected button ignores presses; the library button takes the library back.
  chrome.downloadsButton->performClick();
  chrome.libraryButton->performClick();
  window.viewUploads();
  window.viewUploads();
  EXPECT_EQ(changes, (QList<int>{2, 0, 3}));
  EXPECT_EQ(defaults().integerForKey(QStringLiteral("MainWindowView")), 3);

  // The close button hides the window; it is not gone.
  chrome.closeButton->performClick();
  EXPECT_FALSE(window.window()->isVisible());
  window.showWindow();
  EXPECT_TRUE(window.window()->isVisible());
}

TEST_F(MainWindowViews, ShowingThePlaylistStoresYesAndMovesImportAndSearchLeftByItsWidth) {
  defaults().setBool(false, QStringLiteral("LibraryPlaylistVisible"));
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  EXPECT_FALSE(window.libraryViewContainer()->playlistShown());
  EXPECT_FALSE(chrome.playlistsPopup->isVisible());
  EXPECT_TRUE(chrome.showPlaylistButton->isVisible());
  EXPECT_FALSE(chrome.hidePlaylistButton->isVisible());
  const int importX = chrome.importPopup->x(), searchX = chrome.librarySearchField->x();
  const int paneX = window.detailsInfoView()->x();

  chrome.showPlaylistButton->performClick();
  EXPECT_TRUE(defaults().boolForKey(QStringLiteral("LibraryPlaylistVisible")));
  EXPECT_TRUE(defaults().hasStoredValue(QStringLiteral("LibraryPlaylistVisible")));
  EXPECT_TRUE(window.libraryViewContainer()->playlistShown());
  EXPECT_EQ(chrome.importPopup->x(), importX - 176);
  EXPECT_EQ(chrome.librarySearchField->x(), searchX - 176);
  EXPECT_EQ(window.detailsInfoView()->x(), paneX - 176);
  EXPECT_TRUE(chrome.playlistsPopup->isVisible());
  EXPECT_TRUE(chrome.hidePlaylistButton->isVisible());
  EXPECT_FALSE(chrome.showPlaylistButton->isVisible());

  chrome.hidePlaylistButton->performClick();
  EXPECT_FALSE(defaults().boolForKey(QStringLiteral("LibraryPlaylistVisible")));
  EXPECT_EQ(chrome.importPopup->x(), importX);
  EXPECT_EQ(chrome.librarySearchField->x(), searchX);
  EXPECT_FALSE(chrome.playlistsPopup->isVisible());
}

TEST_F(MainWindowViews, TheDetailsPaneStandsLeftOfThePlaylistAreaBetweenTheFrameRows) {
  defaults().setBool(true, QStringLiteral("LibraryPlaylistVisible"));
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  const int top = int(chrome.topFrameHeight()), bottom = int(chrome.bottomFrameHeight());
  ASSERT_GT(top, 0);
  ASSERT_GT(bottom, 0);
  EXPECT_EQ(window.detailsInfoView()->geometry(),
            QRect(960 - 176 - 181, top, 181, 640 - top - bottom));
  // The content area lies between the rows; each view 2 in from its sides.
  EXPECT_EQ(window.contentArea()->geometry(), QRect(0, top, 960, 640 - top - bottom));
  EXPECT_EQ(window.libraryViewContainer()->geometry(), QRect(2, 0, 956, 640 - top - bottom));
  // The frame pieces: corners at their size, the middles between them.
  EXPECT_EQ(chrome.fTopLeftView->geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(chrome.fTopRightView->geometry().right(), 959);
  EXPECT_EQ(chrome.fTopMiddleView->geometry().left(), chrome.fTopLeftView->geometry().right() + 1);
  EXPECT_EQ(chrome.fBottomRightView->geometry().bottomRight(), QPoint(959, 639));

  window.window()->resize(1100, 700);
  EXPECT_EQ(chrome.fBottomRightView->geometry().bottomRight(), QPoint(1099, 699));
  EXPECT_EQ(window.detailsInfoView()->geometry().right(), 1100 - 176 - 1);
}

TEST_F(MainWindowViews, BrowsingByAnItemStoresItAndTheBrowseListFollows) {
  MainWindowController &window = makeWindow();
  ZPopupButtonImageView *popup = window.chrome().browseByPopup;
  const QList<QAction *> items = window.browseByMenu()->actions();
  ASSERT_EQ(items.size(), 10);
  EXPECT_EQ(items.at(0)->text(), QStringLiteral("All Videos"));
  EXPECT_EQ(items.at(6)->data().toInt(), 6);
  EXPECT_EQ(popup->title(), QStringLiteral("All Videos"));
  items.at(6)->trigger();
  EXPECT_EQ(fBrowseList->browsingBy(), 6);
  EXPECT_EQ(defaults().integerForKey(QStringLiteral("LibraryBrowseBy")), 6);
  EXPECT_EQ(popup->selectedTag(), 6);
  EXPECT_EQ(popup->title(), QStringLiteral("Playlist"));
}

TEST_F(MainWindowViews, ThePlaylistsPopUpCreatesAndSelectsPlaylists) {
  db().saveNewPlaylist(QStringLiteral("Rock & Roll"), std::nullopt);
  db().saveNewPlaylist(QStringLiteral("Evening"), std::nullopt);
  MainWindowController &window = makeWindow();
  int created = 0;
  MainWindowController::ApplicationActions actions;
  actions.createPlaylist = [&] { ++created; };
  window.setApplicationActions(actions);

  const auto menuTexts = [&] {
    QStringList texts;
    for (QAction *item : window.playlistsMenu()->actions())
      texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    return texts;
  };
  EXPECT_EQ(menuTexts(), (QStringList{"New Playlist", "-", "Evening", "Rock && Roll"}));
  window.playlistsMenu()->actions().first()->trigger();
  EXPECT_EQ(created, 1);
  window.playlistsMenu()->actions().last()->trigger();
  EXPECT_EQ(fPlaylists->selectedPlaylistName(), QStringLiteral("Rock & Roll"));
  // The pop-up names the selected playlist, its ampersand as it is.
  EXPECT_EQ(window.chrome().playlistsPopup->title(), QStringLiteral("Rock & Roll"));

  db().saveNewPlaylist(QStringLiteral("Morning"), std::nullopt);
  EXPECT_EQ(menuTexts(), (QStringList{"New Playlist", "-", "Evening", "Morning", "Rock && Roll"}));
  EXPECT_EQ(window.chrome().playlistsPopup->title(), QStringLiteral("Rock & Roll"));
}

TEST_F(MainWindowViews, TheChromesButtonsPostTheirRequestsAndImportAsksTheApplication) {
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  int imports = 0;
  MainWindowController::ApplicationActions actions;
  actions.importVideos = [&] { ++imports; };
  window.setApplicationActions(actions);
  QStringList posted;
  NotificationCenter &center = NotificationCenter::defaultCenter();
  for (const char *name : {"ActionClearCompletedDownloads", "ActionUploadVideo"})
    center.addObserver(&posted, QLatin1String(name),
                       [&posted](const Notification &note) { posted.append(note.name); });

  ASSERT_EQ(window.importMenu()->actions().size(), 1);
  EXPECT_EQ(window.importMenu()->actions().first()->text(), QStringLiteral("Import Videos"));
  window.importMenu()->actions().first()->trigger();
  EXPECT_EQ(imports, 1);
  window.viewDownloads();
  chrome.clearDownloadsButton->performClick();
  chrome.uploadButton->performClick();
  EXPECT_EQ(posted, (QStringList{"ActionClearCompletedDownloads", "ActionUploadVideo"}));
  // Uploading happens on the service's pages: the window stays where it is.
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
  center.removeObserver(&posted);
}

TEST_F(MainWindowViews, WithoutASkinThereIsNoChromeAndTheViewsStillSwitch) {
  defaults().setInteger(2, QStringLiteral("MainWindowView"));
  fController = std::make_unique<MainWindowController>(windowEnvironment(), nullptr);
  MainWindowController &window = *fController;
  window.showWindow();
  QCoreApplication::processEvents();
  const ZMainWindowChrome &chrome = window.chrome();
  for (QObject *piece : std::initializer_list<QObject *>{
           chrome.fTopLeftView, chrome.fTopMiddleView, chrome.fBottomRightView,
           chrome.libraryButton, chrome.browseByPopup, chrome.librarySearchField,
           chrome.playlistsPopup})
    EXPECT_EQ(piece, nullptr);
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
  window.viewLibrary();
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
  EXPECT_TRUE(window.libraryViewContainer()->isVisible());
  window.showPlaylist();
  EXPECT_TRUE(defaults().boolForKey(QStringLiteral("LibraryPlaylistVisible")));
}

TEST_F(MainWindowViews, TheSearchFieldFiltersTheLibraryByTitle) {
  addVideo(QStringLiteral("Ocean sunrise"));
  addVideo(QStringLiteral("City lights"));
  MainWindowController &window = makeWindow();
  ZSearchButtonView *search = window.chrome().librarySearchField;
  search->beginEditing();
  // An empty field says what it is for.
  EXPECT_FALSE(search->textField()->placeholderText().isEmpty());
  QTest::keyClicks(search->textField(), QStringLiteral("ocean"));
  EXPECT_EQ(fBrowseList->textFilter(), QStringLiteral("ocean"));
  ASSERT_EQ(fBrowseList->count(), 1);
  EXPECT_EQ(fBrowseList->objectAtIndex(0)->asVideoList()->count(), 1);
  // Escape ends the search the way a click beside the field does.
  QTest::keyClick(search->textField(), Qt::Key_Escape);
  EXPECT_FALSE(search->isEditing());
  EXPECT_EQ(fBrowseList->textFilter(), QString());
  EXPECT_EQ(fBrowseList->objectAtIndex(0)->asVideoList()->count(), 2);
}

TEST_F(MainWindowViews, TheViewStyleButtonsFollowTheItemsView) {
  defaults().setInteger(1, QStringLiteral("LibraryActiveView"));
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  EXPECT_EQ(chrome.detailsViewButton->state(), ZButtonView::Selected);
  EXPECT_EQ(chrome.thumbnailViewButton->state(), ZButtonView::Normal);
  chrome.thumbnailViewButton->performClick();
  EXPECT_EQ(window.libraryViewContainer()->itemsView()->viewType(), 0);
  EXPECT_EQ(defaults().integerForKey(QStringLiteral("LibraryActiveView")), 0);
  EXPECT_EQ(chrome.thumbnailViewButton->state(), ZButtonView::Selected);
  EXPECT_EQ(chrome.detailsViewButton->state(), ZButtonView::Normal);
}

// ---- the details pane -------------------------------------------------------------------

using DetailsPane = MainWindowTest;

TEST_F(DetailsPane, FollowsTheSelectionForNoneOneVideoOneGroupAndSeveral) {
  const int video =
      addDescribedVideo(QStringLiteral("Ocean sunrise"), QStringLiteral("Waves at dawn."));
  addVideo(QStringLiteral("City lights"));
  defaults().setInteger(4, QStringLiteral("LibraryBrowseBy"));  // by date added: one group
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  EXPECT_EQ(pane.shown(), ZDetailsInfoView::Shown::None);
  EXPECT_EQ(pane.thumbnailView()->image(), skin->detailsBackgroundDefaultImage());

  ASSERT_EQ(fBrowseList->count(), 2);
  auto *group = fBrowseList->objectAtIndex(0)->asContainer();
  auto *videos = fBrowseList->objectAtIndex(1)->asVideoList();
  ASSERT_TRUE(group && videos);
  fBrowseList->selectContainer(group);
  // A group with its videos selected is several items.
  EXPECT_EQ(pane.shown(), ZDetailsInfoView::Shown::Mixed);
  EXPECT_EQ(pane.messageField()->text(), QStringLiteral("3 items selected"));

  const int index = videos->videoAtIndex(0)->videoId() == video ? 0 : 1;
  fBrowseList->selectVideoAtIndex(index, videos, false);
  ASSERT_EQ(pane.shown(), ZDetailsInfoView::Shown::Video);
  EXPECT_EQ(pane.titleField()->fullText(), QStringLiteral("Ocean sunrise"));
  EXPECT_EQ(pane.descriptionField()->fullText(), QStringLiteral("Waves at dawn."));
  // No publisher: no publisher line.
  EXPECT_TRUE(pane.publisherTitle()->isHidden());
  EXPECT_EQ(pane.saveButton()->text(), QStringLiteral("Save"));
  EXPECT_EQ(pane.videoDetailsView()->videoId(), video);

  fBrowseList->unselectAll();
  EXPECT_EQ(pane.shown(), ZDetailsInfoView::Shown::None);
}

TEST_F(DetailsPane, AGroupShowsItsTitleAndAnEmptyPublisherLine) {
  addVideo(QStringLiteral("Ocean sunrise"));
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  pane.showContainer(QStringLiteral("Today"));
  EXPECT_EQ(pane.shown(), ZDetailsInfoView::Shown::Container);
  EXPECT_EQ(pane.containerTitleField()->fullText(), QStringLiteral("Today"));
  EXPECT_EQ(pane.containerPublisherField()->text(), QStringLiteral("Published by:"));
}

TEST_F(DetailsPane, TheSaveButtonFlipsTheSavedStateAndItsTitle) {
  const int video = addVideo(QStringLiteral("Ocean sunrise"));
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  pane.showVideo(video);
  pane.saveButton()->click();
  EXPECT_EQ(db().getVideoInfo(video)->value(QStringLiteral("VIDEO_SAVED")), QStringLiteral("1"));
  EXPECT_EQ(pane.saveButton()->text(), QStringLiteral("Don't Save"));
  EXPECT_EQ(pane.videoDetailsView()->accessibleName(), QStringLiteral("New, Saved, Rated 0 of 5"));
  // Each drawn mark says what it is, to the pointer and to assistive technology.
  const struct {
    const char *mark;
    const char *says;
  } marks[] = {{"NewIndicator", "New: not watched yet"},
               {"SavedIndicator", "Saved: kept when old videos are cleared away"},
               {"AverageRating", "Average rating: 0 of 5 stars"},
               {"MyRating", "Your rating: 0 of 5 stars"}};
  for (const auto &m : marks) {
    SCOPED_TRACE(m.mark);
    const QWidget *mark = pane.videoDetailsView()->findChild<QWidget *>(m.mark);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->toolTip(), QString::fromUtf8(m.says));
    EXPECT_EQ(mark->accessibleName(), QString::fromUtf8(m.says));
  }
  pane.saveButton()->click();
  EXPECT_EQ(db().getVideoInfo(video)->value(QStringLiteral("VIDEO_SAVED")), QStringLiteral("0"));
  EXPECT_EQ(pane.saveButton()->text(), QStringLiteral("Save"));
  // Showing a saved video titles the button the other way.
  db().setSaved(true, video);
  pane.showVideo(video);
  EXPECT_EQ(pane.saveButton()->text(), QStringLiteral("Don't Save"));
}

TEST_F(DetailsPane, ThumbnailsThatAreMissingEmptyOrNoPicturesShowThePlaceholder) {
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  const QImage placeholder =
      ZSkinManager::sharedSkinManager().getCurrentSkin()->detailsBackgroundDefaultImage();
  const QString empty = fRoot + "/empty.jpg", text = fRoot + "/text.jpg",
                picture = fRoot + "/picture.png";
  writeFile(empty, 0);
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
  }
  QImage(640, 480, QImage::Format_RGB32).save(picture);
  for (const QString &path : {fRoot + "/missing.jpg", empty, text, QString(), picture}) {
    SCOPED_TRACE(path.toStdString());
    pane.showVideo(addDescribedVideo(QStringLiteral("A video"), QString(), path));
    const QImage shown = pane.thumbnailView()->image();
    if (path == picture) {
      // Decoded at the size it is shown at, not at the file's.
      EXPECT_NE(shown, placeholder);
      EXPECT_EQ(shown.deviceIndependentSize().toSize(), ZDetailsInfoView::ThumbnailSize);
    } else {
      EXPECT_EQ(shown, placeholder);
    }
  }
}

TEST_F(DetailsPane, TitlesWithMarkupRightToLeftTextOrTwoThousandCharactersAreDrawnCut) {
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  const QString markup = QStringLiteral("<b>bold</b> <img src=x onerror=alert(1)> &amp;");
  const QString longTitle = QString(2000, QLatin1Char('W'));
  const QString rtl = QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD");
  for (const QString &title : {markup, longTitle, rtl, QStringLiteral("line\nbreak\ttab")}) {
    const int video = addVideo(title);
    pane.showVideo(video);
    ZElidedLabel *field = pane.titleField();
    EXPECT_EQ(field->textFormat(), Qt::PlainText);
    EXPECT_EQ(field->fullText(), title);
    const QStringList lines = field->text().split(QLatin1Char('\n'));
    EXPECT_LE(lines.size(), 3);
    const QFontMetricsF metrics(field->font());
    for (const QString &line : lines)
      EXPECT_LE(metrics.horizontalAdvance(line), field->contentsRect().width() + 1);
  }
  // The long title ends in an ellipsis; markup stays as text.
  pane.showVideo(addVideo(longTitle));
  EXPECT_TRUE(pane.titleField()->text().endsWith(QChar(0x2026)));
  pane.showVideo(addVideo(markup));
  EXPECT_TRUE(pane.titleField()->text().startsWith(QStringLiteral("<b>bold</b>")));
  pane.showVideo(addVideo(QStringLiteral("line\nbreak\ttab")));
  EXPECT_EQ(pane.titleField()->text(), QStringLiteral("line break tab"));
}

TEST_F(DetailsPane, TheDrawnDetailsShowTheIndicatorsAndStarsOfTheRating) {
  const int video = addVideo(QStringLiteral("Rated"));
  db().setRating(3, video);
  MainWindowController &window = makeWindow();
  ZDetailsInfoView &pane = *window.detailsInfoView();
  pane.showVideo(video);
  ZLibraryItemVideoDetailsView &view = *pane.videoDetailsView();
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const QImage drawn = view.grab().toImage();
  const auto colourAt = [&](const QRect &frame, int dx) {
    return drawn.pixelColor(frame.left() + dx, frame.center().y());
  };
  // Stars 1 to 3 use the left frame of the star picture, 4 and 5 the right.
  const QImage star = skin->starImage();
  const int w = int(star.deviceIndependentSize().width() / 2);
  const QColor within = colourAt(view.averageRatingFrame(), w / 2);
  const QColor beyond = colourAt(view.averageRatingFrame(), 4 * w + w / 2);
  EXPECT_NE(within, beyond);
  EXPECT_EQ(colourAt(view.averageRatingFrame(), 2 * w + w / 2), within);
  EXPECT_EQ(colourAt(view.averageRatingFrame(), 3 * w + w / 2), beyond);
  // A change of the video in the library draws it again.
  db().setRating(5, video);
  QCoreApplication::processEvents();
  const QImage redrawn = view.grab().toImage();
  EXPECT_EQ(redrawn.pixelColor(view.averageRatingFrame().left() + 4 * w + w / 2,
                               view.averageRatingFrame().center().y()),
            within);
  EXPECT_EQ(view.accessibleName(), QStringLiteral("New, Not saved, Rated 5 of 5"));
}

// ---- the window ---------------------------------------------------------------------------

TEST(MainWindowGeometry, PressesDragFromTheTopStripAndResizeFromTheCorner) {
  using MainWindowGeometry::Grab;
  const QSize size(900, 600);
  struct Case {
    QPoint point;
    Grab grab;
  };
  for (const Case c :
       {Case{{0, 0}, Grab::Drag}, Case{{899, 59}, Grab::Drag}, Case{{450, 60}, Grab::None},
        Case{{880, 580}, Grab::Resize}, Case{{899, 599}, Grab::Resize},
        Case{{879, 599}, Grab::None}, Case{{899, 579}, Grab::None}, Case{{-1, 10}, Grab::None}})
    EXPECT_EQ(MainWindowGeometry::grabAt(c.point, size), c.grab)
        << c.point.x() << "," << c.point.y();
}

TEST(MainWindowGeometry, DraggingStopsAtTheTopOfTheVisibleAreaAndResizingAtTheMinimum) {
  const QRect visible(0, 30, 1280, 770);
  EXPECT_EQ(MainWindowGeometry::draggedOrigin({500, 300}, {100, 20}, visible), QPoint(400, 280));
  EXPECT_EQ(MainWindowGeometry::draggedOrigin({500, 40}, {100, 20}, visible), QPoint(400, 30));
  EXPECT_EQ(MainWindowGeometry::draggedOrigin({500, 900}, {100, 20}, visible), QPoint(400, 880));

  const QRect start(100, 100, 900, 600);
  const QSize minimum(800, 560);
  EXPECT_EQ(MainWindowGeometry::resizedFrame(start, {1000, 700}, {1050, 760}, minimum),
            QRect(100, 100, 950, 660));
  EXPECT_EQ(MainWindowGeometry::resizedFrame(start, {1000, 700}, {500, 100}, minimum),
            QRect(100, 100, 800, 560));

  // After a screen change: no bigger than the visible area (nor smaller than
  // the minimum), centred on it.
  EXPECT_EQ(
      MainWindowGeometry::fittedFrame(QRect(0, 0, 2000, 400), QRect(0, 0, 1000, 700), minimum),
      QRect(0, 70, 1000, 560));
  EXPECT_EQ(
      MainWindowGeometry::fittedFrame(QRect(300, 10, 900, 600), QRect(0, 0, 1200, 800), minimum),
      QRect(150, 100, 900, 600));
}

using MainWindowFrame = MainWindowTest;

TEST_F(MainWindowFrame, DraggedByItsTopStripNeverAboveTheVisibleAreaAndResizedByItsCorner) {
  MainWindowController &controller = makeWindow();
  MainWindow &window = *controller.window();
  const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
  window.setGeometry(QRect(visible.left() + 20, visible.top() + 50, 820, 580));
  const QPoint origin = window.pos();
  window.pressAt(origin + QPoint(300, 10));
  ASSERT_TRUE(window.inDrag());
  window.moveTo(origin + QPoint(340, 30));
  EXPECT_EQ(window.pos(), origin + QPoint(40, 20));
  window.moveTo(origin + QPoint(340, -500));
  EXPECT_EQ(window.pos().y(), visible.top());
  window.release();
  EXPECT_FALSE(window.inDrag());

  const QRect before = window.geometry();
  window.pressAt(before.topLeft() + QPoint(before.width() - 5, before.height() - 5));
  ASSERT_TRUE(window.inResize());
  window.moveTo(before.topLeft() + QPoint(before.width() + 35, before.height() + 15));
  EXPECT_EQ(window.geometry(), QRect(before.topLeft(), before.size() + QSize(40, 20)));
  window.moveTo(before.topLeft());
  EXPECT_EQ(window.size(), MainWindowGeometry::MinimumSize);
  window.release();
  // The frame is saved under the autosave name.
  EXPECT_EQ(defaults().stringForKey(QStringLiteral("NSWindow Frame ZaroClient")),
            QStringLiteral("%1 %2 %3 %4")
                .arg(window.x())
                .arg(window.y())
                .arg(window.width())
                .arg(window.height()));
}

TEST_F(MainWindowFrame, ZoomFillsTheVisibleAreaAndGoesBackToTheSavedFrame) {
  defaults().setString(QStringLiteral("10 20 820 580"),
                       QStringLiteral("NSWindow Frame ZaroClient"));
  MainWindowController &controller = makeWindow();
  MainWindow &window = *controller.window();
  window.setGeometry(QRect(10, 20, 820, 580));
  controller.chrome().maximizeButton->performClick();
  EXPECT_TRUE(window.isZoomed());
  EXPECT_EQ(window.geometry(), window.standardFrame());
  // Nothing is saved while zoomed.
  window.saveFrameUsingName(QStringLiteral("ZaroClient"));
  EXPECT_EQ(defaults().stringForKey(QStringLiteral("NSWindow Frame ZaroClient")),
            QStringLiteral("10 20 820 580"));
  controller.chrome().maximizeButton->performClick();
  EXPECT_FALSE(window.isZoomed());
  EXPECT_EQ(window.geometry(), QRect(10, 20, 820, 580));
}

TEST_F(MainWindowFrame, TakesTheSavedFrameAndWithoutOneIsCentredInTheVisibleArea) {
  for (const char *saved :
       {"30 40 900 620", "", "30 40 -5 620", "a b c d", "1 2 3", "1 2 99999999 3"}) {
    SCOPED_TRACE(saved);
    defaults().setString(QLatin1String(saved), QStringLiteral("NSWindow Frame ZaroClient"));
    fController = std::make_unique<MainWindowController>(
        windowEnvironment(), ZSkinManager::sharedSkinManager().getCurrentSkin());
    const MainWindow &window = *fController->window();
    if (QLatin1String(saved) == QLatin1String("30 40 900 620")) {
      EXPECT_EQ(window.geometry(), QRect(30, 40, 900, 620));
    } else {
      // Not at the screen's top left corner: where the first start puts it.
      const QRect visible = window.standardFrame();
      EXPECT_GE(window.width(), MainWindowGeometry::MinimumSize.width());
      EXPECT_TRUE(visible.contains(window.geometry()));
      EXPECT_LE((window.geometry().center() - visible.center()).manhattanLength(), 1);
    }
    fController.reset();
  }
}

TEST_F(MainWindowFrame, AScreenChangeFitsTheWindowToTheVisibleAreaAndCentresIt) {
  MainWindowController &controller = makeWindow();
  MainWindow &window = *controller.window();
  const QRect visible = window.screen()->availableGeometry();
  window.setGeometry(QRect(visible.topLeft() + QPoint(5, 5), visible.size() + QSize(300, 200)));
  controller.screenConfigurationChanged();
  EXPECT_EQ(window.geometry(),
            MainWindowGeometry::fittedFrame(window.geometry(), visible, window.minimumSize()));
  EXPECT_LE(window.width(), std::max(visible.width(), window.minimumWidth()));
  EXPECT_EQ(window.geometry().center().x(), visible.center().x());
}

// ---- keyboard and assistive technology -------------------------------------------------

using MainWindowAccess = MainWindowTest;

TEST_F(MainWindowAccess, EverySkinnedControlHasARoleAndAName) {
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  struct Case {
    QWidget *control;
    QAccessible::Role role;
    const char *name;
  };
  for (const Case &c :
       {Case{chrome.libraryButton, QAccessible::Button, "Library"},
        Case{chrome.downloadsButton, QAccessible::Button, "Downloads"},
        Case{chrome.guideButton, QAccessible::Button, "Zaro Guide"},
        Case{chrome.closeButton, QAccessible::Button, "Close"},
        Case{chrome.browseByPopup, QAccessible::Button, "Browse By"},
        Case{chrome.importPopup, QAccessible::Button, "Import"},
        Case{chrome.librarySearchField, QAccessible::EditableText, "Search the Library"},
        Case{chrome.browseByTitle, QAccessible::Graphic, "Browse By"},
        Case{window.menuBar(), QAccessible::MenuBar, "Menu bar"}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.control);
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(c.control);
    ASSERT_TRUE(access);
    EXPECT_EQ(access->role(), c.role);
    EXPECT_EQ(access->text(QAccessible::Name), QLatin1String(c.name));
  }
  // The current view's button reads as checked; the pop-up's value is its item.
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(chrome.libraryButton)->state().checked);
  EXPECT_FALSE(QAccessible::queryAccessibleInterface(chrome.downloadsButton)->state().checked);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(chrome.browseByPopup)->text(QAccessible::Value),
            QStringLiteral("All Videos"));
  // The pop-ups' menus list their items, as the pop-ups' children.
  QAccessibleInterface *popup = QAccessible::queryAccessibleInterface(chrome.browseByPopup);
  ASSERT_EQ(popup->childCount(), 1);
  QAccessibleInterface *menu = popup->child(0);
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->object(), window.browseByMenu());
  EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
  ASSERT_EQ(menu->childCount(), 10);
  EXPECT_EQ(menu->child(1)->text(QAccessible::Name), QStringLiteral("Publisher"));
  // Pressing through assistive technology does what a click does.
  QAccessibleInterface *downloads = QAccessible::queryAccessibleInterface(chrome.downloadsButton);
  downloads->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
}

TEST_F(MainWindowAccess, TabGoesThroughTheAreasAndSpaceOrReturnPress) {
  MainWindowController &window = makeWindow();
  const ZMainWindowChrome &chrome = window.chrome();
  window.window()->activateWindow();
  QApplication::setActiveWindow(window.window());
  chrome.guideButton->setFocus(Qt::TabFocusReason);
  QList<QWidget *> reached;
  for (int i = 0; i < 30 && !reached.contains(QApplication::focusWidget()); ++i) {
    reached.append(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // The chrome's controls in order of the areas, then the library.
  const auto position = [&](QWidget *widget) { return reached.indexOf(widget); };
  EXPECT_LT(position(chrome.guideButton), position(chrome.libraryButton));
  EXPECT_LT(position(chrome.libraryButton), position(chrome.downloadsButton));
  EXPECT_LT(position(chrome.downloadsButton), position(chrome.browseByPopup));
  EXPECT_LT(position(chrome.browseByPopup), position(chrome.thumbnailViewButton));
  EXPECT_LT(position(chrome.thumbnailViewButton), position(chrome.importPopup));
  EXPECT_GE(position(chrome.librarySearchField->textField()), 0);
  // Hidden controls are passed by.
  EXPECT_EQ(position(chrome.clearDownloadsButton), -1);

  chrome.downloadsButton->setFocus(Qt::TabFocusReason);
  QTest::keyClick(chrome.downloadsButton, Qt::Key_Space);
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
  chrome.libraryButton->setFocus(Qt::TabFocusReason);
  QTest::keyClick(chrome.libraryButton, Qt::Key_Return);
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
}

}  // namespace

// ---- playback ------------------------------------------------------------------------------

namespace {

using MainWindowPlayback = MainWindowTest;

void post(const char *name) {
  NotificationCenter::defaultCenter().postNotificationName(QLatin1String(name));
}

TEST_F(MainWindowPlayback, AStartedListShowsPlaybackUntilItStopsThenTheViewBeforeReturns) {
  const int first = addVideo(QStringLiteral("First"));
  const int second = addVideo(QStringLiteral("Second"));
  defaults().setInteger(2, QStringLiteral("MainWindowView"));
  MainWindowController &window = makeWindow();
  fNowPlaying->setVideos({first});
  post("ActionStartPlayingNewVideoList");
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_EQ(window.viewBeforePlaying(), MainWindowController::DownloadsView);
  // The movie started: the display begins and the video is viewed.
  EXPECT_TRUE(window.currentlyPlayingMovies());
  EXPECT_TRUE(window.nowPlayingView()->inDisplay());
  EXPECT_TRUE(window.nowPlayingView()->isVisible());
  EXPECT_FALSE(db().getVideoInfo(first)->value(QStringLiteral("DATE_VIEWED")).isEmpty());
  EXPECT_EQ(fMovie.openedPaths().size(), 1);
  // The playback view is not stored as the view to open with.
  EXPECT_EQ(defaults().integerForKey(QStringLiteral("MainWindowView")), 1);

  // A new list while one plays changes nothing.
  fNowPlaying->setVideos({second});
  const QStringList opened = fMovie.openedPaths();
  fMovieController->play();  // the list change unloaded the movie; it plays again
  const int playing = fMovie.openedPaths().size();
  post("ActionStartPlayingNewVideoList");
  post("ActionResumeVideoPlayback");
  EXPECT_EQ(fMovie.openedPaths().size(), playing);
  EXPECT_EQ(window.viewBeforePlaying(), MainWindowController::DownloadsView);
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);

  post("ActionStopPlayingVideoList");
  EXPECT_FALSE(window.currentlyPlayingMovies());
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_FALSE(window.nowPlayingView()->inDisplay());
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
  // Stopping again does nothing.
  post("ActionStopPlayingVideoList");
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
}

TEST_F(MainWindowPlayback, SwitchingViewsWhileAListPlaysStopsItAndTheLastVideosEndReturns) {
  const int video = addVideo(QStringLiteral("Only"));
  MainWindowController &window = makeWindow();
  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  ASSERT_TRUE(window.currentlyPlayingMovies());
  window.viewDownloads();
  EXPECT_FALSE(window.currentlyPlayingMovies());
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);

  // The last video of the list plays to its end: the list stops itself.
  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  ASSERT_TRUE(window.currentlyPlayingMovies());
  fMovie.finish();
  EXPECT_FALSE(window.currentlyPlayingMovies());
  EXPECT_EQ(window.currentView(), MainWindowController::DownloadsView);
}

TEST_F(MainWindowPlayback, SpacePlaysOrPausesAndEscapeLeavesPlayback) {
  const int video = addVideo(QStringLiteral("Only"));
  MainWindowController &window = makeWindow();
  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  ASSERT_TRUE(fMovieController->isPlaying());
  QTest::keyClick(window.window(), Qt::Key_Space);
  EXPECT_FALSE(fMovieController->isPlaying());
  QTest::keyClick(window.window(), Qt::Key_Space);
  EXPECT_TRUE(fMovieController->isPlaying());
  QTest::keyClick(window.window(), Qt::Key_Escape);
  EXPECT_FALSE(window.currentlyPlayingMovies());
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);

  // A list that never started (an empty playlist played) leaves too.
  fNowPlaying->setVideos({});
  post("ActionStartPlayingNewVideoList");
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_FALSE(window.currentlyPlayingMovies());
  QTest::keyClick(window.window(), Qt::Key_Escape);
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
}

TEST_F(MainWindowPlayback, KeysGoToTheLibraryWhereAClickPutTheFocus) {
  const int first = addVideo(QStringLiteral("A first"));
  const int second = addVideo(QStringLiteral("B second"));
  MainWindowController &window = makeWindow();
  window.window()->activateWindow();
  ZLibraryItemsView *items = window.libraryViewContainer()->itemsView();
  // The rows: the videos of "All Videos" in one video list.
  int list = -1;
  for (int i = 0; i < fBrowseList->count() && list < 0; ++i)
    if (fBrowseList->objectAtIndex(i)->asVideoList()) list = i;
  ASSERT_GE(list, 0);
  QTest::mouseClick(items, Qt::LeftButton, {}, items->videoFrame(list, 0).center());
  ASSERT_EQ(fBrowseList->selectedVideoIds(), QList<int>({first}));
  // The keys go where the application sends them: to the focus widget.
  QWidget *focus = QApplication::focusWidget();
  ASSERT_TRUE(focus);
  QTest::keyClick(focus, Qt::Key_Right);
  EXPECT_EQ(fBrowseList->selectedVideoIds(), QList<int>({second}));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>({second}));
  EXPECT_TRUE(window.currentlyPlayingMovies());
  // The hidden library's focus went to the window, not on to a button that
  // Space would press: Space pauses, Escape leaves, and the keyboard is
  // back in the library.
  ASSERT_TRUE(QApplication::focusWidget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_FALSE(fMovieController->isPlaying());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
  EXPECT_EQ(QApplication::focusWidget(),
            static_cast<QWidget *>(window.libraryViewContainer()->browseListView()));
}

// Counts the presses of each key that reach a widget (after its children
// left them).
class KeyCounter : public QObject {
 public:
  explicit KeyCounter(QWidget *widget) { widget->installEventFilter(this); }
  QHash<int, int> presses;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::KeyPress) ++presses[static_cast<QKeyEvent *>(event)->key()];
    return false;
  }
};

TEST_F(MainWindowPlayback, EveryKeyOverTheLibraryIsTakenOrPassedOnOnceAndShortcutsFire) {
  const int first = addVideo(QStringLiteral("A first"));
  addVideo(QStringLiteral("B second"));
  MainWindowController &window = makeWindow();
  window.window()->activateWindow();
  // A menu shortcut of the application, as the menu bar has them.
  QAction settings(QStringLiteral("Settings"));
  settings.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  settings.setShortcutContext(Qt::ApplicationShortcut);
  window.window()->addAction(&settings);
  int settingsShown = 0;
  QObject::connect(&settings, &QAction::triggered, [&] { ++settingsShown; });
  KeyCounter reachingTheWindow(window.window());

  ZLibraryItemsView *items = window.libraryViewContainer()->itemsView();
  int list = -1;
  for (int i = 0; i < fBrowseList->count() && list < 0; ++i)
    if (fBrowseList->objectAtIndex(i)->asVideoList()) list = i;
  ASSERT_GE(list, 0);
  const auto selectFirst = [&] {
    QTest::mouseClick(items, Qt::LeftButton, {}, items->videoFrame(list, 0).center());
    ASSERT_EQ(fBrowseList->selectedVideoIds(), QList<int>({first}));
  };
  selectFirst();
  // Keys the library leaves reach the window once (they went round between
  // the library's scroll area and its items until the stack ran out).
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  };
  for (const Case &c : {Case{Qt::Key_A, {}}, Case{Qt::Key_Z, Qt::ShiftModifier},
                        Case{Qt::Key_1, Qt::ControlModifier}, Case{Qt::Key_F11, {}}}) {
    SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
    QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
    EXPECT_EQ(reachingTheWindow.presses.value(c.key), 1);
    EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Comma, Qt::ControlModifier);
  EXPECT_EQ(settingsShown, 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(window.chrome().librarySearchField->textField()->hasFocus());

  // Watch, come back, press the shortcut again: the library has the keys.
  selectFirst();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  ASSERT_EQ(window.currentView(), MainWindowController::PlaybackView);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_EQ(window.currentView(), MainWindowController::LibraryView);
  EXPECT_EQ(QApplication::focusWidget(),
            static_cast<QWidget *>(window.libraryViewContainer()->browseListView()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Comma, Qt::ControlModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q);
  EXPECT_EQ(settingsShown, 2);
}

TEST_F(MainWindowPlayback, PlayOrSpaceWithNothingPlayingShowsThePlaybackItStarts) {
  const int first = addVideo(QStringLiteral("A first"));
  const int second = addVideo(QStringLiteral("B second"));
  MainWindowController &window = makeWindow();
  window.window()->activateWindow();
  // A list that played and stopped stays the now-playing list.
  fNowPlaying->setVideos({first});
  post("ActionStartPlayingNewVideoList");
  post("ActionStopPlayingVideoList");
  ASSERT_EQ(window.currentView(), MainWindowController::LibraryView);

  // Play (the bars' button, a media key) with no list playing shows it.
  post("ActionPlayVideo");
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_TRUE(window.currentlyPlayingMovies());
  post("ActionStopPlayingVideoList");
  ASSERT_EQ(window.currentView(), MainWindowController::LibraryView);

  // Space over a selected video plays that video, in the playback view.
  ZLibraryItemsView *items = window.libraryViewContainer()->itemsView();
  int list = -1;
  for (int i = 0; i < fBrowseList->count() && list < 0; ++i)
    if (fBrowseList->objectAtIndex(i)->asVideoList()) list = i;
  ASSERT_GE(list, 0);
  QTest::mouseClick(items, Qt::LeftButton, {}, items->videoFrame(list, 1).center());
  ASSERT_EQ(fBrowseList->selectedVideoIds(), QList<int>({second}));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>({second}));
  EXPECT_EQ(fMovie.openedPaths().size(), 3);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_EQ(window.currentView(), MainWindowController::LibraryView);
  // Return still plays (a list playing unseen used to swallow every start).
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  EXPECT_TRUE(window.currentlyPlayingMovies());
}

TEST_F(MainWindowPlayback, TheWindowManagersCloseOfFullScreenLeavesItAsEscapeDoes) {
  const int video = addVideo(QStringLiteral("Only"));
  MainWindowController &window = makeWindow();
  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  post("ActionEnterFullScreen");
  ASSERT_TRUE(window.inFullScreen());
  QPointer<ZFullScreenWindow> fullScreen = window.fullScreenWindow();
  // Alt+F4: the window manager asks the native window to close.
  QCloseEvent close;
  QCoreApplication::sendEvent(fullScreen->windowHandle(), &close);
  QTRY_VERIFY(!fullScreen);
  EXPECT_FALSE(window.inFullScreen());
  EXPECT_FALSE(fState.fullScreenMode());
  EXPECT_EQ(fState.playbackWindow(), static_cast<QObject *>(window.window()));
  // Back in the window's display, still playing, and full screen again works.
  EXPECT_TRUE(window.nowPlayingView()->inDisplay());
  EXPECT_TRUE(window.currentlyPlayingMovies());
  EXPECT_EQ(window.currentView(), MainWindowController::PlaybackView);
  post("ActionEnterFullScreen");
  EXPECT_TRUE(window.inFullScreen());
  post("ActionLeaveFullScreen");
  EXPECT_FALSE(window.inFullScreen());
}

TEST_F(MainWindowPlayback, FullScreenOnlyWhilePlayingAndStoppingTheListEndsIt) {
  const int video = addVideo(QStringLiteral("Only"));
  MainWindowController &window = makeWindow();
  post("ActionEnterFullScreen");  // nothing plays
  EXPECT_FALSE(window.inFullScreen());

  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  post("ActionEnterFullScreen");
  ASSERT_TRUE(window.inFullScreen());
  EXPECT_TRUE(fState.fullScreenMode());
  EXPECT_EQ(fState.playbackWindow(), static_cast<QObject *>(window.fullScreenWindow()));
  EXPECT_EQ(window.fullScreenWindow()->geometry(), QGuiApplication::screens().first()->geometry());
  EXPECT_FALSE(window.nowPlayingView()->inDisplay());
  post("ActionEnterFullScreen");  // already: no second window
  const QWidgetList windows = QApplication::topLevelWidgets();
  EXPECT_EQ(std::count_if(
                windows.begin(), windows.end(),
                [](QWidget *w) { return w->objectName() == "FullScreenWindow" && w->isVisible(); }),
            1);

  post("ActionLeaveFullScreen");
  EXPECT_FALSE(window.inFullScreen());
  EXPECT_FALSE(fState.fullScreenMode());
  EXPECT_EQ(fState.playbackWindow(), static_cast<QObject *>(window.window()));
  EXPECT_TRUE(window.nowPlayingView()->inDisplay());

  post("ActionEnterFullScreen");
  ASSERT_TRUE(window.inFullScreen());
  post("ActionStopPlayingVideoList");
  EXPECT_FALSE(window.inFullScreen());
  EXPECT_FALSE(fState.fullScreenMode());
  EXPECT_EQ(window.currentView(), MainWindowController::LibraryView);
}

}  // namespace
