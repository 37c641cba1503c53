#include "Faults.h"

#include "HostilePages.h"

#include <QJsonValue>

namespace zsvc {

namespace {

struct KindName {
  FaultKind kind;
  const char *name;
};

constexpr KindName kKindNames[] = {
    {FaultKind::kCloseAfter, "close-after"}, {FaultKind::kIgnoreRange, "ignore-range"},
    {FaultKind::kStatus, "status"},          {FaultKind::kRate, "rate"},
    {FaultKind::kShortBody, "short-body"},   {FaultKind::kHostilePage, "hostile-page"},
};

}  // namespace

const char *faultKindName(FaultKind kind) {
  for (const KindName &entry : kKindNames)
    if (entry.kind == kind) return entry.name;
  return "?";
}

std::optional<FaultKind> faultKindFromName(const QString &name) {
  for (const KindName &entry : kKindNames)
    if (name == QLatin1String(entry.name)) return entry.kind;
  return std::nullopt;
}

std::optional<FaultRule> faultRuleFromJson(const QJsonObject &object, int defaultCount,
                                           QString *error) {
  const std::optional<FaultKind> kind = faultKindFromName(object.value("kind").toString());
  if (!kind) {
    *error = QStringLiteral("unknown fault kind \"%1\"").arg(object.value("kind").toString());
    return std::nullopt;
  }
  FaultRule rule;
  rule.kind = *kind;

  const QJsonValue value = object.value("value");
  if (rule.kind != FaultKind::kIgnoreRange) {
    // JSON numbers are doubles: whole non-negative values up to 2^53 are exact.
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 ||
        number != static_cast<double>(static_cast<int64_t>(number)) ||
        number > 9007199254740992.0) {
      *error = QStringLiteral("fault \"%1\" needs a whole non-negative \"value\"")
                   .arg(faultKindName(rule.kind));
      return std::nullopt;
    }
    rule.value = static_cast<uint64_t>(number);
  }
  if (rule.kind == FaultKind::kStatus && (rule.value < 100 || rule.value > 599)) {
    *error = QStringLiteral("status %1 is not an HTTP status").arg(rule.value);
    return std::nullopt;
  }
  if (rule.kind == FaultKind::kHostilePage &&
      (rule.value < 1 || rule.value > uint64_t(HostilePageCount))) {
    *error = QStringLiteral("a hostile page is numbered 1 to %1").arg(HostilePageCount);
    return std::nullopt;
  }
  if (rule.kind == FaultKind::kRate && rule.value == 0) {
    *error = QStringLiteral("a rate must be at least 1 byte per second");
    return std::nullopt;
  }

  rule.pathPrefix = object.value("path").toString().toStdString();
  const QJsonValue count = object.value("count");
  if (count.isUndefined() || count.isNull()) {
    rule.remaining = defaultCount;
  } else if (count.isDouble() && count.toInt(-2) >= 1) {
    rule.remaining = count.toInt();
  } else {
    *error = QStringLiteral("\"count\" must be a whole number of at least 1");
    return std::nullopt;
  }
  return rule;
}

QJsonObject faultRuleToJson(const FaultRule &rule) {
  QJsonObject object{{"kind", faultKindName(rule.kind)}};
  if (rule.kind != FaultKind::kIgnoreRange) object["value"] = static_cast<qint64>(rule.value);
  if (!rule.pathPrefix.empty()) object["path"] = QString::fromStdString(rule.pathPrefix);
  if (rule.remaining >= 0) object["count"] = rule.remaining;
  return object;
}

void FaultSet::add(FaultRule rule) {
  std::lock_guard lock(fMutex);
  fRules.push_back(std::move(rule));
}

void FaultSet::clear() {
  std::lock_guard lock(fMutex);
  fRules.clear();
}

FaultPlan FaultSet::take(const std::string &path) {
  std::lock_guard lock(fMutex);
  FaultPlan plan;
  bool used[std::size(kKindNames)] = {};
  for (FaultRule &rule : fRules) {
    const auto kindIndex = static_cast<size_t>(rule.kind);
    if (used[kindIndex] || rule.remaining == 0) continue;
    if (path.compare(0, rule.pathPrefix.size(), rule.pathPrefix) != 0) continue;
    used[kindIndex] = true;
    plan.applied.append(faultRuleToJson(rule));
    if (rule.remaining > 0) --rule.remaining;
    switch (rule.kind) {
      case FaultKind::kCloseAfter:
        plan.closeAfter = rule.value;
        break;
      case FaultKind::kIgnoreRange:
        plan.ignoreRange = true;
        break;
      case FaultKind::kStatus:
        plan.status = static_cast<int>(rule.value);
        break;
      case FaultKind::kRate:
        plan.rate = rule.value;
        break;
      case FaultKind::kShortBody:
        plan.shortBody = rule.value;
        break;
      case FaultKind::kHostilePage:
        plan.hostilePage = static_cast<int>(rule.value);
        break;
    }
  }
  std::erase_if(fRules, [](const FaultRule &rule) { return rule.remaining == 0; });
  return plan;
}

QJsonArray FaultSet::describe() const {
  std::lock_guard lock(fMutex);
  QJsonArray rules;
  for (const FaultRule &rule : fRules) rules.append(faultRuleToJson(rule));
  return rules;
}

}  // namespace zsvc
