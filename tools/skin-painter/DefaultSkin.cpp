// The default skin: where each control sits and which picture it shows. The
// places follow the placement rule of the skinned controls: zones 1 to 6
// count YPos down from the top edge, zones 7 and up count it up from the
// bottom edge to the control's top; "left" counts XPos from the left edge,
// "right" from the right edge to the control's left edge, "center" from the
// middle leftwards; zone 5 with "left" counts from the right edge less the
// playlist pane.
#include "DefaultSkin.h"

#include "Layout.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinBuilder.h"

#include <QString>

using Pieces::Look;
using namespace Pictures;

namespace {

QString number(double value) { return QString::number(value); }

SkinElement text(const char *name, const QString &value) {
  return SkinElement(QString::fromLatin1(name), value);
}

SkinElement control(SkinBuilder &, const char *name, const Place &place, int states,
                    const QString &image) {
  return SkinBuilder::control(QString::fromLatin1(name), place, states, image);
}

// A progress bar or volume description: the control keys, the slider's size
// and knob offset and its five pictures.
SkinElement slider(const char *name, const Place &place, double width, double height,
                   double knobYPos, const QString &left, const QString &right, const QString &on,
                   const QString &off, const QString &knob) {
  SkinElement element = SkinBuilder::control(QString::fromLatin1(name), place, 1, QString());
  element.children.removeLast();  // no picture of its own
  element.children.append({text("Width", number(width)), text("Height", number(height)),
                           text("KnobYPos", number(knobYPos)), text("LeftBarImage", left),
                           text("RightBarImage", right), text("BarOnImage", on),
                           text("BarOffImage", off), text("KnobImage", knob)});
  return element;
}

SkinElement volumeButton(const char *name, double x, double y, int states, const QString &image) {
  return SkinElement(QString::fromLatin1(name),
                     {text("XPos", number(x)), text("YPos", number(y)),
                      text("states", number(states)), text("Image", image)});
}

// The volume control of a playback bar: the mute button at its left, the
// slider in the rest. While muted it shows "MuteButton" (the crossed-out
// speaker), otherwise "MutedButton" (the speaker sounding); each has three
// parts: at rest, pressed with the pointer outside, pressed inside.
SkinElement volumeControl(SkinBuilder &skin, const char *name, const Place &place) {
  const double h = Layout::volumeHeight;
  SkinElement element =
      slider(name, place, Layout::volumeWidth, h, (h - Layout::volumeKnob) / 2,
             sliderCap(skin, QStringLiteral("volume_cap_left.png"), h, true),
             sliderCap(skin, QStringLiteral("volume_cap_right.png"), h, false),
             sliderTrack(skin, QStringLiteral("volume_on.png"), h, true, false),
             sliderTrack(skin, QStringLiteral("volume_off.png"), h, false, false),
             knob(skin, QStringLiteral("volume_knob.png"), Layout::volumeKnob));
  const QSizeF cell(Layout::volumeButton, Layout::volumeButton);
  const double y = (h - Layout::volumeButton) / 2;
  element.children.append(volumeButton(
      "MuteButton", 0, y, 3,
      button(skin, QStringLiteral("volume_muted.png"), cell, 3, Look::Flat, Glyph::Muted, 18)));
  element.children.append(volumeButton(
      "MutedButton", 0, y, 3,
      button(skin, QStringLiteral("volume_sounding.png"), cell, 3, Look::Flat, Glyph::Volume, 18)));
  return element;
}

SkinElement progressControl(SkinBuilder &skin, const char *name) {
  const double h = Layout::progressHeight;
  // Stretched between the caps that hold the times ("justify" keeps XPos
  // free on both sides).
  return slider(name, {3, Layout::progressCapWidth, 0, "justify"}, 480, h,
                (h - Layout::progressKnob) / 2,
                progressCap(skin, QStringLiteral("progress_left.png"), true),
                progressCap(skin, QStringLiteral("progress_right.png"), false),
                sliderTrack(skin, QStringLiteral("progress_on.png"), h, true, true),
                sliderTrack(skin, QStringLiteral("progress_off.png"), h, false, true),
                knob(skin, QStringLiteral("progress_knob.png"), Layout::progressKnob));
}

}  // namespace

void buildDefaultSkin(SkinBuilder &skin) {
  // ---- the main window: frame ----
  skin.add(SkinBuilder::framePiece("LeftTopFrame", frameTop(skin, Edge::Left)));
  skin.add(SkinBuilder::framePiece("RightTopFrame", frameTop(skin, Edge::Right)));
  skin.add(SkinBuilder::framePiece("MiddleTopFrame", frameTop(skin, Edge::Middle)));
  skin.add(SkinBuilder::framePiece("LeftBottomFrame", frameBottom(skin, Edge::Left)));
  skin.add(SkinBuilder::framePiece("RightBottomFrame", frameBottom(skin, Edge::Right)));
  skin.add(SkinBuilder::framePiece("MiddleBottomFrame", frameBottom(skin, Edge::Middle)));

  // The header band: window buttons at the right, the view switcher in the middle.
  const QSizeF windowButton(24, 24);
  skin.add(control(skin, "MinimizeButton", {1, 96, 12, "right"}, 3,
                   button(skin, "button_minimize.png", windowButton, 3, Look::Round,
                          Glyph::Minimize, 16)));
  skin.add(control(skin, "MaximizeButton", {1, 66, 12, "right"}, 3,
                   button(skin, "button_maximize.png", windowButton, 3, Look::Round,
                          Glyph::Maximize, 16)));
  skin.add(control(skin, "CloseButton", {1, 36, 12, "right"}, 3,
                   button(skin, "button_close.png", windowButton, 3, Look::Round, Glyph::Close,
                          16)));
  const QSizeF segment(52, 32);
  skin.add(control(skin, "LibraryButton", {1, 52, 8, "center"}, 4,
                   button(skin, "view_library.png", segment, 4, Look::SegmentLeft, Glyph::Library,
                          20)));
  skin.add(control(skin, "ZaroTvButton", {1, 92, 8, "center"}, 4,
                   button(skin, "view_guide.png", QSizeF(32, 32), 4, Look::Flat, Glyph::Guide, 20)));

  // The toolbar band: browsing, view style, import and search at the left
  // and right of the library, the playlists pop-up over the playlist pane.
  const int top = Layout::toolbarTop;
  const QString search = searchField(skin, "search_field.png", QSizeF(200, 28));
  skin.add(control(skin, "SearchButton", {3, 248, top, "right"}, 1, search));
  skin.add(control(skin, "SearchButtonLibrary", {3, 248, top, "right"}, 1, search));
  const QSizeF toolButton(28, 28);
  skin.add(control(skin, "HidePlaylistButton", {3, 38, top, "right"}, 3,
                   button(skin, "playlist_hide.png", toolButton, 3, Look::Flat,
                          Glyph::PlaylistHide, 18)));
  skin.add(control(skin, "ShowPlaylistButton", {3, 38, top, "right"}, 3,
                   button(skin, "playlist_show.png", toolButton, 3, Look::Flat,
                          Glyph::PlaylistShow, 18)));
  skin.add(control(skin, "PlayListsButton", {5, 8, top, "left"}, 3,
                   popup(skin, "popup_playlists.png", QSizeF(124, 28))));

  // The playlist pane's bottom bar and its buttons: play all at the left
  // (XPos to its right edge), clear at the right (XPos from the pane's right
  // edge); YPos to their top edge above the pane's bottom.
  skin.add(SkinElement("PlayListControl",
                       {SkinBuilder::framePiece("BarControl", playlistBar(skin))}));
  const QSizeF barButton(32, 24);
  const int barTop = Layout::playlistBarHeight - 4;
  skin.add(control(skin, "PlayListPlayAllButton", {7, 40, barTop, "left"}, 3,
                   button(skin, "playlist_play_all.png", barButton, 3, Look::Flat, Glyph::PlayAll,
                          18)));
  skin.add(control(skin, "PlayListClearButton", {7, 8, barTop, "left"}, 3,
                   button(skin, "playlist_clear.png", barButton, 3, Look::Flat, Glyph::ClearList,
                          18)));
  skin.add(control(skin, "PlayListDeleteButton", {5, 2, 2, "right"}, 1,
                   label(skin, "playlist_delete.png", QSizeF(20, 20), Glyph::Trash,
                         Palette::rgb(0xEDEDED))));

  skin.add(control(skin, "BrowseByInfoWnd", {3, 12, top, "left"}, 1,
                   label(skin, "browse_by_title.png", QSizeF(28, 28), Glyph::Layers,
                         Palette::inkDim())));
  skin.add(control(skin, "BrowseByButton", {3, 42, top, "left"}, 3,
                   popup(skin, "popup_browse_by.png", QSizeF(168, 28))));
  const QSizeF styleButton(34, 28);
  skin.add(control(skin, "ThumbnailViewButton", {3, 224, top, "left"}, 4,
                   button(skin, "view_thumbnails.png", styleButton, 4, Look::SegmentLeft,
                          Glyph::Grid, 16)));
  skin.add(control(skin, "DetailViewButton", {3, 258, top, "left"}, 4,
                   button(skin, "view_details.png", styleButton, 4, Look::SegmentRight,
                          Glyph::List, 16)));

  skin.add(control(skin, "DownloadsButton", {1, 0, 8, "center"}, 4,
                   button(skin, "view_downloads.png", segment, 4, Look::SegmentRight,
                          Glyph::Downloads, 20)));
  // The status band at the bottom (controls' top edge 24 above the window's bottom).
  const int status = Layout::bottomFrameHeight - 4;
  skin.add(control(skin, "ClearDownloadsButton", {7, 12, status, "left"}, 3,
                   button(skin, "downloads_clear.png", QSizeF(24, 20), 3, Look::Flat,
                          Glyph::ClearList, 16)));
  skin.add(control(skin, "ImportButton", {3, 300, top, "right"}, 3,
                   popup(skin, "popup_import.png", QSizeF(48, 28), true, Glyph::Import)));
  skin.add(control(skin, "UploadButton", {1, -60, 8, "center"}, 3,
                   button(skin, "button_upload.png", QSizeF(32, 32), 3, Look::Flat, Glyph::Upload,
                          20)));
  skin.add(control(skin, "UploadManagerInfoWnd", {7, 40, status, "left"}, 1,
                   label(skin, "title_upload_manager.png", QSizeF(20, 20), Glyph::Upload,
                         Palette::inkDim())));
  skin.add(control(skin, "DetailsInfoWnd", {7, 68, status, "left"}, 1,
                   label(skin, "title_details.png", QSizeF(20, 20), Glyph::Info,
                         Palette::inkDim())));
  skin.add(control(skin, "NowPlayingOptions", {7, 64, status, "right"}, 3,
                   button(skin, "nowplaying_options.png", QSizeF(24, 20), 3, Look::Flat,
                          Glyph::Ellipsis, 16)));
  skin.add(control(skin, "NowPlayingInfoWnd", {7, 92, status, "right"}, 1,
                   label(skin, "title_nowplaying.png", QSizeF(20, 20), Glyph::NowPlaying,
                         Palette::inkDim())));

  // ---- playback: the title bar's full-screen buttons ----
  const QSizeF barIcon(32, 32);
  skin.add(control(skin, "FullScreenHoverButton", {3, 40, 4, "right"}, 3,
                   button(skin, "playback_fullscreen.png", barIcon, 3, Look::Flat,
                          Glyph::FullScreen, 20)));
  skin.add(SkinElement("ExitFullScreenHoverButton",
                       {text("Image", button(skin, "playback_leave_fullscreen.png", barIcon, 3,
                                             Look::Flat, Glyph::LeaveFullScreen, 20)),
                        text("states", "3")}));

  // The control bar, in the window and in full screen: leave and stop at
  // the left, skip back, play or pause and skip on in the middle, the volume
  // at the right.
  const QString play = button(skin, "playback_play.png", QSizeF(44, 44), 3, Look::Primary,
                              Glyph::Play, 22);
  const QString pause = button(skin, "playback_pause.png", QSizeF(44, 44), 3, Look::Primary,
                               Glyph::Pause, 22);
  const QString stop =
      button(skin, "playback_stop.png", barIcon, 3, Look::Flat, Glyph::Stop, 20);
  const QSizeF skipButton(36, 36);
  const Place playPlace{3, 22, 6, "center"}, stopPlace{3, 52, 12, "left"};
  const Place rewindPlace{3, 72, 10, "center"}, forwardPlace{3, -36, 10, "center"};
  skin.add(control(skin, "PlayButtonFullScreen", playPlace, 3, play));
  skin.add(control(skin, "PauseButtonFullScreen", playPlace, 3, pause));
  skin.add(control(skin, "StopButtonFullScreen", stopPlace, 3, stop));
  skin.add(control(skin, "RewindButtonFullScreen", rewindPlace, 3,
                   button(skin, "playback_rewind.png", skipButton, 3, Look::Flat, Glyph::Rewind,
                          22)));
  skin.add(control(skin, "ForwardButtonFullScreen", forwardPlace, 3,
                   button(skin, "playback_fast_forward.png", skipButton, 3, Look::Flat,
                          Glyph::FastForward, 22)));
  const Place volumePlace{3, 16, (Layout::controlBarHeight - Layout::volumeHeight) / 2, "right"};
  skin.add(volumeControl(skin, "VolumeControlFullScreen", volumePlace));
  // Full screen's own volume buttons, right to left: louder, the scale,
  // softer, and mute (the speaker sounding) or unmute (crossed out).
  skin.add(control(skin, "MuteButtonFS", {3, 172, 12, "right"}, 3,
                   button(skin, "fullscreen_mute.png", barIcon, 3, Look::Flat, Glyph::Volume, 20)));
  skin.add(control(skin, "MutedButtonFS", {3, 172, 12, "right"}, 3,
                   button(skin, "fullscreen_unmute.png", barIcon, 3, Look::Flat, Glyph::Muted,
                          20)));
  const QSizeF stepButton(28, 28);
  skin.add(control(skin, "VolumeUpButtonFS", {3, 48, 14, "right"}, 3,
                   button(skin, "fullscreen_volume_up.png", stepButton, 3, Look::Flat, Glyph::Plus,
                          16)));
  skin.add(control(skin, "VolumeDownButtonFS", {3, 136, 14, "right"}, 3,
                   button(skin, "fullscreen_volume_down.png", stepButton, 3, Look::Flat,
                          Glyph::Minus, 16)));
  skin.add(control(skin, "VolumeImageFS", {3, 104, 14, "right"}, 1,
                   volumeScale(skin, "fullscreen_volume_scale.png")));
  skin.add(progressControl(skin, "ProgressControlFullScreen"));
  skin.add(progressControl(skin, "ProgressControl"));
  skin.add(control(skin, "ExitButton", {3, 12, 12, "left"}, 3,
                   button(skin, "playback_exit.png", barIcon, 3, Look::Flat, Glyph::Back, 20)));
  skin.add(control(skin, "PlayButton", playPlace, 3, play));
  skin.add(control(skin, "PauseButton", playPlace, 3, pause));
  skin.add(control(skin, "StopButton", stopPlace, 3, stop));
  skin.add(control(skin, "RewindButton", rewindPlace, 3,
                   button(skin, "playback_skip_back.png", skipButton, 3, Look::Flat,
                          Glyph::SkipPrevious, 22)));
  skin.add(control(skin, "ForwardButton", forwardPlace, 3,
                   button(skin, "playback_skip_forward.png", skipButton, 3, Look::Flat,
                          Glyph::SkipNext, 22)));
  skin.add(volumeControl(skin, "VolumeControl", volumePlace));
  skin.add(SkinElement("TitleBarFullScreen",
                       {text("Image", titleBar(skin)), text("TextFont", "DejaVu Sans"),
                        text("TextFontSize", "14"), text("TextColor", "FFFFFF")}));

  // ---- the library, the playlist list and the dialogs ----
  skin.add(SkinElement(
      "LibraryControl",
      {text("HeaderHeight", "30"), text("HeaderFont", "DejaVu Sans"), text("HeaderFontSize", "10"),
       text("HeaderFontBold", "true"), text("HeaderFontItalic", "false"),
       text("HeaderFontColor", "2E3436"), text("HeaderColorSelected", "C4DAF6,DCE9FB"),
       text("HeaderColorOpen", "E2E5E9,EDEFF2"), text("HeaderColorClose", "EDEFF2,F8F9FA"),
       text("ImageBorderSize", "3"), text("ImageBorderSelected", "3584E4"),
       text("ImageBorderUnselected", "D5D8DC"), text("TitleFont", "DejaVu Sans"),
       text("TitleFontSize", "10"), text("TitleFontBold", "true"), text("TitleFontItalic", "false"),
       text("TitleFontColor", "2E3436"), text("ItemSize", "260,90"),
       text("ItemGradientSize", "20"), text("ItemGradient", "EDEFF2,FFFFFF"),
       text("ImageLocation", "4,4,134,80"), text("VideoStateLocation", "88,30"),
       text("TitleLocation", "142,50,110,14"), text("RatingLocation", "142,68")}));
  const QString playlist = QString::number(Palette::playlistHex, 16).toUpper().rightJustified(6, '0');
  const QString playlistSelected =
      QString::number(Palette::playlistSelectedHex, 16).toUpper().rightJustified(6, '0');
  skin.add(SkinElement(
      "PlaylistControl",
      {text("ItemHeight", "80"), text("Color", playlist), text("ColorSelected", playlistSelected),
       text("ColorBorder", "1E1E1E"), text("ColorBorderSelected", "FFFFFF"),
       text("TitleFont", "DejaVu Sans"), text("TitleFontSize", "11"),
       text("TitleFontBold", "true"), text("TitleFontItalic", "false"),
       text("TitleFontColor", "FFFFFF"), text("TitleFontColorSelected", "FFFFFF"),
       text("DescriptionFont", "DejaVu Sans"), text("DescriptionFontSize", "9"),
       text("DescriptionFontBold", "false"), text("DescriptionFontItalic", "false"),
       text("DescriptionFontColor", "BDBDBD"), text("DescriptionFontColorSelected", "FFFFFF")}));
  const QString body =
      QString::number(Palette::dialogBodyHex, 16).toUpper().rightJustified(6, '0');
  skin.add(SkinElement(
      "BaseDlgSkin",
      {SkinBuilder::framePiece("DlgLeftTopFrame", dialogPiece(skin, DialogPiece::TopLeft)),
       SkinBuilder::framePiece("DlgRightTopFrame", dialogPiece(skin, DialogPiece::TopRight)),
       SkinBuilder::framePiece("DlgMiddleTopFrame", dialogPiece(skin, DialogPiece::TopMiddle)),
       SkinBuilder::framePiece("DlgLeftBottomFrame", dialogPiece(skin, DialogPiece::BottomLeft)),
       SkinBuilder::framePiece("DlgRightBottomFrame", dialogPiece(skin, DialogPiece::BottomRight)),
       SkinBuilder::framePiece("DlgMiddleBottomFrame",
                               dialogPiece(skin, DialogPiece::BottomMiddle)),
       SkinBuilder::framePiece("DlgMiddleLeftFrame", dialogPiece(skin, DialogPiece::MiddleLeft)),
       SkinBuilder::framePiece("DlgMiddleRightFrame", dialogPiece(skin, DialogPiece::MiddleRight)),
       // The caption is written in the body's colour on the dark title strip.
       text("Backcolor", body), text("DlgCaptionFont", "DejaVu Sans"),
       text("DlgCaptionFontSize", "11")}));
  skin.add(SkinElement(
      "SettingsDlgSkin",
      {text("Tab1", settingsTab(skin, "tab_general.png", Glyph::Gear, "General")),
       text("Tab2", settingsTab(skin, "tab_downloads.png", Glyph::Downloads, "Downloads")),
       text("Tab3", settingsTab(skin, "tab_playback.png", Glyph::Play, "Playback"))}));

  // ---- pictures the player reads by their fixed names ----
  addLibraryPictures(skin);
  addDownloadsPictures(skin);
  playlistDragImage(skin);
  controlBar(skin, "nowplaying_bar.jpg");
  progressCap(skin, "FSLeftBottomFrame.JPG", true);
  progressStretch(skin, "FSMiddleBottomFrame.JPG");
  progressCap(skin, "FSRightBottomFrame.JPG", false);
}
