#pragma once

#include <QString>

class UserDefaults;

// The settings keys and their registered defaults.
namespace Preferences {

// Batch A: registered when the application controller is first used.
void registerBatchA(UserDefaults &defaults);
// Batch B: registered at start-up once the application folder is known (the
// default "DownloadLocation" is that folder).
void registerBatchB(UserDefaults &defaults, const QString &applicationFolder);

// The sort keys of a browse mode ("LibraryBrowseBy" value); null strings for a
// mode without keys.
QString sortTypeKeyForBrowseMode(int browseBy);
QString sortOrderKeyForBrowseMode(int browseBy);

}  // namespace Preferences

// Sort accessors keyed by the current "LibraryBrowseBy" value.
namespace Utilities {

int currentSortType();
void setCurrentSortType(int sortType);
bool currentSortOrder();
void toggleCurrentSortOrder();

}  // namespace Utilities
