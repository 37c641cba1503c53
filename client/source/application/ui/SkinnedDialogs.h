#pragma once

#include "Dialogs.h"

// The dialogs in the skinned dialog frame (ZDialog), each named after its
// window resource ("Alert", "DeleteDialog", "QuitAlert", ...) and answering
// its fixed codes.
class SkinnedDialogs : public Dialogs {
 public:
  void showAlert(const QString &message, const QString &windowTitle) override;
  bool getConfirmation(const QString &defaultButtonTitle, const QString &cancelButtonTitle,
                       const QString &message, bool *showAgain) override;
  using Dialogs::getConfirmation;
  int askUpdate(const QString &message) override;
  bool getDeleteConfirmation(bool *deleteFromDisk) override;
  int askQuit(bool downloadsRunning) override;
  int askDiskSpace() override;
  int askDiskSpaceDownload() override;
  QString getImportUrl() override;
  std::unique_ptr<VideoImportProgress> showVideoImportProgress(const QString &title,
                                                               QWidget *relativeTo) override;
  int showCodecRequiredAlert(const QString &message) override;
  int askLoadError(const QString &message, const QString &defaultButtonTitle) override;
};
