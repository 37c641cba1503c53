#include "ServiceProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zlib.h>

#include <stdexcept>

namespace {

QProcessEnvironment serviceEnvironment(const QString &tempFolder = {}) {
  // The demo folder goes below the test's own sandbox.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TMPDIR"),
                     tempFolder.isEmpty() ? QString::fromLocal8Bit(qgetenv("ZARO_TEST_ROOT"))
                                          : tempFolder);
  return environment;
}

}  // namespace

ServiceProcess::ServiceProcess(const QStringList &arguments, const QString &tempFolder) {
  fProcess.setProcessEnvironment(serviceEnvironment(tempFolder));
  fProcess.setProcessChannelMode(QProcess::SeparateChannels);
  fProcess.start(QStringLiteral(ZARO_SERVICE_BINARY), QStringList{"--port", "0"} + arguments);
  if (!fProcess.waitForStarted(5000)) return;
  QDeadlineTimer deadline(10000);
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

std::string formEncoded(const std::string &text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte)) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kDigits[byte >> 4]);
      out.push_back(kDigits[byte & 15]);
    }
  }
  return out;
}

std::string formDecoded(const std::string &text) {
  return QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)).toStdString();
}

std::string gunzip(const std::string &bytes) {
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) throw std::runtime_error("inflateInit2");
  std::string out;
  char buffer[16384];
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef *>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - stream.avail_out);
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("not a whole gzip stream");
  return out;
}

std::string readFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

const XmlNode *XmlNode::child(const std::string &childName) const {
  for (const auto &node : children)
    if (node->name == childName) return node.get();
  return nullptr;
}

std::vector<const XmlNode *> XmlNode::all(const std::string &childName) const {
  std::vector<const XmlNode *> result;
  for (const auto &node : children)
    if (node->name == childName) result.push_back(node.get());
  return result;
}

std::string XmlNode::value(const std::string &childName) const {
  const XmlNode *node = child(childName);
  return node ? node->text : "<missing>";
}

std::unique_ptr<XmlNode> parseXml(const std::string &text) {
  QXmlStreamReader reader(QByteArray::fromStdString(text));
  reader.setNamespaceProcessing(false);
  std::unique_ptr<XmlNode> root;
  std::vector<XmlNode *> open;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement: {
        auto node = std::make_unique<XmlNode>();
        node->name = reader.qualifiedName().toString().toStdString();
        for (const QXmlStreamAttribute &attribute : reader.attributes())
          node->attributes[attribute.qualifiedName().toString().toStdString()] =
              attribute.value().toString().toStdString();
        XmlNode *raw = node.get();
        if (open.empty())
          root = std::move(node);
        else
          open.back()->children.push_back(std::move(node));
        open.push_back(raw);
        break;
      }
      case QXmlStreamReader::EndElement:
        open.pop_back();
        break;
      case QXmlStreamReader::Characters:
        if (!open.empty() && !reader.isWhitespace())
          open.back()->text += reader.text().toString().toStdString();
        break;
      default:
        break;
    }
  }
  if (reader.hasError()) return nullptr;
  return root;
}
