#include "RequestLog.h"

#include <QFile>
#include <QJsonDocument>

#include <cerrno>
#include <cstring>

namespace zsvc {

RequestLog::~RequestLog() {
  if (fFile) std::fclose(fFile);
}

bool RequestLog::openFile(const QString &path, QString *error) {
  std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "ae");
  if (!file) {
    *error = QStringLiteral("cannot open the request log %1: %2")
                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  std::lock_guard lock(fMutex);
  if (fFile) std::fclose(fFile);
  fFile = file;
  return true;
}

void RequestLog::append(QJsonObject entry) {
  std::lock_guard lock(fMutex);
  entry.insert("seq", fNextSequence++);
  if (fFile) {
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), fFile);
    std::fflush(fFile);
  }
  fEntries.push_back(std::move(entry));
  if (fEntries.size() > kMemoryLimit) fEntries.pop_front();
}

QJsonArray RequestLog::entries(qint64 since) const {
  std::lock_guard lock(fMutex);
  QJsonArray result;
  for (const QJsonObject &entry : fEntries)
    if (entry.value("seq").toInteger() > since) result.append(entry);
  return result;
}

void RequestLog::clearMemory() {
  std::lock_guard lock(fMutex);
  fEntries.clear();
}

}  // namespace zsvc
