#include "ZDragTypes.h"

#include "ApplicationIdentity.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ZDragTypes {

QString videoIds() {
  return ApplicationIdentity::bundleIdentifier() + QStringLiteral(".dragType.VideoId");
}

QString nowPlayingListRows() {
  return ApplicationIdentity::bundleIdentifier() + QStringLiteral(".dragType.NowPlayingListRows");
}

QByteArray encode(const QList<int> &values) {
  QJsonArray array;
  for (const int value : values) array.append(value);
  return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QList<int> decode(const QByteArray &data) {
  QList<int> values;
  for (const QJsonValue &value : QJsonDocument::fromJson(data).array())
    if (value.isDouble()) values.append(value.toInt());
  return values;
}

}  // namespace ZDragTypes
