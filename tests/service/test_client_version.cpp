#include "ApplicationIdentity.h"
#include "ServiceUtilities.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

TEST(ApplicationVersion, CutBeforeTheFirstCharacterThatIsNotADigitOrDot) {
  const struct {
    QString bundleVersion;
    QString expected;
  } cases[] = {
      {"1.2.3b4", "1.2.3"}, {"2.0.0.17", "2.0.0.17"}, {"b1", ""}, {"", ""},
      {"1.2 3", "1.2"},     {"10.4-rc1", "10.4"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Utilities::applicationVersion(c.bundleVersion), c.expected)
        << c.bundleVersion.toStdString();
  EXPECT_EQ(Utilities::applicationVersion(),
            Utilities::applicationVersion(ApplicationIdentity::bundleVersion()));
}

TEST(ClientVersionServiceString, NamesTheShortVersion) {
  EXPECT_EQ(
      Utilities::clientVersionServiceString(),
      "zaro-" + ApplicationIdentity::shortVersionString() + " service (MacOS; Safari; darwin)");
}

TEST(GetUUID, FreshUpperCaseStandardText) {
  static const QRegularExpression form(
      "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
  const QString a = Utilities::getUUID();
  const QString b = Utilities::getUUID();
  EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
  EXPECT_TRUE(form.match(b).hasMatch()) << b.toStdString();
  EXPECT_NE(a, b);
}

}  // namespace
