#pragma once

#include "VideoInfo.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>

#include <optional>

// The data roles of the item models over the library's lists, beside Qt's
// display, tool-tip and accessible-text roles (which give a video's title, a
// group's title or a playlist's name).
namespace ZModelRoles {

enum Role : int {
  RowKindRole = Qt::UserRole + 1,  // RowKind
  VideoIdRole,                     // int, a video's library id (-1 for other rows)
  ThumbnailPathRole,               // text, the thumbnail file ("IMAGE_PATH"; "" none)
  DescriptionRole,                 // text, a video's "DESCRIPTION"
  ViewedRole,                      // bool, the video was played
  PlaylistIdRole,                  // int, a playlist's id
  SelectedRole,                    // bool, selected in the list itself (not in a view)
  ExpandedRole,                    // bool, a group row shows its videos row
  ContainerTypeRole,               // int, the browse mode that made a group or videos row
  VideoCountRole,                  // int, the videos of a group or videos row
  NewVideoCountRole,               // int, a group's videos not yet played
  CurrentRole,                     // bool, the now-playing list's current video
};

enum RowKind { PlaylistRow, ContainerRow, VideoListRow, VideoRow };

// Names of every role above, for views that ask by name.
QHash<int, QByteArray> roleNames();

// What a row showing the video answers for a role: its title (display,
// tool tip, accessible text), id, thumbnail path, description and viewed
// mark; an invalid value for other roles and for a video the library no
// longer has (whose id is still given).
QVariant videoData(const std::optional<VideoInfo> &info, int videoId, int role);

}  // namespace ZModelRoles
