#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

#include "Documents.h"
#include "Faults.h"

namespace zsvc {

struct Options {
  QString catalogDir;  // --catalog DIR
  bool demo = false;   // --demo
  QString host = QStringLiteral("127.0.0.1");
  int port = 8642;  // 0: any free port
  QString publicUrl;
  QString logFile;
  QList<uint64_t> bigFilesMiB;
  bool strictGuid = false;
  std::optional<XmlEncoding> xmlEncoding;  // --xml-encoding; none: ASCII with references
  std::vector<FaultRule> faults;
  bool help = false;
};

// Reads the arguments (without the program name). Options take their value as
// the next argument or after "=". nullopt with a message on a fault.
std::optional<Options> parseCommandLine(const QStringList &arguments, QString *error);

QString usage();

}  // namespace zsvc
