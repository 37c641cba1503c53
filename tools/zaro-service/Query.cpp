#include "Query.h"

namespace zsvc {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string percentDecode(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      result.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
      i += 2;
    } else {
      result.push_back(text[i]);
    }
  }
  return result;
}

std::string formEncode(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size() * 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (isAsciiAlnum(byte)) {
      result.push_back(c);
    } else {
      result.push_back('%');
      result.push_back(kDigits[byte >> 4]);
      result.push_back(kDigits[byte & 0x0f]);
    }
  }
  return result;
}

std::string urlEncode(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size() * 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (isAsciiAlnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
      result.push_back(c);
    } else {
      result.push_back('%');
      result.push_back(kDigits[byte >> 4]);
      result.push_back(kDigits[byte & 0x0f]);
    }
  }
  return result;
}

Query::Query(std::string_view raw) {
  while (!raw.empty()) {
    const size_t amp = raw.find('&');
    const std::string_view piece = raw.substr(0, amp);
    raw = amp == std::string_view::npos ? std::string_view() : raw.substr(amp + 1);
    if (piece.empty()) continue;
    const size_t eq = piece.find('=');
    if (eq == std::string_view::npos)
      fItems.emplace_back(percentDecode(piece), std::string());
    else
      fItems.emplace_back(percentDecode(piece.substr(0, eq)), percentDecode(piece.substr(eq + 1)));
  }
}

const std::string *Query::find(std::string_view name) const {
  for (const auto &[key, value] : fItems)
    if (key == name) return &value;
  return nullptr;
}

std::string Query::value(std::string_view name) const {
  const std::string *found = find(name);
  return found ? *found : std::string();
}

}  // namespace zsvc
