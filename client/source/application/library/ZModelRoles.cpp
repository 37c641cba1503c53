#include "ZModelRoles.h"

#include "LibraryUtilities.h"

namespace ZModelRoles {

QHash<int, QByteArray> roleNames() {
  return {{Qt::DisplayRole, "display"},
          {Qt::ToolTipRole, "toolTip"},
          {Qt::AccessibleTextRole, "accessibleText"},
          {RowKindRole, "rowKind"},
          {VideoIdRole, "videoId"},
          {ThumbnailPathRole, "thumbnailPath"},
          {DescriptionRole, "description"},
          {ViewedRole, "viewed"},
          {PlaylistIdRole, "playlistId"},
          {SelectedRole, "selected"},
          {ExpandedRole, "expanded"},
          {ContainerTypeRole, "containerType"},
          {VideoCountRole, "videoCount"},
          {NewVideoCountRole, "newVideoCount"},
          {CurrentRole, "current"}};
}

QVariant videoData(const std::optional<VideoInfo> &info, int videoId, int role) {
  if (role == VideoIdRole) return videoId;
  if (role == RowKindRole) return int(VideoRow);
  if (!info) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      return Utilities::titleForVideo(*info);
    case ThumbnailPathRole:
      return info->value(QStringLiteral("IMAGE_PATH"), QStringLiteral(""));
    case DescriptionRole:
      return info->value(QStringLiteral("DESCRIPTION"), QStringLiteral(""));
    case ViewedRole:
      return Utilities::videoIsViewed(*info);
    default:
      return QVariant();
  }
}

}  // namespace ZModelRoles
