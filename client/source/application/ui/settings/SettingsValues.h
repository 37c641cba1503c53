#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

class UserDefaults;

// The preferences the settings window edits, as read from the user defaults
// and as the window's controls hold them.
struct SettingsValues {
  bool openClientAtStartup = true;     // "GeneralOpenClientAtStartup"
  bool loopVideoPlay = false;          // "PlaybackLoopVideoPlay"
  bool quitConfirmation = true;        // "GeneralQuitConfirmationCancellation"
  QString downloadLocation;            // "DownloadLocation"
  double allowedDiskUsage = 10;        // "DownloadAllowedDiskUsage", percent
  int maxSimultaneousCount = 1;        // "DownloadMaxSimultaneousCount"
  bool newVideoNotification = true;    // "DownloadNewVideoNotification"
  bool confirmCancellation = true;     // "DownloadConfirmCancellation"
  int videoCount = 3;                  // "DownloadVideoCount"

  static SettingsValues read(const UserDefaults &defaults);
  // Every value by its key, as it is stored.
  QVariantMap toMap() const;
  // The keys whose values differ from `before`, with their new values. The
  // percentage counts as changed only when it differs as a float, the form
  // in which its readers take it.
  QVariantMap changesFrom(const SettingsValues &before) const;

  bool operator==(const SettingsValues &other) const = default;
};

// How the settings window reads, checks and tells its values.
namespace SettingsRules {

constexpr double kMinDiskUsage = 1;
constexpr double kMaxDiskUsage = 50;
constexpr int kMinSimultaneousCount = 1;
constexpr int kMaxSimultaneousCount = 4;

// The percentage typed into its field: a finite number, in the C form ("12.5")
// or the user's own ("12,5"); nothing for any other text.
std::optional<double> parsePercentage(const QString &text);
// The count typed into its field: a whole number; nothing for any other text.
std::optional<int> parseCount(const QString &text);
// How a stored percentage is shown in its field ("10", "12.5").
QString percentageText(double percentage);

bool diskUsageAcceptable(std::optional<double> percentage);
bool countAcceptable(std::optional<int> count);

// What the steppers show for a field's value: clamped to 1 ... 50 and 1 ... 4
// (text that is no number counts as 0).
double diskUsageStepperValue(std::optional<double> percentage);
int countStepperValue(std::optional<int> count);

// The allowed space told in words: F × (p / 100) in gigabytes (to a tenth)
// when it comes to one or more, else in megabytes (whole).
QString diskUsageDescription(double percentage, quint64 freeBytes);

// A download location as typed, cleaned up: "~" and "~/..." name the home
// folder, "." and ".." steps and a trailing "/" go.
QString normalizedLocation(const QString &text);
// Why the folder cannot hold the downloads (it is not a full path, does not
// exist, is a file, cannot be written to, or its "ZaroMedia" is not a
// writable folder); a null text when it can.
QString locationProblem(const QString &location);

}  // namespace SettingsRules
