#include "ServiceProcess.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace {

QProcessEnvironment serviceEnvironment(const QString &tempFolder = {}) {
  // Inside a test the demo folder goes below the test's own sandbox.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  const QString folder =
      tempFolder.isEmpty() ? QString::fromLocal8Bit(qgetenv("ZARO_TEST_ROOT")) : tempFolder;
  if (!folder.isEmpty()) environment.insert(QStringLiteral("TMPDIR"), folder);
  return environment;
}

}  // namespace

ServiceProcess::ServiceProcess(const QStringList &arguments, const QString &tempFolder,
                               int startTimeoutMs) {
  fProcess.setProcessEnvironment(serviceEnvironment(tempFolder));
  fProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  fProcess.start(QStringLiteral(ZARO_SERVICE_BINARY), QStringList{"--port", "0"} + arguments);
  if (!fProcess.waitForStarted(5000)) return;
  QDeadlineTimer deadline(startTimeoutMs);
  while (!fProcess.canReadLine() && !deadline.hasExpired() && fProcess.state() == QProcess::Running)
    fProcess.waitForReadyRead(100);
  if (!fProcess.canReadLine()) return;
  fFirstLine = QString::fromUtf8(fProcess.readLine()).trimmed();
  static const QRegularExpression kListening(
      QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)$"));
  const QRegularExpressionMatch match = kListening.match(fFirstLine);
  if (match.hasMatch()) fPort = match.captured(1).toInt();
}

ServiceProcess::~ServiceProcess() {
  if (fProcess.state() == QProcess::NotRunning) return;
  fProcess.terminate();
  if (!fProcess.waitForFinished(5000)) {
    fProcess.kill();
    fProcess.waitForFinished(2000);
  }
}

int ServiceProcess::waitForExit(int timeoutMs) {
  if (fProcess.state() != QProcess::NotRunning && !fProcess.waitForFinished(timeoutMs)) return -1;
  return fProcess.exitStatus() == QProcess::NormalExit ? fProcess.exitCode() : -1;
}

void ServiceProcess::becomeServiceHost() const {
  qputenv("ZARO_SERVICE_URL", QByteArray::fromStdString(base()));
}

std::unique_ptr<httplib::Client> ServiceProcess::client() const {
  auto client = std::make_unique<httplib::Client>("127.0.0.1", fPort);
  client->set_decompress(false);
  client->set_read_timeout(10, 0);
  return client;
}

QJsonDocument ServiceProcess::control(const std::string &path) const {
  const httplib::Result result = client()->Get(path);
  if (!result || result->status != 200) return QJsonDocument();
  return QJsonDocument::fromJson(QByteArray::fromStdString(result->body));
}

int ServiceProcess::controlPost(const std::string &path, const std::string &json) const {
  const httplib::Result result = client()->Post(path, json, "application/json");
  return result ? result->status : -1;
}

void ServiceProcess::controlDelete(const std::string &path) const { client()->Delete(path); }

bool ServiceProcess::addFault(const std::string &json) const {
  return controlPost("/_control/faults", json) == 200;
}

QList<QJsonObject> ServiceProcess::requests(const QString &pathPrefix) const {
  QList<QJsonObject> out;
  const QJsonArray all = control("/_control/requests").array();
  for (const QJsonValue &value : all) {
    const QJsonObject request = value.toObject();
    if (request.value(QStringLiteral("path")).toString().startsWith(pathPrefix))
      out.append(request);
  }
  return out;
}

ServiceExit runServiceToExit(const QStringList &arguments) {
  QProcess process;
  process.setProcessEnvironment(serviceEnvironment());
  process.start(QStringLiteral(ZARO_SERVICE_BINARY), arguments);
  ServiceExit result;
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished();
    return result;
  }
  result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.standardError = QString::fromLocal8Bit(process.readAllStandardError());
  return result;
}
