#include "Dialogs.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(ScriptedDialogs, AnswersFromTheScriptAndHarmlessDefaults) {
  const QString log = TestEnvironment::makeTempDir("dialogs") + "/asked.log";
  ScriptedDialogs scripted("diskSpaceDownload=1, confirmation=1,importUrl=ftp://x", log);
  EXPECT_EQ(scripted.askDiskSpaceDownload(), 1);
  bool showAgain = false;
  EXPECT_TRUE(scripted.getConfirmation("Delete", "", "Remove it?", &showAgain));
  EXPECT_TRUE(showAgain);
  EXPECT_TRUE(scripted.getImportUrl().isNull()) << "only http and https addresses are imported";
  bool fromDisk = true;
  EXPECT_FALSE(scripted.getDeleteConfirmation(&fromDisk));
  EXPECT_FALSE(fromDisk);
  scripted.showAlert("message", "Title");
  EXPECT_EQ(scripted.asked(), QStringList({"diskSpaceDownload ", "confirmation Remove it?",
                                           "importUrl ", "deleteVideo ", "alert Title: message"}));
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().count('\n'), 5);
}

TEST(ScriptedDialogs, QuitWithDoNotAskAgainClearsTheSetting) {
  auto &defaults = UserDefaults::standardUserDefaults();
  defaults.setBool(true, "GeneralQuitConfirmationCancellation");
  ScriptedDialogs cancel("quit=1,doNotAskAgain=1");
  EXPECT_EQ(cancel.askQuit(), 1);
  EXPECT_TRUE(defaults.boolForKey("GeneralQuitConfirmationCancellation"));
  ScriptedDialogs quit("quit=0,doNotAskAgain=1");
  EXPECT_EQ(quit.askQuit(), 0);
  EXPECT_FALSE(defaults.boolForKey("GeneralQuitConfirmationCancellation"));
}
