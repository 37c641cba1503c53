#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zsvc {

// Ways the service can misbehave on purpose, for the player's tests.
enum class FaultKind {
  kCloseAfter,   // send the first N bytes of the body, then close the connection
  kIgnoreRange,  // answer a ranged request with 200 and the whole body
  kStatus,       // answer with status N (and a short text body) instead
  kRate,         // send the body at no more than N bytes per second
  kShortBody,    // announce the body's length, send N bytes fewer, close
  kHostilePage,  // answer with hostile page N (HostilePages.h) instead
};

const char *faultKindName(FaultKind kind);
std::optional<FaultKind> faultKindFromName(const QString &name);

struct FaultRule {
  FaultKind kind = FaultKind::kStatus;
  uint64_t value = 0;      // N of the kind above; unused for kIgnoreRange
  std::string pathPrefix;  // the request path must start with it; empty: every path
  int remaining = -1;      // requests still to be hit; -1: no limit
};

// Reads a rule from its JSON form:
//   {"kind": "close-after" | "ignore-range" | "status" | "rate" | "short-body" |
//            "hostile-page",
//    "value": N, "path": "/prefix", "count": K}
// "value" is required except for ignore-range; "path" defaults to every path and
// "count" to defaultCount. A status must lie in 100..599, a rate be positive,
// a hostile page be one of the pages (1 .. HostilePageCount).
std::optional<FaultRule> faultRuleFromJson(const QJsonObject &object, int defaultCount,
                                           QString *error);
QJsonObject faultRuleToJson(const FaultRule &rule);

// What one request gets: at most one rule of each kind, the first that matches.
struct FaultPlan {
  std::optional<uint64_t> closeAfter;
  bool ignoreRange = false;
  std::optional<int> status;
  std::optional<uint64_t> rate;
  std::optional<uint64_t> shortBody;
  std::optional<int> hostilePage;
  QJsonArray applied;  // the rules used, for the request log

  bool empty() const { return applied.isEmpty(); }
};

// The rules in force, shared by every connection thread.
class FaultSet {
 public:
  void add(FaultRule rule);
  void clear();
  // The plan for a request on path; counts the request against every rule
  // used and drops the rules that are used up.
  FaultPlan take(const std::string &path);
  QJsonArray describe() const;

 private:
  mutable std::mutex fMutex;
  std::vector<FaultRule> fRules;
};

}  // namespace zsvc
