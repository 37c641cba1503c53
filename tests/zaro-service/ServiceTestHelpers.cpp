#include "ServiceTestHelpers.h"

#include <QByteArray>
#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

#include <cctype>
#include <stdexcept>

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
