#pragma once

#include <httplib.h>

#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <vector>

// A zaro-service process started on a free port for one test or suite; it is
// stopped when the object goes.
class ServiceProcess {
 public:
  // The service's temporary files (the demo folder) go to tempFolder, or to
  // the test's sandbox when it is empty.
  explicit ServiceProcess(const QStringList &arguments, const QString &tempFolder = {});
  ~ServiceProcess();

  bool running() const { return fPort > 0; }
  int port() const { return fPort; }
  const QString &firstLine() const { return fFirstLine; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(fPort); }

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

// The player's form encoding: letters and digits stay, every other byte is "%XX".
std::string formEncoded(const std::string &text);
std::string formDecoded(const std::string &text);

std::string gunzip(const std::string &bytes);
std::string readFile(const QString &path);

// A parsed XML document, names as written (prefixes kept), text of each
// element its own character data.
struct XmlNode {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
  std::vector<std::unique_ptr<XmlNode>> children;

  const XmlNode *child(const std::string &childName) const;
  std::vector<const XmlNode *> all(const std::string &childName) const;
  // The text of the child (or "<missing>" when there is none).
  std::string value(const std::string &childName) const;
};
// The root element, or null when the text is not well-formed XML.
std::unique_ptr<XmlNode> parseXml(const std::string &text);
