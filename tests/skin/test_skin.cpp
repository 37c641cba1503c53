// The skin: colours, control descriptions, the library/playlist/dialog
// sections, built-in defaults, images loaded now and on first use, and what a
// folder without a readable definition gives.
#include "TestEnvironment.h"
#include "ZSkin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// A skin folder with the given definition and a few small images.
QString makeSkin(const QByteArray &definition, const QStringList &images = {}) {
  const QString folder = TestEnvironment::makeTempDir(QStringLiteral("skin"));
  if (!definition.isNull()) {
    QFile file(folder + "/Skin.xml");
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(definition);
  }
  for (const QString &name : images) {
    QImage image(12, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    EXPECT_TRUE(image.save(folder + "/" + name, "PNG")) << name.toStdString();
  }
  return folder;
}

QByteArray skinXml(const QByteArray &body) { return "<Skin>" + body + "</Skin>"; }

void expectColor(const QColor &color, double r, double g, double b) {
  ASSERT_TRUE(color.isValid());
  EXPECT_NEAR(color.redF(), r, 1e-4);
  EXPECT_NEAR(color.greenF(), g, 1e-4);
  EXPECT_NEAR(color.blueF(), b, 1e-4);
  EXPECT_EQ(color.alphaF(), 1.0);
}

}  // namespace

TEST(SkinColors, SixHexDigitsGiveAColourAndAnythingElseNone) {
  const struct {
    const char *text;
    bool valid;
    double r, g, b;
  } cases[] = {
      {"FFFFFF", true, 1.0, 1.0, 1.0},
      {"808080", true, 0.5, 0.5, 0.5},
      {"ff0040", true, 1.0, 0.0, 0.25},
      {"000000", true, 0, 0, 0},
      {"FFFFF", false, 0, 0, 0},
      {"FFFFFFF", false, 0, 0, 0},
      {"#FFFFF", false, 0, 0, 0},
      {"GG0000", false, 0, 0, 0},
      {"", false, 0, 0, 0},
      // A pair is scanned: white space before it is skipped, reading stops
      // at a character that is no digit.
      {"12 456", true, 0x12 / 256.0, 0x04 / 256.0, 0x56 / 256.0},
      {"1G00A0", true, 1 / 256.0, 0, 0xA0 / 256.0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    const auto color = ZSkin::colorFromString(QString::fromLatin1(c.text));
    ASSERT_EQ(color.has_value(), c.valid);
    if (c.valid) expectColor(*color, c.r, c.g, c.b);
  }
  // White is exactly white.
  const QColor white = *ZSkin::colorFromString("FFFFFF");
  EXPECT_EQ(white.redF(), 1.0);
  EXPECT_EQ(white.greenF(), 1.0);
  EXPECT_EQ(white.blueF(), 1.0);

  // A list keeps the colours that read, last first.
  const QList<QColor> list = ZSkin::colorsFromString("FF0000,zzzzzz,0000FF,00FF00");
  ASSERT_EQ(list.size(), 3);
  expectColor(list[0], 0, 1, 0);
  expectColor(list[1], 0, 0, 1);
  expectColor(list[2], 1, 0, 0);
}

TEST(Skin, AFolderWithoutADefinitionHasNoValues) {
  const QString folder = makeSkin(QByteArray(), {"Star.PNG"});
  const ZSkin skin(folder);
  EXPECT_TRUE(skin.skinFolderPath().isEmpty());
  EXPECT_FALSE(skin.playButtonInfo().has_value());
  EXPECT_EQ(skin.libraryItemWidth(), 0);
  EXPECT_TRUE(skin.libraryVideoNewImage().isNull());
  EXPECT_FALSE(skin.playlistColor().isValid());
  EXPECT_FALSE(skin.dialogCaptionAttributes().has_value());
  EXPECT_TRUE(skin.starImage().isNull());  // no folder is known
  EXPECT_FALSE(skin.libraryRenderingInfoForKey("HeaderHeight").isValid());
  // These hold whatever the skin says.
  EXPECT_EQ(ZSkin::playlistAreaWidth(), 176);
  const ZTextAttributes slider = ZSkin::movieSliderTextAttributes();
  EXPECT_EQ(slider.font.family(), "Arial");
  EXPECT_EQ(slider.font.pointSizeF(), 14);
  EXPECT_EQ(slider.foregroundColor, QColor(Qt::white));
}

TEST(Skin, ADefinitionThatDoesNotParseGivesNoValuesButKeepsTheFolder) {
  for (const QByteArray &broken : {QByteArray("<Skin><PlayButton></Skin>"),
                                   QByteArray("<Skin>\xff\xfe</Skin>"), QByteArray("")}) {
    SCOPED_TRACE(broken.toStdString());
    const QString folder = makeSkin(broken, {"Star.PNG"});
    const ZSkin skin(folder);
    EXPECT_FALSE(skin.playButtonInfo().has_value());
    EXPECT_EQ(skin.libraryItemWidth(), 0);
    EXPECT_EQ(skin.skinFolderPath(), folder);
    EXPECT_FALSE(skin.starImage().isNull());
  }
  // A folder named Skin.xml is no definition.
  const QString folder = makeSkin(QByteArray());
  QDir().mkpath(folder + "/Skin.xml");
  EXPECT_TRUE(ZSkin(folder).skinFolderPath().isEmpty());
}

TEST(Skin, ControlDescriptionsReadTheirChildrenInOrder) {
  const QString folder = makeSkin(skinXml(R"(
      <PlayButton/>
      <PauseButton><XPos>10</XPos><YPos>4</YPos><XPos>12</XPos><Zone>2</Zone>
        <Justify>right</Justify><states>4</states><Image>play.png</Image><Other>9</Other></PauseButton>
      <StopButton><Image>play.png</Image><Image>missing.png</Image></StopButton>
      <RewindButton><Image>missing.png</Image><XPos>x</XPos></RewindButton>
      <ProgressControl><XPos>1</XPos><Width>300</Width><Height>8</Height><KnobYPos>-2</KnobYPos>
        <BarOnImage>play.png</BarOnImage><KnobImage>missing.png</KnobImage></ProgressControl>
      <VolumeControl><Width>50</Width><MuteButton><XPos>3</XPos><states>2</states>
        <Image>play.png</Image><Zone>7</Zone></MuteButton><MutedButton/></VolumeControl>
      <ExitFullScreenHoverButton><Image>play.png</Image><states>3</states></ExitFullScreenHoverButton>
    )"),
                                  {"play.png"});
  const ZSkin skin(folder);

  EXPECT_EQ(*skin.playButtonInfo(),
            QVariantMap({{"Justify", "left"}, {"states", 1}}));  // no children
  const QVariantMap pause = *skin.pauseButtonInfo();
  EXPECT_EQ(pause.value("XPos"), 12);  // the later one wins
  EXPECT_EQ(pause.value("YPos"), 4);
  EXPECT_EQ(pause.value("Zone"), 2);
  EXPECT_EQ(pause.value("Justify"), "right");
  EXPECT_EQ(pause.value("states"), 4);
  EXPECT_EQ(pause.value("Image").value<QImage>().size(), QSize(12, 6));
  EXPECT_FALSE(pause.contains("Other"));
  EXPECT_FALSE(skin.stopButtonInfo()->contains("Image"));  // the later file does not load
  EXPECT_EQ(*skin.rewindButtonInfo(),
            QVariantMap({{"Justify", "left"}, {"states", 1}, {"XPos", 0}}));
  EXPECT_FALSE(skin.forwardButtonInfo().has_value());  // no element
  EXPECT_FALSE(skin.guideButtonInfo().has_value());    // never read from the file

  const QVariantMap progress = *skin.progressBarInfo();
  EXPECT_EQ(progress.value("XPos"), 1);
  EXPECT_EQ(progress.value("Width"), 300);
  EXPECT_EQ(progress.value("Height"), 8);
  EXPECT_EQ(progress.value("KnobYPos"), -2);
  EXPECT_EQ(progress.value("Justify"), "left");
  EXPECT_FALSE(progress.value("BarOnImage").value<QImage>().isNull());
  EXPECT_FALSE(progress.contains("KnobImage"));

  const QVariantMap volume = *skin.volumeControlInfo();
  EXPECT_EQ(volume.value("Width"), 50);
  const QVariantMap mute = volume.value("MuteButton").toMap();
  EXPECT_EQ(mute.value("XPos"), 3);
  EXPECT_EQ(mute.value("states"), 2);
  EXPECT_FALSE(mute.value("Image").value<QImage>().isNull());
  EXPECT_FALSE(mute.contains("Zone"));
  EXPECT_TRUE(volume.value("MutedButton").toMap().isEmpty());

  EXPECT_EQ(skin.fullScreenExitButtonStates(), 3);
  EXPECT_FALSE(skin.fullScreenExitButtonImage().isNull());
}

TEST(Skin, LibrarySectionSetsItsValuesAndIgnoresMalformedOnes) {
  const ZSkin defaults(makeSkin(skinXml("<LibraryControl/>")));
  EXPECT_EQ(defaults.libraryItemWidth(), 260);
  EXPECT_EQ(defaults.libraryItemHeight(), 90);
  EXPECT_EQ(defaults.libraryRenderingInfoForKey("HeaderHeight"), 30.0);
  EXPECT_EQ(defaults.libraryRenderingInfoForKey("HeaderFont"), "Arial");
  EXPECT_EQ(defaults.libraryRenderingInfoForKey("HeaderFontBold"), true);
  EXPECT_EQ(defaults.libraryRenderingInfoForKey("ImageBorderSelected").value<QColor>(),
            QColor(Qt::red));
  EXPECT_FALSE(defaults.libraryRenderingInfoForKey("ImageBorderUnselected").isValid());
  EXPECT_EQ(defaults.libraryThumbnailViewImageDimensions(), QRectF(4, 4, 134, 80));
  EXPECT_EQ(defaults.libraryItemThumbnailBorderSize(), 3);

  const ZSkin skin(makeSkin(skinXml(R"(
      <LibraryControl>
        <itemsize>200</itemsize>
        <ItemGradient>FF0000</ItemGradient>
        <HEADERFONTBOLD>yes</HEADERFONTBOLD><TitleFontBold>TRUE</TitleFontBold>
        <TitleFontItalic>true</TitleFontItalic>
        <HeaderHeight>24.5</HeaderHeight><ImageBorderSize>5</ImageBorderSize>
        <TitleFont>DejaVu Sans</TitleFont><TitleFontSize>9</TitleFontSize>
        <TitleFontColor>00FF00</TitleFontColor><HeaderFontColor>nope</HeaderFontColor>
        <HeaderColorSelected>FF0000,0000FF</HeaderColorSelected>
        <ImageLocation>1,2,3</ImageLocation><TitleLocation>1,2,3,4</TitleLocation>
        <VideoStateLocation>7,8</VideoStateLocation><RatingLocation>1,2,3</RatingLocation>
        <ItemGradientSize>11</ItemGradientSize>
      </LibraryControl>)")));
  EXPECT_EQ(skin.libraryItemWidth(), 260);  // one part: no change
  expectColor(skin.libraryThumbnailViewGradientEnd(), 1, 0, 0);
  EXPECT_EQ(skin.libraryThumbnailViewGradientStart(), QColor(Qt::white));
  EXPECT_EQ(skin.libraryRenderingInfoForKey("HeaderFontBold"), false);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("TitleFontBold"), true);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("HeaderHeight"), 24.5);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("ImageBorderSize"), 5.0);
  EXPECT_EQ(skin.libraryItemThumbnailBorderSize(), 5);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("HeaderFontColor").value<QColor>(),
            QColor(Qt::black));  // a colour that does not read keeps the default
  const QList<QColor> header =
      skin.libraryRenderingInfoForKey("HeaderColorSelected").value<QList<QColor>>();
  ASSERT_EQ(header.size(), 2);
  expectColor(header[0], 0, 0, 1);
  EXPECT_EQ(skin.libraryThumbnailViewImageDimensions(), QRectF(4, 4, 134, 80));
  EXPECT_EQ(skin.libraryThumbnailViewTitleDimensions(), QRectF(1, 2, 3, 4));
  EXPECT_EQ(skin.libraryThumbnailViewVideoStateLocation(), QPointF(7, 8));
  EXPECT_EQ(skin.libraryThumbnailViewRatingLocation(), QPointF(20, 68));
  EXPECT_EQ(skin.libraryThumbnailViewGradientHeight(), 11);
  const ZTextAttributes title = *skin.libraryVideoTitleTextAttributes();
  EXPECT_EQ(title.font.family(), "DejaVu Sans");
  EXPECT_EQ(title.font.pointSizeF(), 9);
  EXPECT_TRUE(title.font.bold());
  EXPECT_TRUE(title.font.italic());
  expectColor(title.foregroundColor, 0, 1, 0);

  const ZSkin sized(
      makeSkin(skinXml("<LibraryControl><ItemSize>200,100</ItemSize>"
                       "<ItemGradient>000000,FFFFFF</ItemGradient></LibraryControl>")));
  EXPECT_EQ(sized.libraryItemWidth(), 200);
  EXPECT_EQ(sized.libraryItemHeight(), 100);
  expectColor(sized.libraryThumbnailViewGradientEnd(), 0, 0, 0);
  expectColor(sized.libraryThumbnailViewGradientStart(), 1, 1, 1);
}

TEST(Skin, PlaylistAndDialogSectionsBuildTheirStylesOnlyWhenComplete) {
  const ZSkin partial(
      makeSkin(skinXml("<PlaylistControl><TitleFont>Serif</TitleFont><Color>000000</"
                       "Color><ItemHeight>60</ItemHeight>"
                       "<COLORSELECTED>bad</COLORSELECTED></PlaylistControl>"
                       "<BaseDlgSkin><DlgCaptionFont>Serif</DlgCaptionFont><DlgCaptionFontSize>0</"
                       "DlgCaptionFontSize>"
                       "<Backcolor>000080</Backcolor></BaseDlgSkin>")));
  EXPECT_EQ(partial.playlistRowHeight(), 60);
  expectColor(partial.playlistColor(), 0, 0, 0);
  expectColor(partial.playlistSelectedColor(), 0.5, 0.5, 0.5);  // the default stays
  // A font without a size leaves the built-in title style.
  EXPECT_EQ(partial.playlistCellTitleAttributes()->font.family(), "Arial");
  EXPECT_FALSE(partial.playlistCellTitleSelectedAttributes().has_value());
  expectColor(partial.dialogBackColor(), 0, 0, 0.5);
  EXPECT_EQ(partial.dialogCaptionAttributes()->font.pointSizeF(), 32);  // size 0: unchanged

  const ZSkin complete(makeSkin(skinXml(
      "<PlaylistControl><TitleFont>Serif</TitleFont><TitleFontSize>13</TitleFontSize>"
      "<TitleFontColorSelected>FF0000</TitleFontColorSelected><TitleFontBold>true</TitleFontBold>"
      "<DescriptionFont>Serif</DescriptionFont><DescriptionFontSize>9</DescriptionFontSize>"
      "<DescriptionFontColor>00FF00</DescriptionFontColor></PlaylistControl>"
      "<BaseDlgSkin><DlgCaptionFont>Serif</DlgCaptionFont><DlgCaptionFontSize>20</"
      "DlgCaptionFontSize>"
      "</BaseDlgSkin>")));
  const ZTextAttributes title = *complete.playlistCellTitleAttributes();
  const ZTextAttributes selected = *complete.playlistCellTitleSelectedAttributes();
  EXPECT_EQ(title.font.pointSizeF(), 13);
  EXPECT_TRUE(title.font.bold());
  EXPECT_EQ(title.foregroundColor, QColor(Qt::white));
  expectColor(selected.foregroundColor, 1, 0, 0);
  expectColor(complete.playlistCellDescriptionAttributes()->foregroundColor, 0, 1, 0);
  EXPECT_EQ(complete.playlistCellDescriptionSelectedAttributes()->foregroundColor,
            QColor(Qt::white));
  const ZTextAttributes caption = *complete.dialogCaptionAttributes();
  EXPECT_EQ(caption.font.pointSizeF(), 20);
  EXPECT_EQ(caption.foregroundColor, QColor(Qt::white));  // no Backcolor
}

TEST(Skin, ImagesComeFromTheFolderAndLazyOnesAreTriedAgainUntilTheyLoad) {
  const QString folder = makeSkin(
      skinXml("<LeftTopFrame><Image>frame.png</Image></LeftTopFrame>"
              "<SettingsDlgSkin><Tab1>tab.png</Tab1><Tab2>missing.png</Tab2></SettingsDlgSkin>"
              "<BaseDlgSkin><DlgMiddleLeftFrame><Image>frame.png</Image></DlgMiddleLeftFrame>"
              "</BaseDlgSkin>"),
      {"frame.png", "tab.png", "VideoNew.png"});
  const ZSkin skin(folder);
  EXPECT_EQ(skin.topLeftImage().size(), QSize(12, 6));
  EXPECT_TRUE(skin.topRightImage().isNull());
  EXPECT_FALSE(skin.settingsTabGeneralImage().isNull());
  EXPECT_TRUE(skin.settingsTabDownloadsImage().isNull());
  EXPECT_FALSE(skin.dialogMiddleLeftImage().isNull());
  EXPECT_FALSE(skin.libraryVideoNewImage().isNull());           // a built-in default file
  EXPECT_TRUE(skin.libraryContainerViewPopupImage().isNull());  // its file is not there
  EXPECT_TRUE(skin.loadImage("missing.png").isNull());
  EXPECT_EQ(skin.loadImage("tab.png").devicePixelRatio(), 1.0);

  EXPECT_TRUE(skin.starImage().isNull());
  QImage star(4, 4, QImage::Format_RGB32);
  star.fill(Qt::yellow);
  ASSERT_TRUE(star.save(folder + "/Star.PNG", "PNG"));
  EXPECT_EQ(skin.starImage().size(), QSize(4, 4));
  QFile::remove(folder + "/Star.PNG");
  EXPECT_EQ(skin.starImage().size(), QSize(4, 4));  // kept once loaded
}

// An image name that leaves the skin folder, by an absolute path, by ".." or
// by a link that points out of it, names no image: the value keeps its
// default as for a missing file. Names inside the folder, also in subfolders
// and through links that stay inside, load.
TEST(Skin, ImageNamesThatLeaveTheFolderCountAsMissing) {
  const QString outside = TestEnvironment::makeTempDir(QStringLiteral("outside"));
  QImage secret(7, 3, QImage::Format_RGB32);
  secret.fill(Qt::red);
  ASSERT_TRUE(secret.save(outside + "/secret.png", "PNG"));
  const QString folder = makeSkin(QByteArray(), {"play.png"});
  const QString name = QFileInfo(folder).fileName();
  QDir(folder).mkpath("sub");
  ASSERT_TRUE(QFile::copy(folder + "/play.png", folder + "/sub/inner.png"));
  ASSERT_TRUE(QFile::link(outside + "/secret.png", folder + "/link.png"));
  ASSERT_TRUE(QFile::link(outside, folder + "/linked"));
  ASSERT_TRUE(QFile::link("play.png", folder + "/alias.png"));
  // Images the skin loads under fixed names, planted as links out of the folder.
  ASSERT_TRUE(QFile::link(outside + "/secret.png", folder + "/VideoNew.png"));
  ASSERT_TRUE(QFile::link(outside + "/secret.png", folder + "/Star.PNG"));

  const struct {
    QString image;
    bool loads;
  } cases[] = {
      {"play.png", true},
      {"sub/inner.png", true},
      {"alias.png", true},  // a link that stays inside
      {"./play.png", true},
      {outside + "/secret.png", false},
      {folder + "/play.png", false},  // absolute, even into the folder itself
      {"../" + QFileInfo(outside).fileName() + "/secret.png", false},
      {"sub/../../" + QFileInfo(outside).fileName() + "/secret.png", false},
      {"sub/../play.png", false},
      {"../" + name + "/play.png", false},
      {"link.png", false},
      {"linked/secret.png", false},
      {"", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.image.toStdString());
    const QByteArray file = c.image.toUtf8();
    QFile definition(folder + "/Skin.xml");
    ASSERT_TRUE(definition.open(QIODevice::WriteOnly | QIODevice::Truncate));
    definition.write(skinXml("<PlayButton><Image>" + file +
                             "</Image></PlayButton>"
                             "<ProgressControl><KnobImage>" +
                             file +
                             "</KnobImage></ProgressControl>"
                             "<LeftTopFrame><Image>" +
                             file +
                             "</Image></LeftTopFrame>"
                             "<BaseDlgSkin><DlgLeftTopFrame><Image>" +
                             file +
                             "</Image></DlgLeftTopFrame></BaseDlgSkin>"
                             "<SettingsDlgSkin><Tab1>" +
                             file + "</Tab1></SettingsDlgSkin>"));
    definition.close();
    const ZSkin skin(folder);
    const QSize expected = c.loads ? QSize(12, 6) : QSize(0, 0);  // a null image has no pixels
    EXPECT_EQ(skin.playButtonInfo()->value("Image").value<QImage>().size(), expected);
    EXPECT_EQ(skin.playButtonInfo()->contains("Image"), c.loads);
    EXPECT_EQ(skin.progressBarInfo()->contains("KnobImage"), c.loads);
    EXPECT_EQ(skin.topLeftImage().size(), expected);
    EXPECT_EQ(skin.dialogTopLeftImage().size(), expected);
    EXPECT_EQ(skin.settingsTabGeneralImage().size(), expected);
    EXPECT_EQ(skin.loadImage(c.image).size(), expected);
    EXPECT_TRUE(skin.libraryVideoNewImage().isNull());
    EXPECT_TRUE(skin.starImage().isNull());
  }
}

// A number that is not finite, or lies beyond what its use can take (sizes
// and heights 0 to 10,000, positions -10,000 to 10,000), counts as absent:
// the value keeps its default, a control description lacks the key, a text
// style that needs it is not built.
TEST(Skin, NumbersThatAreNotFiniteOrOutOfBoundsCountAsAbsent) {
  const struct {
    const char *value;
    double rowHeight;
  } heights[] = {
      {"60", 60},      {"0", 0},    {"10000", 10000}, {"inf", 80},      {"-inf", 80},
      {"INF", 80},     {"nan", 80}, {"NaN", 80},      {"infinity", 80}, {"1e400", 80},
      {"10000.5", 80}, {"-5", 80},  {"1e308", 80},    {"x", 0},         {"12abc", 12},
  };
  for (const auto &c : heights) {
    SCOPED_TRACE(c.value);
    const ZSkin skin(makeSkin(skinXml(QByteArray("<PlaylistControl><ItemHeight>") + c.value +
                                      "</ItemHeight></PlaylistControl>")));
    EXPECT_EQ(skin.playlistRowHeight(), c.rowHeight);
  }

  const ZSkin skin(makeSkin(skinXml(R"(
      <PlayButton><XPos>99999999999</XPos><YPos>-10000</YPos><Zone>7</Zone><states>20000</states></PlayButton>
      <PauseButton><XPos>12</XPos><XPos>-20000</XPos><states>3</states><states>-1</states></PauseButton>
      <ProgressControl><Width>-3</Width><Height>10001</Height><KnobYPos>-4</KnobYPos></ProgressControl>
      <ExitFullScreenHoverButton><states>100000</states></ExitFullScreenHoverButton>
      <LibraryControl>
        <HeaderHeight>nan</HeaderHeight><ImageBorderSize>inf</ImageBorderSize>
        <TitleFontSize>-1</TitleFontSize><ItemSize>inf,100</ItemSize>
        <ImageLocation>1,2,3,nan</ImageLocation><TitleLocation>-10000,10000,0,10000</TitleLocation>
        <VideoStateLocation>-20000,5</VideoStateLocation><RatingLocation>5,1e9</RatingLocation>
        <ItemGradientSize>-1</ItemGradientSize>
      </LibraryControl>
      <PlaylistControl><TitleFont>Serif</TitleFont><TitleFontSize>inf</TitleFontSize>
        <DescriptionFont>Serif</DescriptionFont><DescriptionFontSize>20000</DescriptionFontSize>
      </PlaylistControl>
      <BaseDlgSkin><DlgCaptionFont>Serif</DlgCaptionFont><DlgCaptionFontSize>inf</DlgCaptionFontSize></BaseDlgSkin>
      <TitleBarFullScreen><TextFont>Serif</TextFont><TextFontSize>nan</TextFontSize><TextColor>FFFFFF</TextColor></TitleBarFullScreen>
    )")));
  EXPECT_EQ(*skin.playButtonInfo(),
            QVariantMap({{"Justify", "left"}, {"states", 1}, {"YPos", -10000}, {"Zone", 7}}));
  // A later child out of bounds leaves the earlier one.
  EXPECT_EQ(skin.pauseButtonInfo()->value("XPos"), 12);
  EXPECT_EQ(skin.pauseButtonInfo()->value("states"), 3);
  const QVariantMap progress = *skin.progressBarInfo();
  EXPECT_FALSE(progress.contains("Width"));
  EXPECT_FALSE(progress.contains("Height"));
  EXPECT_EQ(progress.value("KnobYPos"), -4);
  EXPECT_EQ(skin.fullScreenExitButtonStates(), 0);

  EXPECT_EQ(skin.libraryRenderingInfoForKey("HeaderHeight"), 30.0);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("ImageBorderSize"), 2.0);
  EXPECT_EQ(skin.libraryItemThumbnailBorderSize(), 3);
  EXPECT_EQ(skin.libraryRenderingInfoForKey("TitleFontSize"), 10.0);
  EXPECT_EQ(skin.libraryVideoTitleTextAttributes()->font.pointSizeF(), 10);
  EXPECT_EQ(skin.libraryItemWidth(), 260);
  EXPECT_EQ(skin.libraryItemHeight(), 90);
  EXPECT_EQ(skin.libraryThumbnailViewImageDimensions(), QRectF(4, 4, 134, 80));
  EXPECT_EQ(skin.libraryThumbnailViewTitleDimensions(), QRectF(-10000, 10000, 0, 10000));
  EXPECT_EQ(skin.libraryThumbnailViewVideoStateLocation(), QPointF(88, 30));
  EXPECT_EQ(skin.libraryThumbnailViewRatingLocation(), QPointF(20, 68));
  EXPECT_EQ(skin.libraryThumbnailViewGradientHeight(), 20);

  // The styles that need the size keep their built-in form.
  EXPECT_EQ(skin.playlistCellTitleAttributes()->font.family(), "Arial");
  EXPECT_FALSE(skin.playlistCellTitleSelectedAttributes().has_value());
  EXPECT_EQ(skin.playlistCellDescriptionAttributes()->font.family(), "Arial");
  EXPECT_EQ(skin.dialogCaptionAttributes()->font.pointSizeF(), 32);
  EXPECT_EQ(skin.fullScreenTitleTextAttributes()->font.pointSizeF(), 24);
  EXPECT_EQ(skin.fullScreenTitleTextAttributes()->font.family(), "Arial");
}

TEST(Skin, AtTwiceTheResolutionImagesComeFromTheirTwinsAtTheirDisplaySize) {
  const QString folder = makeSkin(
      skinXml("<LeftTopFrame><Image>frame.png</Image></LeftTopFrame>"
              "<RightTopFrame><Image>alone.png</Image></RightTopFrame>"
              "<MiddleTopFrame><Image>odd.png</Image></MiddleTopFrame>"
              "<LeftBottomFrame><Image>broken.png</Image></LeftBottomFrame>"
              "<RightBottomFrame><Image>orphan.png</Image></RightBottomFrame>"
              "<PlayButton><Image>sub/play</Image><states>3</states></PlayButton>"
              "<SettingsDlgSkin><Tab1>frame.png</Tab1></SettingsDlgSkin>"),
      {"frame.png", "alone.png", "odd.png", "broken.png", "Star.PNG"});
  QDir(folder).mkdir("sub");
  const auto writeImage = [&](const QString &name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(folder + "/" + name, "PNG")) << name.toStdString();
  };
  writeImage("frame@2x.png", {24, 12}, Qt::red);
  writeImage("odd@2x.png", {23, 12}, Qt::red);     // not twice the size
  writeImage("orphan@2x.png", {24, 12}, Qt::red);  // no image of its own
  writeImage("Star@2x.PNG", {24, 12}, Qt::red);
  writeImage("sub/play", {30, 6}, Qt::blue);
  writeImage("sub/play@2x", {60, 12}, Qt::red);
  QFile broken(folder + "/broken@2x.png");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not an image");
  broken.close();

  const ZSkin plain(folder, 1.0);
  const ZSkin sharp(folder, 2.0);
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  const auto color = [](const QImage &image) { return image.pixelColor(0, 0); };
  const struct {
    const char *name;
    QImage atOne, atTwo;
    bool twin;
  } cases[] = {
      {"frame piece", plain.topLeftImage(), sharp.topLeftImage(), true},
      {"image set to display size", plain.settingsTabGeneralImage(),
       sharp.settingsTabGeneralImage(), true},
      {"image read on first use", plain.starImage(), sharp.starImage(), true},
      {"control image without extension",
       plain.playButtonInfo()->value("Image").value<QImage>(),
       sharp.playButtonInfo()->value("Image").value<QImage>(), true},
      {"no twin", plain.topRightImage(), sharp.topRightImage(), false},
      {"twin of another size", plain.topMiddleImage(), sharp.topMiddleImage(), false},
      {"unreadable twin", plain.bottomLeftImage(), sharp.bottomLeftImage(), false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.atOne.isNull());
    ASSERT_FALSE(c.atTwo.isNull());
    EXPECT_EQ(c.atOne.devicePixelRatio(), 1.0);
    EXPECT_EQ(color(c.atOne), QColor(Qt::blue));
    // Laid out at the same size at both resolutions.
    EXPECT_EQ(c.atTwo.deviceIndependentSize(), c.atOne.deviceIndependentSize());
    EXPECT_EQ(c.atTwo.devicePixelRatio(), c.twin ? 2.0 : 1.0);
    EXPECT_EQ(c.atTwo.size(), c.twin ? c.atOne.size() * 2 : c.atOne.size());
    EXPECT_EQ(color(c.atTwo), c.twin ? QColor(Qt::red) : QColor(Qt::blue));
  }
  // A twin alone is no image.
  EXPECT_TRUE(sharp.bottomRightImage().isNull());
  EXPECT_EQ(hiDpiTwinName("a/b.c/play.png"), "a/b.c/play@2x.png");
  EXPECT_EQ(hiDpiTwinName("a.b/play"), "a.b/play@2x");
  EXPECT_EQ(hiDpiTwinName(".hidden"), ".hidden@2x");
}

TEST(SkinManager, HoldsTheDefaultSkinAndTheCurrentOne) {
  ZSkinManager &manager = ZSkinManager::sharedSkinManager();
  EXPECT_EQ(&manager, &ZSkinManager::sharedSkinManager());
  const std::shared_ptr<ZSkin> first = manager.getDefaultSkin();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(manager.getDefaultSkin(), first);  // made once
  // The shipped default skin, found in the build tree's resources.
  EXPECT_TRUE(first->skinFolderPath().endsWith("/share/zaro-player/skins/defaultskin"))
      << first->skinFolderPath().toStdString();
  EXPECT_EQ(first->libraryItemWidth(), 260);
  const ZTextAttributes title = *first->playlistCellTitleAttributes();
  EXPECT_EQ(title.font.pointSizeF(), 11);
  EXPECT_TRUE(title.font.bold());
  EXPECT_EQ(first->libraryRenderingInfoForKey("HeaderColorSelected").value<QList<QColor>>().size(),
            2);
  EXPECT_EQ(manager.getCurrentSkin(), nullptr);
  manager.setCurrentSkin(first);
  EXPECT_EQ(manager.getCurrentSkin(), first.get());
  auto other = std::make_shared<ZSkin>(makeSkin(skinXml("<PlayButton/>")));
  manager.setCurrentSkin(other);
  EXPECT_EQ(manager.getCurrentSkin(), other.get());
  manager.setCurrentSkin(nullptr);
  EXPECT_EQ(manager.getCurrentSkin(), nullptr);
}
