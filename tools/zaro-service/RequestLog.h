#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <deque>
#include <mutex>

namespace zsvc {

// The record of the requests the service answered: kept in memory for
// GET /_control/requests and, with --log, appended to a file as one JSON object
// per line, flushed at once so that a test can read it while the service runs.
class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog &) = delete;
  RequestLog &operator=(const RequestLog &) = delete;

  // Appends to path from now on; false (with a message) when it cannot be opened.
  bool openFile(const QString &path, QString *error);

  // Stamps the entry with its sequence number ("seq", from 1) and records it.
  void append(QJsonObject entry);

  // The entries kept in memory whose sequence number is above since.
  QJsonArray entries(qint64 since = 0) const;
  void clearMemory();

 private:
  static constexpr size_t kMemoryLimit = 10000;  // oldest entries dropped beyond

  mutable std::mutex fMutex;
  std::deque<QJsonObject> fEntries;
  qint64 fNextSequence = 1;
  std::FILE *fFile = nullptr;
};

}  // namespace zsvc
