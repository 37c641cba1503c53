#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zsvc {

// "%" and two hexadecimal digits give that byte; everything else, "+" included,
// is copied as it stands (the player never writes "+" for a blank). A "%" that
// is not followed by two hexadecimal digits is copied too.
std::string percentDecode(std::string_view text);

// The player's form encoding of a value: ASCII letters and digits stay, every
// other byte becomes "%" and two upper-case hexadecimal digits. Values the
// service hands to the player (keys, tokens, feed addresses) go through it.
std::string formEncode(std::string_view text);

// Percent encoding for a URL path segment or query value: the unreserved
// characters (letters, digits, "-", ".", "_", "~") stay, every other byte is
// escaped. Used for the addresses the service writes into its documents.
std::string urlEncode(std::string_view text);

// A raw query string split at "&" into name and value pairs, both decoded.
// A piece without "=" is a name with an empty value; empty pieces are dropped.
class Query {
 public:
  Query() = default;
  explicit Query(std::string_view raw);

  // The first value of name, or nullptr.
  const std::string *find(std::string_view name) const;
  std::string value(std::string_view name) const;
  bool has(std::string_view name) const { return find(name) != nullptr; }

  const std::vector<std::pair<std::string, std::string>> &items() const { return fItems; }

 private:
  std::vector<std::pair<std::string, std::string>> fItems;
};

}  // namespace zsvc
