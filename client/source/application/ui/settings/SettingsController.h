#pragma once

#include "SettingsEnvironment.h"
#include "SettingsPages.h"
#include "SettingsValues.h"
#include "ZDialog.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QPushButton;
class QStackedWidget;
class ZSettingsTabButtonView;

// The settings window "Settings": the preferences in three pages (General,
// Downloads, Playback) chosen by three skinned tab buttons, in the skinned
// dialog frame. Values typed into it are stored only when Save validates all
// of them; Cancel (and Escape, and the close button) throws them away.
class SettingsController : public QObject {
  Q_OBJECT
 public:
  explicit SettingsController(SettingsEnvironment environment = SettingsEnvironment::application(),
                              QObject *parent = nullptr);
  ~SettingsController() override;

  // Makes the window on first use. A hidden window first takes the values
  // the user defaults hold now; then it is centred, shown and activated.
  void showWindow();
  // The window, made on first use.
  ZDialog *window();
  bool isWindowLoaded() const { return fWindow != nullptr; }

  // Save: stores the values when validate() takes them, and hides the window.
  void save();
  // Cancel: the controls show the stored values again; the window is hidden.
  void cancel();
  // Checks the controls' values and, when all pass, stores them. A refused
  // value shows an alert, brings its field forward on the Downloads page and
  // stores nothing.
  bool validate();

  // The platform's folder dialog for the download location; a chosen folder
  // shows in the field (stored on save) unless it cannot hold downloads.
  void selectDownloadPath();
  // Stepper actions: the field takes the stepper's value.
  void changeDiskUse();
  void changeMaxSimultaneousDownloads();
  // After any typing: the steppers and the description follow the fields.
  void controlTextDidChange();
  // Shows the page of the tab and marks that tab alone selected.
  void tabSelected(ZSettingsTabButtonView *sender);

  // The stored "DownloadLocation".
  QString getDownloadLocation() const;
  void setDownloadLocation(const QString &path);
  // Free bytes of the file system that holds the location field's folder.
  quint64 availableDiskSpace() const;
  // Places the tab buttons and the pages from the current skin.
  void applySkin();

  // What the window shows (made on first use), for tests.
  SettingsPages &pages() {
    window();
    return *fPages;
  }
  QString selectedTab() const;
  ZSettingsTabButtonView *tabButton(const QString &identifier) const;
  QStackedWidget *tabView() const { return fTabView; }
  QPushButton *saveButton() const { return fSaveButton; }
  QPushButton *cancelButton() const { return fCancelButton; }

 private:
  void windowDidLoad();
  void loadControls();
  void updateDiskUsageStepper();
  void updateDiskUsageDescription();
  void updateMaxDownloadCountStepper();
  // The alert for a refused value; the field comes forward on the Downloads page.
  void refuse(QWidget *field, const QString &message);
  void selectDownloadsField(QWidget *field);
  void selectNeighbourTab(int direction);
  QString locationFieldPath() const;

  SettingsEnvironment fEnvironment;
  QPointer<ZDialog> fWindow;
  QWidget *fActualContentView = nullptr;
  QStackedWidget *fTabView = nullptr;
  std::unique_ptr<SettingsPages> fPages;
  ZSettingsTabButtonView *fGeneralTabImage = nullptr;
  ZSettingsTabButtonView *fDownloadsTabImage = nullptr;
  ZSettingsTabButtonView *fPlaybackTabImage = nullptr;
  QPushButton *fSaveButton = nullptr;
  QPushButton *fCancelButton = nullptr;
  // The values as they stood when the window was loaded or last saved.
  SettingsValues fLoaded;
  float fDiskUsageValue = 0;
};
