// The shipped default skin: every value the player draws with is there, every
// control picture holds its states side by side and shows each one, the
// "@2x" twins match their pictures, the main window's and the playback
// bars' controls keep clear of one another, and a damaged copy still makes a
// skin whose controls (and the gallery of them all) fall back instead of
// failing.
#include "SkinGallery.h"
#include "TestEnvironment.h"
#include "ZControls.h"
#include "ZPlacement.h"
#include "ZSkin.h"
#include "ZView.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

QString defaultSkinFolder() {
  return ZSkinManager::resourcesFolder() + QStringLiteral("/skins/defaultskin");
}

const ZSkin &defaultSkin(double ratio = 1) {
  static const ZSkin plain(defaultSkinFolder(), 1.0);
  static const ZSkin sharp(defaultSkinFolder(), 2.0);
  return ratio > 1 ? sharp : plain;
}

// Control descriptions the player never fills from a skin.
bool neverFilled(const QString &name) {
  return name == "guideButtonInfo" || name == "nowPlayingButtonInfo" ||
         name.startsWith("browser");
}

bool isSlider(const QString &name) {
  return name.startsWith("progressBar") || name.startsWith("volumeControl");
}

// Every control description by accessor name.
std::map<QString, QVariantMap> infos(const ZSkin &skin) {
  std::map<QString, QVariantMap> all;
#define X(name) \
  if (const auto info = skin.name()) all.emplace(QStringLiteral(#name), *info);
  ZSKIN_INFOS(X)
#undef X
  return all;
}

QString joined(const QStringList &names) { return names.join(", "); }

QImage part(const QImage &image, int index, int parts) {
  const int width = image.width() / parts;
  return image.copy(index * width, 0, width, image.height());
}

}  // namespace

TEST(DefaultSkin, EveryValueThePlayerDrawsWithIsThere) {
  const ZSkin &skin = defaultSkin();
  ASSERT_FALSE(skin.skinFolderPath().isEmpty()) << defaultSkinFolder().toStdString();
  QStringList missing;
#define X(name)                                                                  \
  if (!neverFilled(#name)) {                                                     \
    const auto info = skin.name();                                               \
    QStringList keys = {"Image", "Zone", "XPos", "YPos", "states"};              \
    if (isSlider(#name)) {                                                       \
      keys.removeFirst();                                                        \
      keys << "Width" << "Height" << "KnobYPos" << "LeftBarImage"                \
           << "RightBarImage" << "BarOnImage" << "BarOffImage" << "KnobImage";   \
    }                                                                            \
    if (QString(#name).startsWith("volumeControl")) keys << "MuteButton" << "MutedButton"; \
    if (!info) missing << #name;                                                 \
    for (const QString &key : keys)                                              \
      if (info && (!info->contains(key) ||                                       \
                   (key.endsWith("Image") && info->value(key).value<QImage>().isNull()))) \
        missing << QStringLiteral(#name "[%1]").arg(key);                        \
    for (const char *button : {"MuteButton", "MutedButton"})                     \
      if (info && info->contains(button))                                        \
        for (const char *key : {"XPos", "YPos", "states", "Image"})              \
          if (!info->value(button).toMap().contains(key))                        \
            missing << QStringLiteral(#name "[%1][%2]").arg(button, key);        \
  }
  ZSKIN_INFOS(X)
#undef X
#define X(name) \
  if (skin.name().isNull()) missing << #name;
  ZSKIN_IMAGES(X)
#undef X
#define X(name, file) \
  if (skin.name().isNull()) missing << #name " (" file ")";
  ZSKIN_LAZY_IMAGES(X)
#undef X
#define X(name) \
  if (!(skin.name() > 0)) missing << #name;
  ZSKIN_NUMBERS(X)
#undef X
#define X(name) \
  if (skin.name().isEmpty()) missing << #name;
  ZSKIN_RECTS(X)
#undef X
#define X(name) \
  if (skin.name().isNull()) missing << #name;
  ZSKIN_POINTS(X)
#undef X
#define X(name) \
  if (!skin.name().isValid()) missing << #name;
  ZSKIN_COLORS(X)
#undef X
#define X(name) \
  if (!skin.name()) missing << #name;
  ZSKIN_TEXT_ATTRIBUTES(X)
#undef X
  for (const char *key : {"HeaderColorSelected", "HeaderColorOpen", "HeaderColorClose"})
    if (skin.libraryRenderingInfoForKey(key).value<QList<QColor>>().isEmpty()) missing << key;
  if (!skin.libraryRenderingInfoForKey("ImageBorderUnselected").value<QColor>().isValid())
    missing << "ImageBorderUnselected";
  EXPECT_TRUE(missing.isEmpty()) << "absent: " << joined(missing).toStdString();
}

TEST(DefaultSkin, ControlPicturesHoldTheirStatesSideBySideAndShowEachOne) {
  const ZSkin &skin = defaultSkin();
  struct Sprite {
    QString name;
    QImage image;
    int parts;
  };
  QList<Sprite> sprites;
  for (const auto &[name, info] : infos(skin)) {
    if (info.contains("Image"))
      sprites.append({name, info.value("Image").value<QImage>(), info.value("states").toInt()});
    for (const char *button : {"MuteButton", "MutedButton"})
      if (info.contains(button)) {
        const QVariantMap sub = info.value(button).toMap();
        sprites.append({name + "." + button, sub.value("Image").value<QImage>(),
                        sub.value("states").toInt()});
      }
  }
  sprites.append({"fullScreenExitButtonImage", skin.fullScreenExitButtonImage(),
                  int(skin.fullScreenExitButtonStates())});
  // Two pictures side by side: normal and highlighted ratings, a star in and
  // beyond the rating, an open and a closed group, the two sort orders, a
  // selected and an unselected tab.
  for (const auto &[name, image] :
       std::initializer_list<std::pair<const char *, QImage>>{
           {"libraryDetailsViewUnratedButtonImage", skin.libraryDetailsViewUnratedButtonImage()},
           {"libraryDetailsViewRate1StarButtonImage", skin.libraryDetailsViewRate1StarButtonImage()},
           {"libraryDetailsViewRate5StarButtonImage", skin.libraryDetailsViewRate5StarButtonImage()},
           {"starImage", skin.starImage()},
           {"libraryContainerUpDownImage", skin.libraryContainerUpDownImage()},
           {"librarySortArrowImage", skin.librarySortArrowImage()},
           {"settingsTabGeneralImage", skin.settingsTabGeneralImage()},
           {"settingsTabDownloadsImage", skin.settingsTabDownloadsImage()},
           {"settingsTabPlaybackImage", skin.settingsTabPlaybackImage()}})
    sprites.append({name, image, 2});

  for (const Sprite &sprite : sprites) {
    SCOPED_TRACE(sprite.name.toStdString());
    ASSERT_GE(sprite.parts, 1);
    ASSERT_FALSE(sprite.image.isNull());
    EXPECT_EQ(sprite.image.width() % sprite.parts, 0) << sprite.image.width();
    // Every state looks different from the normal one, or the user sees no
    // answer to hovering, pressing or selecting.
    const QImage normal = part(sprite.image, 0, sprite.parts);
    for (int k = 1; k < sprite.parts; ++k)
      EXPECT_NE(part(sprite.image, k, sprite.parts), normal) << "part " << k;
  }
}

TEST(DefaultSkin, EveryPictureHasATwinOfTwiceItsSizeThatTheSkinUsesAtTwiceTheResolution) {
  QStringList faults;
  int pictures = 0;
  QDirIterator files(defaultSkinFolder(), QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    const QString name = QDir(defaultSkinFolder()).relativeFilePath(path);
    if (name == "Skin.xml") continue;
    const bool twin = QFileInfo(name).completeBaseName().endsWith("@2x");
    const QString other = twin ? QString(name).remove("@2x") : hiDpiTwinName(name);
    if (!QFile::exists(QDir(defaultSkinFolder()).filePath(other))) {
      faults << name + (twin ? " has no picture of its own" : " has no twin");
      continue;
    }
    if (twin) continue;
    ++pictures;
    const QImage image(path), sharp(QDir(defaultSkinFolder()).filePath(other));
    if (image.isNull() || sharp.size() != image.size() * 2)
      faults << QStringLiteral("%1: %2x%3, twin %4x%5")
                    .arg(name)
                    .arg(image.width())
                    .arg(image.height())
                    .arg(sharp.width())
                    .arg(sharp.height());
  }
  EXPECT_GT(pictures, 0);
  EXPECT_TRUE(faults.isEmpty()) << joined(faults).toStdString();

  // The skin made for a screen of twice the resolution takes the twins and
  // lays them out at the pictures' sizes.
  const ZSkin &plain = defaultSkin(1), &sharp = defaultSkin(2);
  QStringList wrong;
  const auto compare = [&](const char *name, const QImage &one, const QImage &two) {
    if (one.isNull() || two.devicePixelRatio() != 2 ||
        two.deviceIndependentSize() != QSizeF(one.size()))
      wrong << name;
  };
#define X(name) compare(#name, plain.name(), sharp.name());
  ZSKIN_IMAGES(X)
#undef X
#define X(name, file) compare(#name, plain.name(), sharp.name());
  ZSKIN_LAZY_IMAGES(X)
#undef X
  for (const auto &[name, info] : infos(plain))
    if (info.contains("Image"))
      compare(qPrintable(name), info.value("Image").value<QImage>(),
              infos(sharp).at(name).value("Image").value<QImage>());
  EXPECT_TRUE(wrong.isEmpty()) << joined(wrong).toStdString();
}

namespace {

struct Placed {
  QString name;
  QRectF rect;  // in widget space (y downwards)
};

// Places the named controls of the skin by their own rule in bounds of the
// given size, the playlist-dependent ones with the pane's offset.
QList<Placed> place(const ZSkin &skin, const QSizeF &size, const QStringList &names,
                    const QStringList &offsetByPane = {}) {
  const auto all = infos(skin);
  QList<Placed> placed;
  for (const QString &name : names) {
    const auto found = all.find(name);
    if (found == all.end()) {
      ADD_FAILURE() << "no " << name.toStdString();
      continue;
    }
    const QVariantMap &info = found->second;
    const QSizeF display = info.value("Image").value<QImage>().deviceIndependentSize();
    const QSizeF partSize(display.width() / std::max(1, info.value("states").toInt()),
                          display.height());
    const double offset = offsetByPane.contains(name) ? ZSkin::playlistAreaWidth() : 0;
    const QRectF rect =
        ZPlacement::layoutRect(partSize, QRectF(QPointF(0, 0), size), info, offset);
    placed.append({name, ZPlacement::toWidgetRect(rect, size.height())});
  }
  return placed;
}

// The volume control's own rule for its container (Width by Height).
Placed placeVolume(const ZSkin &skin, const char *name, const QSizeF &bar) {
  const QVariantMap info = infos(skin).at(name);
  const QSizeF size(info.value("Width").toDouble(), info.value("Height").toDouble());
  const double x = bar.width() - info.value("XPos").toDouble() - size.width();
  const double top = info.value("YPos").toDouble();
  EXPECT_EQ(info.value("Justify").toString(), "right");
  EXPECT_GE(info.value("Zone").toInt(), 3);
  EXPECT_LE(info.value("Zone").toInt(), 6);
  return {name, QRectF(QPointF(x, top), size)};
}

QStringList clashes(const QList<Placed> &controls, const QRectF &within,
                    const QList<Placed> &keepClear = {}) {
  QStringList found;
  for (qsizetype i = 0; i < controls.size(); ++i) {
    if (!within.contains(controls[i].rect))
      found << controls[i].name + " leaves its area";
    for (qsizetype j = i + 1; j < controls.size(); ++j)
      if (controls[i].rect.intersects(controls[j].rect))
        found << controls[i].name + " overlaps " + controls[j].name;
    for (const Placed &area : keepClear)
      if (controls[i].rect.intersects(area.rect))
        found << controls[i].name + " covers " + area.name;
  }
  return found;
}

}  // namespace

TEST(DefaultSkin, TheWindowsControlsKeepClearOfOneAnother) {
  const ZSkin &skin = defaultSkin();
  const QStringList always = {
      "minimizeButtonInfo",     "maximizeButtonInfo",      "closeButtonInfo",
      "libraryButtonInfo",      "downloadsButtonInfo",     "zaroTvButtonInfo",
      "uploadButtonInfo",       "browseByTitleInfo",       "browseByPopupInfo",
      "thumbnailViewButtonInfo", "detailsViewButtonInfo",  "importButtonInfo",
      "librarySearchButtonInfo", "clearDownloadsButtonInfo", "uploadManagerImageInfo",
      "detailsInfoTitle",       "nowPlayingOptionsButtonInfo", "nowPlayingTitleInfo"};
  const QStringList byPane = {"importButtonInfo", "librarySearchButtonInfo"};
  // The smallest window, a common one and a wide one.
  for (const QSizeF window : {QSizeF(800, 560), QSizeF(1280, 800), QSizeF(2560, 1400)}) {
    SCOPED_TRACE(window.width());
    const QList<Placed> keepClear = {
        {"the mark", QRectF(14, 12, 24, 24)},
        {"the resize corner", QRectF(window.width() - 20, window.height() - 20, 20, 20)}};
    const QRectF bounds(QPointF(0, 0), window);
    // Playlist shown: the pop-up over the pane, the hide button, the others
    // moved left by the pane.
    const QStringList shown = clashes(
        place(skin, window, always + QStringList{"playlistsButtonInfo", "hidePlaylistButtonInfo"},
              byPane + QStringList{"playlistsButtonInfo"}),
        bounds, keepClear);
    EXPECT_TRUE(shown.isEmpty()) << joined(shown).toStdString();
    // Playlist hidden.
    const QStringList hidden =
        clashes(place(skin, window, always + QStringList{"showPlaylistButtonInfo"}), bounds,
                keepClear);
    EXPECT_TRUE(hidden.isEmpty()) << joined(hidden).toStdString();
    // The playlists pop-up lies over the pane when shown.
    const Placed playlists =
        place(skin, window, {"playlistsButtonInfo"}, {"playlistsButtonInfo"}).first();
    EXPECT_GE(playlists.rect.left(), window.width() - ZSkin::playlistAreaWidth());
  }

  // The playback bars: in the window and in full screen, at the smallest
  // width and a wide one.
  const double barHeight = skin.bottomNavBarImage().deviceIndependentSize().height();
  for (const double width : {800.0, 1920.0}) {
    SCOPED_TRACE(width);
    const QSizeF bar(width, barHeight);
    const QStringList inWindow = {"nowPlayingExitButtonInfo", "stopButtonInfo",
                                  "rewindButtonInfo", "playButtonInfo", "forwardButtonInfo"};
    QList<Placed> controls = place(skin, bar, inWindow);
    controls.append(placeVolume(skin, "volumeControlInfo", bar));
    QStringList found = clashes(controls, QRectF(QPointF(0, 0), bar));
    EXPECT_TRUE(found.isEmpty()) << joined(found).toStdString();
    // Pause takes play's place.
    EXPECT_EQ(place(skin, bar, {"pauseButtonInfo"}).first().rect,
              place(skin, bar, {"playButtonInfo"}).first().rect);
    found = clashes(place(skin, bar,
                          inWindow + QStringList{"fullScreenMuteButtonInfo",
                                                 "fullScreenVolumeDownButtonInfo",
                                                 "fullScreenVolumeImageInfo",
                                                 "fullScreenVolumeUpButtonInfo"}),
                    QRectF(QPointF(0, 0), bar));
    EXPECT_TRUE(found.isEmpty()) << joined(found).toStdString();
    EXPECT_EQ(place(skin, bar, {"fullScreenMutedButtonInfo"}).first().rect,
              place(skin, bar, {"fullScreenMuteButtonInfo"}).first().rect);
    const QSizeF titleBar(width, skin.fullScreenTitleBackgroundImage().deviceIndependentSize().height());
    found = clashes(place(skin, titleBar, {"fullScreenHoverButtonInfo"}),
                    QRectF(QPointF(0, 0), titleBar));
    EXPECT_TRUE(found.isEmpty()) << joined(found).toStdString();
  }
  // The progress bar and its caps are as high as the bar the player makes for them.
  EXPECT_EQ(skin.progressBarInfo()->value("LeftBarImage").value<QImage>().height(),
            skin.inlineFullScreenMiddleImage().height());
}

TEST(DefaultSkin, ADamagedCopyStillMakesASkinAndItsControlsFallBack) {
  // A copy that keeps a third of its pictures, loses a third and has junk
  // in place of the rest.
  const QString folder = TestEnvironment::makeTempDir(QStringLiteral("damaged"));
  QDirIterator files(defaultSkinFolder(), QDir::Files);
  int index = 0;
  while (files.hasNext()) {
    const QString path = files.next();
    const QString name = QFileInfo(path).fileName();
    const int fate = name == "Skin.xml" ? 0 : ++index % 3;
    if (fate == 0) {
      ASSERT_TRUE(QFile::copy(path, folder + "/" + name));
    } else if (fate == 1) {
      QFile junk(folder + "/" + name);
      ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
      junk.write("\x89PNG\r\n\x1a\n not really");
    }
  }
  for (const double ratio : {1.0, 2.0}) {
    const ZSkin skin(folder, ratio);
    EXPECT_EQ(skin.libraryItemWidth(), 260);  // the definition still reads
    ASSERT_TRUE(skin.playButtonInfo());
    QWidget parent;
    parent.resize(800, 560);
    int made = 0, refused = 0;
    for (const auto &[name, info] : infos(skin)) {
      ZButtonView *button = ZButtonView::create(parent.size(), info, &parent);
      // A control whose picture did not load is not made.
      EXPECT_EQ(button != nullptr, info.contains("Image") && info.contains("Zone"))
          << name.toStdString();
      if (button) button->setState(ZButtonView::MouseOver);
      (button ? made : refused) += 1;
    }
    EXPECT_GT(made, 0);
    EXPECT_GT(refused, 0);
    const auto current = std::make_shared<ZSkin>(folder, ratio);
    ZSkinManager::sharedSkinManager().setCurrentSkin(current);
    ZRateButtonView *rating = ZRateButtonView::create(QPoint(0, 0), &parent);
    rating->setRating(3);
    // Drawing what is left does not fail; nor does the gallery of every
    // control, over this skin and over a folder without any.
    EXPECT_FALSE(parent.grab().isNull());
    EXPECT_FALSE(SkinGallery(*current).grab().isNull());
    const ZSkin none(TestEnvironment::makeTempDir(QStringLiteral("none")), ratio);
    EXPECT_FALSE(SkinGallery(none).grab().isNull());
    ZSkinManager::sharedSkinManager().setCurrentSkin(nullptr);
  }
}
