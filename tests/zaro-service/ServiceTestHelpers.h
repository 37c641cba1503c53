#pragma once

// What the tests of zaro-service read its answers with: the player's form
// encoding, gzip, files, and a small XML tree.

#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

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
