// Help > About: the version, the licence, the libraries with the versions
// they report, and the project's link going to the browser.
#include "AboutWindow.h"
#include "ApplicationIdentity.h"
#include "ComponentVersions.h"
#include "Workspace.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

TEST(AboutWindow, NamesTheVersionTheLibrariesAndOpensTheProjectInTheBrowser) {
  const QList<ComponentVersions::Component> components = ComponentVersions::components();
  QStringList names;
  for (const auto &component : components) {
    SCOPED_TRACE(component.name.toStdString());
    names << component.name;
    // A version as the library reports it: numbers, without its own name.
    EXPECT_TRUE(component.version.contains(QRegularExpression("\\d+\\.\\d+")))
        << component.version.toStdString();
    EXPECT_FALSE(component.version.startsWith(component.name, Qt::CaseInsensitive));
  }
  EXPECT_EQ(names, QStringList({"Qt", "libmpv", "FFmpeg", "SQLite", "OpenSSL", "expat"}));
  EXPECT_EQ(components.first().version, QString::fromLatin1(qVersion()));

  auto recording = std::make_unique<RecordingWorkspace>();
  RecordingWorkspace *workspace = recording.get();
  Workspace::setShared(std::move(recording));
  AboutWindow window;
  window.show();
  EXPECT_TRUE(window.versionLabel()->text().contains(ApplicationIdentity::shortVersionString()));
  for (const auto &component : components)
    EXPECT_TRUE(window.componentsLabel()->text().contains(component.name + " " +
                                                          component.version));
  EXPECT_FALSE(window.linkLabel()->accessibleName().isEmpty());
  emit window.linkLabel()->linkActivated(AboutWindow::projectAddress());
  EXPECT_EQ(workspace->requests(), QStringList{"openURL https://zaro.tv/"});

  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  Workspace::setShared(nullptr);
}
