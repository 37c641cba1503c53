#pragma once

#include <QString>

#include <functional>

class Dialogs;
class QWidget;
class UserDefaults;

// What the settings window uses of the rest of the application. The player
// runs on application(); tests give their own defaults, free space, media
// folder size and folder choice.
struct SettingsEnvironment {
  UserDefaults *defaults = nullptr;  // read when shown, written on save
  Dialogs *dialogs = nullptr;        // the alerts; null: the installed dialogs
  // Free bytes of the file system holding a path (0 when unknown).
  std::function<quint64(const QString &path)> freeBytes;
  // Bytes the media folder uses now.
  std::function<quint64()> mediaFolderSize;
  // Deletes old videos until the media folder fits in `allowed` with room
  // for `needed` more bytes.
  std::function<void(quint64 needed, quint64 allowed)> deleteVideosToFreeUpDiskSpace;
  // The platform's folder dialog, starting in `start`; a null text when the
  // user cancels.
  std::function<QString(QWidget *parent, const QString &title, const QString &start)> chooseFolder;

  Dialogs &alerts() const;

  // The standard user defaults, the file system's free space, the media
  // folder of the default library, its deletion rule and QFileDialog.
  static SettingsEnvironment application();
};
