#include "ComponentVersions.h"

#include <expat.h>
#include <mpv/client.h>
#include <openssl/crypto.h>
#include <sqlite3.h>
extern "C" {
#include <libavutil/avutil.h>
}

#include <QRegularExpression>

namespace ComponentVersions {

namespace {

// The first dotted number in a library's own version text ("OpenSSL 3.0.15 3
// Sep 2024" -> "3.0.15", "expat_2.5.0" -> "2.5.0"); the text itself when it
// holds none.
QString dottedNumber(const char *text) {
  const QString whole = QString::fromUtf8(text ? text : "").trimmed();
  static const QRegularExpression number(QStringLiteral("\\d+(\\.\\d+)+"));
  const QRegularExpressionMatch match = number.match(whole);
  return match.hasMatch() ? match.captured() : whole;
}

}  // namespace

QList<Component> components() {
  const unsigned long mpvApi = mpv_client_api_version();
  return {
      {QStringLiteral("Qt"), QString::fromLatin1(qVersion())},
      {QStringLiteral("libmpv"), QStringLiteral("client API %1.%2")
                                     .arg(mpvApi >> 16)
                                     .arg(mpvApi & 0xffff)},
      {QStringLiteral("FFmpeg"), QString::fromUtf8(av_version_info())},
      {QStringLiteral("SQLite"), QString::fromUtf8(sqlite3_libversion())},
      {QStringLiteral("OpenSSL"), dottedNumber(OpenSSL_version(OPENSSL_VERSION))},
      {QStringLiteral("expat"), dottedNumber(XML_ExpatVersion())},
  };
}

}  // namespace ComponentVersions
