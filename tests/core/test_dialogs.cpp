#include "Dialogs.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

TEST(ScriptedDialogs, QuitWithDoNotAskAgainClearsTheSetting) {
  auto &defaults = UserDefaults::standardUserDefaults();
  defaults.setBool(true, "GeneralQuitConfirmationCancellation");
  ScriptedDialogs cancel("quit=1,doNotAskAgain=1");
  EXPECT_EQ(cancel.askQuit(false), 1);
  EXPECT_TRUE(defaults.boolForKey("GeneralQuitConfirmationCancellation"));
  ScriptedDialogs quit("quit=0,doNotAskAgain=1");
  EXPECT_EQ(quit.askQuit(true), 0);
  EXPECT_FALSE(defaults.boolForKey("GeneralQuitConfirmationCancellation"));
}
