"""The library end to end, through the real player under Xvfb, driven the way a
user drives it: videos downloaded from the reference service through a
"zaro://" link handed over as a browser does, found in the library through
the accessibility tree; a double click plays one (its DATE_VIEWED set, its
start logged, the window back in the library at its end); the downloads view
and back; a new playlist from the playlists pop-up and a video dragged onto
it with real pointer events; the File menu's find on the service and show in
the file manager for the selection; the keyboard in the library (arrows,
Return plays, Space pauses, Escape leaves playback, Delete removes after the
confirmation).

With ZARO_UI_SCREENSHOTS set to a folder, the library with its details pane
and playlist is written there as main-window-library.png.
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
    "city-timelapse": "City lights: a time-lapse",
    "mountain-trail": "On the mountain trail",
    "cooking-basics-1": "Cooking Basics 1: Boiling water",
}


class LibraryEndToEndTest(unittest.TestCase):
    def test_download_play_switch_views_and_drop_on_a_playlist(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            workspace_log = os.path.join(desk.root, "workspace.log")
            dialog_log = os.path.join(desk.root, "dialogs.log")
            env = {"ZARO_DIALOG_ANSWERS": "update=0,deleteVideo=1,deleteFromDisk=1",
                   "ZARO_DIALOG_LOG": dialog_log, "ZARO_WORKSPACE_LOG": workspace_log}
            player = desk.start_in_library(PLAYER, url, env=env)

            # A link from the service's page, handed to the running player by
            # a second start, as the browser does.
            link = (f"zaro://cmd?command={DOWNLOAD_SEVERAL}&permalinkIds="
                    + ",".join(TITLES))
            desk.hand_over(PLAYER, url, link, env=env)
            zaroui.wait_until(lambda: player.sql("SELECT COUNT(*) FROM Videos;") == "4",
                              120, what="four videos in the library")
            ids = dict(line.split("|") for line in player.sql(
                "SELECT VIDEO_PERMALINK, id FROM Videos;").splitlines())
            for title in TITLES.values():
                player.find(role="list item", name=title)
            self.assertEqual(player.sql("SELECT COUNT(*) FROM Videos WHERE DATE_VIEWED <> '';"),
                             "0")

            # A double click plays the video in the window: it is marked
            # viewed and its start logged; at its end (four seconds) the
            # window is back in the library.
            desk.click(player.find(role="list item", name=TITLES["mountain-trail"]),
                       double=True)
            player.gone(role="push button", name="Browse By", timeout=10)
            viewed = zaroui.wait_until(lambda: player.sql(
                f"SELECT DATE_VIEWED FROM Videos WHERE id = {ids['mountain-trail']};"),
                20, what="the video marked viewed")
            self.assertRegex(viewed, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
            self.assertEqual(player.sql(
                "SELECT COUNT(*) FROM Videos WHERE DATE_VIEWED <> '';"), "1")
            zaroui.wait_until(lambda: "/ui/player/video/start|videoID=mountain-trail" in player.sql(
                "SELECT EVENT || '|' || PARAMETERS FROM LOG_RECORD;").splitlines(),
                20, what="the start in the usage log")
            player.find(role="list item", name=TITLES["mountain-trail"], timeout=30)
            player.find(role="push button", name="Browse By")

            # The downloads view and back to the library.
            desk.click(player.find(role="push button", name="Downloads"))
            player.find(role="push button", name="Clear Completed Downloads")
            player.gone(role="list", name="Library")
            desk.click(player.find(role="push button", name="Library"))
            player.find(role="list item", name=TITLES["ocean-sunrise"])
            player.gone(role="push button", name="Clear Completed Downloads")

            # A new playlist from the playlists pop-up: it is made, selected
            # and named in the pane.
            desk.click(player.find(role="push button", name="Playlists"))
            desk.click(player.find(role="menu item", name="New Playlist"))
            zaroui.wait_until(lambda: player.sql("SELECT Name FROM Playlists;") == "New Playlist",
                              10, what="the new playlist")
            playlist_id = player.sql("SELECT id FROM Playlists;")
            name_field = player.find(role="text", name="Playlist name")
            zaroui.wait_until(
                lambda: name_field.queryText().getText(0, -1) == "New Playlist", 10,
                what="the pane to show the playlist's name")
            self.assertEqual(player.sql("SELECT COUNT(*) FROM PlaylistEntries;"), "0")

            # A video dragged from the library onto the pane's list, with
            # real pointer events: the playlist holds it.
            pane_list = zaroui.wait_until(
                lambda: next((node for node in player.find_all(role="list")
                              if node.name != "Library"), None), 10, what="the playlist's list")
            desk.drag(player.find(role="list item", name=TITLES["ocean-sunrise"]), pane_list,
                      steps=20)
            zaroui.wait_until(lambda: player.sql(
                "SELECT PlaylistId, VideoId FROM PlaylistEntries;")
                == f"{playlist_id}|{ids['ocean-sunrise']}", 10, what="the video in the playlist")
            time.sleep(0.5)
            desk.keep_shot("main-window-library.png")

            # The File menu's find on the service and show in the file manager
            # take the library's selection (the dragged video).
            def workspace():
                if not os.path.exists(workspace_log):
                    return []
                with open(workspace_log) as f:
                    return f.read().splitlines()

            for item in ("Find on Zaro", "Show in File Manager"):
                desk.click(player.find(role="menu item", name="File"))
                desk.click(player.find(role="menu item", name=item))
            media = os.path.dirname(player.sql(
                f"SELECT PATH FROM Videos WHERE id = {ids['ocean-sunrise']};"))
            zaroui.wait_until(lambda: len(workspace()) == 2, 10, what="two workspace requests")
            self.assertEqual(workspace(), [f"openURL {url}/videos/ocean-sunrise",
                                           f"openFolder {media}"])

            # The keyboard where a click put it: Right goes to the next video
            # (by title), Return plays it, Space pauses it, Escape leaves
            # playback, and Delete removes the video after the confirmation
            # (answered yes, with its file).
            def log_events():
                return player.sql("SELECT EVENT FROM LOG_RECORD;").splitlines()

            desk.click(player.find(role="list item", name=TITLES["city-timelapse"]))
            desk.key("Right")
            desk.key("Return")
            player.gone(role="push button", name="Browse By", timeout=10)
            zaroui.wait_until(lambda: player.sql(
                f"SELECT DATE_VIEWED FROM Videos WHERE id = {ids['cooking-basics-1']};"),
                20, what="the next video played")
            desk.key("space")
            zaroui.wait_until(lambda: "/ui/player/pause" in log_events(), 10,
                              what="Space to pause")
            desk.key("Escape")
            player.find(role="push button", name="Browse By", timeout=10)
            path = player.sql(f"SELECT PATH FROM Videos WHERE id = {ids['cooking-basics-1']};")
            self.assertTrue(os.path.isfile(path))
            desk.key("Delete")
            zaroui.wait_until(lambda: player.sql("SELECT COUNT(*) FROM Videos;") == "3", 10,
                              what="the video removed")
            player.gone(role="list item", name=TITLES["cooking-basics-1"])
            self.assertFalse(os.path.exists(path))
            with open(dialog_log) as f:
                self.assertIn("deleteVideo", f.read())

            # Nothing else changed on the way: three videos, the first one
            # played still viewed, the playlist holding its video.
            self.assertEqual(player.sql("SELECT id FROM Videos WHERE DATE_VIEWED <> '';"),
                             ids["mountain-trail"])
            self.assertEqual(player.sql("SELECT VideoId FROM PlaylistEntries;"),
                             ids["ocean-sunrise"])
            self.assertEqual(player.sql("PRAGMA integrity_check;"), "ok")
            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
