#pragma once

#include <QString>

// The name of an image's twin at twice the resolution: "@2x" before the
// extension ("play.png" -> "play@2x.png", "bar" -> "bar@2x"). The skin reads
// twins by this rule and the default skin's painter writes them by it.
inline QString hiDpiTwinName(const QString &name) {
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const qsizetype at = dot > slash + 1 ? dot : name.size();
  return name.left(at) + QStringLiteral("@2x") + name.mid(at);
}
