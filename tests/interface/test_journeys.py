"""Short journeys through the real player under Xvfb with a window manager,
each of which once ended the player or left it lost, driven with real keys
and clicks:

- a video selected in the library, then letters and the menus' shortcuts
  (Ctrl+F, Ctrl+comma, Ctrl+1) pressed; and the same after watching a video
  and coming back;
- the guide opened for the first time after a video played;
- full screen closed by the window manager (Alt+F4): back in the window's
  playback, full screen again with Ctrl+Shift+F.
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]

DOWNLOAD_SEVERAL = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C"
TITLES = {
    "ocean-sunrise": "Sunrise over the ocean",
    "mountain-trail": "On the mountain trail",
}


class JourneysTest(unittest.TestCase):
    def alive(self, player, what):
        time.sleep(0.5)
        status = player.proc.poll()
        if status is not None:
            with open(os.path.join(self.desk.root, "player.log"), errors="replace") as log:
                tail = log.read()[-4000:]
            self.fail(f"the player ended with {status} after {what}\n{tail}")

    def test_keys_guide_and_full_screen_after_watching(self):
        with zaroui.Desktop(window_manager=True) as desk:
            self.desk = desk
            url = desk.start_service(SERVICE)
            env = {"ZARO_DIALOG_ANSWERS": "update=0",
                   "ZARO_WORKSPACE_LOG": os.path.join(desk.root, "workspace.log")}
            player = desk.start_in_library(PLAYER, url, env=env)
            desk.hand_over(PLAYER, url, f"zaro://cmd?command={DOWNLOAD_SEVERAL}&permalinkIds="
                           + ",".join(TITLES), env=env)
            zaroui.wait_until(lambda: player.sql("SELECT COUNT(*) FROM Videos;") == "2",
                              120, what="two videos in the library")

            # A video selected, then keys and shortcuts where the focus is.
            desk.click(player.find(role="list item", name=TITLES["ocean-sunrise"]))
            for key in ("a", "z", "ctrl+1", "ctrl+f"):
                desk.key(key)
                self.alive(player, f"pressing {key} over the selected video")
            desk.key("Escape")
            desk.click(player.find(role="list item", name=TITLES["ocean-sunrise"]))
            desk.key("ctrl+comma")
            self.alive(player, "pressing Ctrl+comma over the selected video")
            player.find(role="dialog", name="Settings")
            desk.key("Escape")
            player.gone(role="dialog", name="Settings")

            # Watch, come back (Escape), press the shortcut again.
            desk.click(player.find(role="list item", name=TITLES["mountain-trail"]), double=True)
            player.gone(role="push button", name="Browse By", timeout=15)
            desk.key("Escape")
            player.find(role="push button", name="Browse By", timeout=15)
            desk.key("ctrl+comma")
            self.alive(player, "Ctrl+comma after watching a video")
            player.find(role="dialog", name="Settings")
            desk.key("Escape")
            player.gone(role="dialog", name="Settings")

            # The guide, opened for the first time after a video played.
            desk.click(player.find(role="push button", name="Zaro Guide"))
            self.alive(player, "opening the guide after watching")
            desk.key("ctrl+1")
            player.find(role="push button", name="Browse By", timeout=15)

            # Full screen, closed by the window manager.
            desk.click(player.find(role="list item", name=TITLES["mountain-trail"]), double=True)
            player.gone(role="push button", name="Browse By", timeout=15)
            desk.key("ctrl+shift+f")
            frame = player.find(role="frame", name="Zaro Player Full Screen", timeout=15)
            desk.key("alt+F4")
            player.gone(role="frame", name="Zaro Player Full Screen", timeout=15)
            self.alive(player, "closing full screen with Alt+F4")
            # Still in the window's playback: full screen again works.
            desk.key("ctrl+shift+f")
            player.find(role="frame", name="Zaro Player Full Screen", timeout=15)
            desk.key("Escape")
            player.gone(role="frame", name="Zaro Player Full Screen", timeout=15)
            self.assertIsNotNone(frame)
            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
