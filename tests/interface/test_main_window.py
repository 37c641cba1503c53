"""The main window through the real player under Xvfb, driven the way a user
drives it: the welcome window of the first start and its page, the chrome's
controls found by role and name, Tab from area to area, Space and Return on
the view switcher, the guide view and a download link on its page, and a
later start without the welcome window.

With ZARO_UI_SCREENSHOTS set to a folder, the screenshots of the welcome
window and the main window are written there (docs/screenshots/ holds them).
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]


class MainWindowTest(unittest.TestCase):
    def test_first_start_keyboard_views_and_a_later_start(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            env = {"ZARO_DIALOG_ANSWERS": "update=0"}
            player = desk.start_player(PLAYER, url, env=env)

            # The first start: the welcome window over the main window, with
            # the service's welcome page shown (not the loading message).
            welcome = player.find(role="frame", name="Welcome to Zaro Player", timeout=40)
            player.find(role="document web", timeout=30)
            zaroui.wait_until(
                lambda: not player.find_all(role="label", name="Loading the page\u2026"),
                30, what="the welcome page")
            # The page's contents are open to assistive technology.
            player.find(role="heading", name="Welcome to Zaro Player", timeout=20)
            time.sleep(1)
            desk.keep_shot("welcome-window.png")
            desk.click(player.find(role="push button", name="Start Using Zaro Player"))
            player.gone(role="frame", name="Welcome to Zaro Player")

            # The main window and its skinned controls, each a named button.
            main = player.find(role="frame", name="Zaro Player")
            self.assertNotEqual(main, welcome)
            for name in ("Zaro Guide", "Library", "Downloads", "Minimize", "Zoom", "Close",
                         "Browse By", "Thumbnails", "Details", "Import", "Playlists"):
                player.find(role="push button", name=name)
            player.find(role="text", name="Search the Library")
            desk.keep_shot("main-window.png")

            # Tab goes from area to area: the view switcher, the window
            # buttons, the library's toolbar, the sort bar, the library.
            names = []
            for _ in range(24):
                desk.key("Tab")
                time.sleep(0.15)
                focused = player.focused()
                names.append(focused.name if focused is not None else None)
            print("tab order:", names)
            for before, after in (("Zaro Guide", "Library"), ("Library", "Downloads"),
                                  ("Close", "Browse By"), ("Browse By", "Thumbnails"),
                                  ("Details", "Import"), ("Import", "Title")):
                self.assertIn(before, names)
                self.assertIn(after, names)
                self.assertLess(names.index(before), names.index(after), names)

            # Space on the downloads button shows the downloads and their
            # button; Return on the library button brings the library back.
            while player.focused() is None or player.focused().name != "Downloads":
                desk.key("Tab")
                time.sleep(0.1)
            desk.key("space")
            player.find(role="push button", name="Clear Completed Downloads")
            player.gone(role="push button", name="Browse By")
            desk.key("shift+Tab")
            time.sleep(0.2)
            self.assertEqual(player.focused().name, "Library")
            desk.key("Return")
            player.find(role="push button", name="Browse By")
            player.gone(role="push button", name="Clear Completed Downloads")

            # The guide: the service's page in the window.
            desk.click(player.find(role="push button", name="Zaro Guide"))
            player.find(role="document web", timeout=30)
            player.gone(role="push button", name="Browse By")
            zaroui.wait_until(
                lambda: not player.find_all(role="label", name="Loading the page\u2026"),
                30, what="the guide page")
            time.sleep(1)
            desk.keep_shot("guide-view.png")
            # A video's download link on the page queues the video and loads
            # nothing: the video arrives in the library, the page stays.
            page = player.find(role="document web", name="Zaro Guide - Zaro", timeout=20)
            downloads = zaroui.wait_until(
                lambda: [node for node in player.find_all(role="link", name="Download")], 20,
                what="the videos' download links")
            self.assertEqual(len(downloads), 4)
            desk.click(downloads[1])
            zaroui.wait_until(lambda: player.sql("SELECT TITLE FROM Videos;")
                              == "City lights: a time-lapse", 60, what="the video downloaded")
            self.assertEqual(player.find(role="document web").name, page.name)
            desk.key("ctrl+1")
            player.find(role="push button", name="Browse By")
            player.stop()
            self.assertEqual(player.proc.returncode, 0)

            # A later start: no welcome window, the view it was left in.
            player = desk.start_player(PLAYER, url, env=env)
            player.find(role="frame", name="Zaro Player", timeout=40)
            player.find(role="push button", name="Browse By")
            time.sleep(2)
            self.assertEqual(player.find_all(role="frame", name="Welcome to Zaro Player"), [])
            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
