#pragma once

// The one way tests and benchmarks start the reference service: a zaro-service
// process on a free port of 127.0.0.1, stopped when the object goes. Its
// control endpoints (request log, fault rules) are reached through it.

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class ServiceProcess {
 public:
  // Starts zaro-service with the arguments (after "--port 0") and waits up to
  // startTimeoutMs for its "listening on" line. The service's temporary files
  // (the demo folder) go to tempFolder, or to the test's sandbox when it is
  // empty.
  explicit ServiceProcess(const QStringList &arguments, const QString &tempFolder = {},
                          int startTimeoutMs = 10000);
  ~ServiceProcess();

  bool running() const { return fPort > 0; }
  int port() const { return fPort; }
  const QString &firstLine() const { return fFirstLine; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(fPort); }
  QString baseUrl() const { return QString::fromStdString(base()); }

  // Points the application's service hosts (ZARO_SERVICE_URL) at this service.
  void becomeServiceHost() const;

  // A client that sends exactly the headers it is given (no compression asked
  // for, none undone).
  std::unique_ptr<httplib::Client> client() const;

  // GET of a control endpoint, its JSON answer.
  QJsonDocument control(const std::string &path) const;
  // POST of a JSON text to a control endpoint; the status.
  int controlPost(const std::string &path, const std::string &json) const;
  void controlDelete(const std::string &path) const;

  qint64 processId() const { return fProcess.processId(); }
  // Waits for the process to end; its exit code, or -1 when it crashed or
  // did not end in time.
  int waitForExit(int timeoutMs);

  // Adds a fault rule (a JSON text); true when the service took it.
  bool addFault(const std::string &json) const;
  // The logged requests whose path starts with the prefix, oldest first.
  QList<QJsonObject> requests(const QString &pathPrefix) const;

 private:
  QProcess fProcess;
  QString fFirstLine;
  int fPort = 0;
};

// Runs zaro-service to its end (for arguments that make it stop at once).
struct ServiceExit {
  int code = -1;
  QString standardError;
};
ServiceExit runServiceToExit(const QStringList &arguments);
