#pragma once

#include <QString>

namespace zsvc {

// Writes the demo catalog compiled into the program (catalog.json, clips,
// thumbnails, the update file) into the empty folder dir, ready for
// loadCatalog. False with a message when a file cannot be written.
bool unpackDemoCatalog(const QString &dir, QString *error);

}  // namespace zsvc
