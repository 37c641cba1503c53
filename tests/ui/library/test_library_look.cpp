// What the library view looks like: its rows drawn with the default skin.
#include "LibraryViewFixture.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"

#include <QDir>

using LibraryLookTest = LibraryViewTest;

TEST_F(LibraryLookTest, DrawsGroupsAndVideos) {
  const QColor colors[] = {QColor(0x3465a4), QColor(0xcc0000), QColor(0x4e9a06), QColor(0xc4a000)};
  for (int i = 0; i < 12; ++i)
    addLibraryVideo({QStringLiteral("Video number %1 with a long title").arg(i + 1),
                     i % 3 == 0 ? "Blue Studio" : i % 3 == 1 ? "Red Films" : "",
                     "", colors[i % 4]});
  ZLibraryViewContainer &container = makeContainer(1, QSize(900, 700));
  const QString shots = qEnvironmentVariable("ZARO_SHOTS_DIR");
  if (!shots.isEmpty()) {
    QDir().mkpath(shots);
    container.grab().save(shots + "/library-thumbnails.png");
    container.switchToDetailsView();
    container.grab().save(shots + "/library-details.png");
  }
}
