#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

// The user's login items, kept as XDG autostart entries
// ($XDG_CONFIG_HOME/autostart/*.desktop). Items are listed in the order they
// were added (oldest entry file first, then by file name); each is a map with
// "URL" (the file URL of the program the entry starts: the first argument of
// its Exec line, or the command that env(1) runs there once its options and
// NAME=VALUE settings are passed over), "Hidden" (the entry is switched
// off) and "TryExec" (the entry names a program the desktop checks for
// before it starts anything). These answer like the login-item operations of
// the original desktop: a list, add at the end, remove by zero-based index.
namespace LoginItems {

QString autostartFolder();

// All items, or nothing when the folder cannot be read.
std::optional<QList<QVariantMap>> copyLoginItems();

// How a new entry is named: its file ("<id>.desktop"), the name the
// desktop shows and its icon. Without an id the file is named after the
// program, and so is the entry.
struct EntryNaming {
  QString id;
  QString name;
  QString icon;
};

// Adds an entry that starts the program at path, with the path as its
// TryExec too: once the program is gone the desktop passes the entry over.
// False when it cannot be written.
bool addURLAtEnd(const QString &programPath, bool hidden, const EntryNaming &naming = {});

// Gives the item at the index a TryExec naming the program it starts, when it
// has none (an entry of an earlier version, or the user's own); the rest of
// the entry stays as it is. False when it cannot be written.
bool addTryExec(int index);

// Removes the item at the zero-based index of copyLoginItems().
bool remove(int index);

// The player's own item is the first whose program URL, percent-unescaped,
// contains the player's executable name ("zaro-player", ignoring case).
inline constexpr const char *PlayerMatchText = "zaro-player";
bool urlNamesPlayer(const QString &url);
// The index of the player's item in items, -1 when there is none.
int indexOfPlayer(const QList<QVariantMap> &items);

}  // namespace LoginItems
