#pragma once

#include <QLoggingCategory>

// Where failures say why: one Qt logging category per subsystem, written to
// standard error by Qt's message handler (no log file). Warnings and
// critical messages show by default; debug and info messages of a category
// only when turned on, e.g.
//   QT_LOGGING_RULES="zaro.library.debug=true;zaro.downloads.info=true"
// Each failure is written once, where it is handled, with what the user
// needs to report it: SQLite's error text, the network error and address
// (without its query, which carries the client's identity), the XML
// parser's message and position.
Q_DECLARE_LOGGING_CATEGORY(zaroCore)       // "zaro.core": start-up, folders, links
Q_DECLARE_LOGGING_CATEGORY(zaroLibrary)    // "zaro.library": the database, imports
Q_DECLARE_LOGGING_CATEGORY(zaroService)    // "zaro.service": access key, ratings, updates
Q_DECLARE_LOGGING_CATEGORY(zaroDownloads)  // "zaro.downloads": download items and the queue
Q_DECLARE_LOGGING_CATEGORY(zaroFeeds)      // "zaro.feeds": feeds, subscriptions
Q_DECLARE_LOGGING_CATEGORY(zaroSkin)       // "zaro.skin": skin loading
Q_DECLARE_LOGGING_CATEGORY(zaroPlayback)   // "zaro.playback": the now-playing list, the player
Q_DECLARE_LOGGING_CATEGORY(zaroDesktop)    // "zaro.desktop": session bus, media keys, notifications, tray

class QUrl;
class QNetworkReply;

namespace Logging {

// Writes the warning to the category the first time the key is met in this
// process (a missing desktop service, say); later calls write nothing.
void warnOnce(const QLoggingCategory &category, const QString &key, const QString &message);
// The same for an informational message (shown only when the category's info
// messages are turned on).
void infoOnce(const QLoggingCategory &category, const QString &key, const QString &message);

// An address as it may be written down: scheme, host, port and path.
QString address(const QUrl &url);
// What went wrong with a finished reply: its address, the HTTP status when
// there is one, and Qt's error text when there is an error.
QString replyFailure(const QNetworkReply &reply);

}  // namespace Logging
