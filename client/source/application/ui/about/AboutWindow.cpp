#include "AboutWindow.h"

#include "ApplicationIdentity.h"
#include "ComponentVersions.h"
#include "Localization.h"
#include "Workspace.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel *plainLabel(const QString &text, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

QString AboutWindow::projectAddress() { return QStringLiteral("https://zaro.tv/"); }

AboutWindow::AboutWindow(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutWindow"));
  setWindowTitle(localized(QStringLiteral("aboutWindowTitle")));
  setAccessibleName(windowTitle());

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(24, 20, 24, 16);
  column->setSpacing(10);

  QLabel *name = plainLabel(ApplicationIdentity::applicationName(), this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  name->setFont(big);
  column->addWidget(name);

  QString version = ApplicationIdentity::shortVersionString();
  if (ApplicationIdentity::bundleVersion() != version)
    version += QStringLiteral(" (") + ApplicationIdentity::bundleVersion() + QLatin1Char(')');
  fVersion = plainLabel(localizedFormat(QStringLiteral("aboutWindowVersion"), {version}), this);
  fVersion->setObjectName(QStringLiteral("AboutVersion"));
  column->addWidget(fVersion);

  QLabel *licence = plainLabel(localized(QStringLiteral("aboutWindowLicence")), this);
  licence->setObjectName(QStringLiteral("AboutLicence"));
  column->addWidget(licence);

  QStringList lines{localized(QStringLiteral("aboutWindowBuiltWith"))};
  for (const ComponentVersions::Component &component : ComponentVersions::components())
    lines << QStringLiteral("  ") + component.name + QStringLiteral(" ") + component.version;
  fComponents = plainLabel(lines.join(QLatin1Char('\n')), this);
  fComponents->setObjectName(QStringLiteral("AboutComponents"));
  column->addWidget(fComponents);

  // A link drawn as one; the click goes to the user's browser, never inside.
  fLink = new QLabel(this);
  fLink->setObjectName(QStringLiteral("AboutLink"));
  fLink->setTextFormat(Qt::RichText);
  fLink->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(projectAddress().toHtmlEscaped()));
  fLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  fLink->setAccessibleName(localized(QStringLiteral("aboutWindowProjectLink")));
  fLink->setAccessibleDescription(projectAddress());
  connect(fLink, &QLabel::linkActivated, this,
          [](const QString &link) { Workspace::shared().openURL(QUrl(link)); });
  column->addWidget(fLink);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  fClose = buttons->button(QDialogButtonBox::Close);
  fClose->setObjectName(QStringLiteral("AboutClose"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
  setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
}
