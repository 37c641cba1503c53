"""The interface harness itself: the real player under Xvfb shows up on the
accessibility bus, and a real click on a menu opens it."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]


class HarnessTest(unittest.TestCase):
    def test_player_tree_and_real_click(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            desk.write_settings(FirstLaunch=False)  # no welcome window over the menus
            player = desk.start_player(PLAYER, url, env={"ZARO_DIALOG_ANSWERS": "update=0"})
            frame = player.find(role="frame")
            self.assertTrue(frame.name)
            view = player.find(role="menu item", name="View")
            desk.click(view)
            zaroui.wait_until(lambda: player.find(role="menu item", name="Downloads", timeout=1),
                              10, what="the View menu to open")
            desk.key("Escape")
            shot = desk.screenshot(os.path.join(desk.root, "smoke.png"))
            self.assertGreater(os.path.getsize(shot), 0)
            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
