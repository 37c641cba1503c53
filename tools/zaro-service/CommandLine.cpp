#include "CommandLine.h"

namespace zsvc {

namespace {

bool readUnsigned(const QString &text, uint64_t *value) {
  bool ok = false;
  *value = text.toULongLong(&ok);
  return ok && !text.startsWith(QLatin1Char('+'));
}

}  // namespace

QString usage() {
  return QStringLiteral(
      "usage: zaro-service [--demo | --catalog DIR] [options]\n"
      "\n"
      "The reference video service for Zaro Player.\n"
      "\n"
      "  --catalog DIR          serve the catalog DIR/catalog.json\n"
      "  --demo                 serve the built-in demo catalog\n"
      "  --host HOST            address to listen on (default 127.0.0.1)\n"
      "  --port N               port (default 8642; 0 picks a free one)\n"
      "  --public-url URL       base of the addresses written into answers\n"
      "                         (default: http:// and the request's Host)\n"
      "  --log FILE             append one JSON line per request to FILE\n"
      "  --big-file SIZE_MB     add a generated video of SIZE_MB MiB (repeatable)\n"
      "  --strict-guid          answer 403 when a clientGUID does not decode\n"
      "  --xml-encoding NAME    write the XML answers in UTF-8, ISO-8859-1 or\n"
      "                         US-ASCII (default: ASCII with character references,\n"
      "                         declared UTF-8)\n"
      "\n"
      "Faults for the whole run (see the README):\n"
      "  --fault-close-after N  close the connection after N body bytes\n"
      "  --fault-ignore-range   answer ranged requests with 200 and the whole body\n"
      "  --fault-status CODE    answer every request with status CODE\n"
      "  --fault-rate BPS       send bodies at BPS bytes per second at most\n"
      "  --fault-short-body N   announce the full length, send N bytes fewer\n"
      "  --fault-path PREFIX    the faults above hit only paths starting with PREFIX\n"
      "  --fault-count K        the faults above hit only the first K such requests\n"
      "\n"
      "The first line on standard output is \"listening on HOST:PORT\".\n");
}

std::optional<Options> parseCommandLine(const QStringList &arguments, QString *error) {
  Options options;
  QString faultPath;
  int faultCount = -1;
  std::vector<FaultRule> faults;

  for (qsizetype i = 0; i < arguments.size(); ++i) {
    QString name = arguments[i];
    std::optional<QString> inlineValue;
    if (const qsizetype eq = name.indexOf(QLatin1Char('='));
        name.startsWith(QLatin1String("--")) && eq > 0) {
      inlineValue = name.mid(eq + 1);
      name.truncate(eq);
    }
    // The option's value: after "=" or the next argument.
    const auto value = [&](QString *out) {
      if (inlineValue) {
        *out = *inlineValue;
        return true;
      }
      if (i + 1 >= arguments.size()) {
        *error = name + QStringLiteral(" needs a value");
        return false;
      }
      *out = arguments[++i];
      return true;
    };
    const auto number = [&](uint64_t *out) {
      QString text;
      if (!value(&text)) return false;
      if (!readUnsigned(text, out)) {
        *error = QStringLiteral("%1: \"%2\" is not a whole number").arg(name, text);
        return false;
      }
      return true;
    };
    const auto flag = [&]() {
      if (inlineValue) {
        *error = name + QStringLiteral(" takes no value");
        return false;
      }
      return true;
    };
    const auto fault = [&](FaultKind kind, bool hasValue) {
      FaultRule rule;
      rule.kind = kind;
      if (hasValue ? !number(&rule.value) : !flag()) return false;
      faults.push_back(rule);
      return true;
    };

    uint64_t n = 0;
    bool ok = true;
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
      options.help = true;
    } else if (name == QLatin1String("--catalog")) {
      ok = value(&options.catalogDir);
    } else if (name == QLatin1String("--demo")) {
      ok = flag();
      options.demo = true;
    } else if (name == QLatin1String("--host")) {
      ok = value(&options.host);
    } else if (name == QLatin1String("--port")) {
      ok = number(&n);
      if (ok && n > 65535) {
        *error = QStringLiteral("--port: %1 is not a port").arg(n);
        ok = false;
      }
      options.port = static_cast<int>(n);
    } else if (name == QLatin1String("--public-url")) {
      ok = value(&options.publicUrl);
    } else if (name == QLatin1String("--log")) {
      ok = value(&options.logFile);
    } else if (name == QLatin1String("--big-file")) {
      ok = number(&n);
      if (ok && (n == 0 || n > 1024 * 1024)) {
        *error = QStringLiteral("--big-file: give a size of 1 to 1048576 MiB");
        ok = false;
      }
      options.bigFilesMiB.append(n);
    } else if (name == QLatin1String("--strict-guid")) {
      ok = flag();
      options.strictGuid = true;
    } else if (name == QLatin1String("--xml-encoding")) {
      QString text;
      ok = value(&text);
      if (ok) {
        options.xmlEncoding = xmlEncodingNamed(text);
        if (!options.xmlEncoding) {
          *error = QStringLiteral("--xml-encoding: give UTF-8, ISO-8859-1 or US-ASCII");
          ok = false;
        }
      }
    } else if (name == QLatin1String("--fault-close-after")) {
      ok = fault(FaultKind::kCloseAfter, true);
    } else if (name == QLatin1String("--fault-ignore-range")) {
      ok = fault(FaultKind::kIgnoreRange, false);
    } else if (name == QLatin1String("--fault-status")) {
      ok = fault(FaultKind::kStatus, true);
      if (ok && (faults.back().value < 100 || faults.back().value > 599)) {
        *error =
            QStringLiteral("--fault-status: %1 is not an HTTP status").arg(faults.back().value);
        ok = false;
      }
    } else if (name == QLatin1String("--fault-rate")) {
      ok = fault(FaultKind::kRate, true);
      if (ok && faults.back().value == 0) {
        *error = QStringLiteral("--fault-rate: give at least 1 byte per second");
        ok = false;
      }
    } else if (name == QLatin1String("--fault-short-body")) {
      ok = fault(FaultKind::kShortBody, true);
    } else if (name == QLatin1String("--fault-path")) {
      ok = value(&faultPath);
    } else if (name == QLatin1String("--fault-count")) {
      ok = number(&n);
      if (ok && (n == 0 || n > 1000000000)) {
        *error = QStringLiteral("--fault-count: give a count of at least 1");
        ok = false;
      }
      faultCount = static_cast<int>(n);
    } else {
      *error = QStringLiteral("unknown option %1").arg(name);
      ok = false;
    }
    if (!ok) return std::nullopt;
  }

  if (options.demo && !options.catalogDir.isEmpty()) {
    *error = QStringLiteral("--demo and --catalog exclude each other");
    return std::nullopt;
  }
  if (faults.empty() && (!faultPath.isEmpty() || faultCount >= 0)) {
    *error = QStringLiteral("--fault-path and --fault-count qualify a --fault-... option");
    return std::nullopt;
  }
  for (FaultRule &rule : faults) {
    rule.pathPrefix = faultPath.toStdString();
    rule.remaining = faultCount;
  }
  options.faults = std::move(faults);
  return options;
}

}  // namespace zsvc
