"""Playback end to end, through the real player under Xvfb, driven the way a
user drives it: two videos downloaded from the reference service (one of
them slowed down by the service's rate fault) through a handed-over
"zaro://" link; the finished one played; its bars found through the
accessibility tree (play and pause swapping, the position slider moving,
the volume and mute controls); full screen entered with the F key, its bars
shown by the mouse, left with Escape while the video plays on (one start in
the usage log), and entered and left again with F.

With ZARO_UI_SCREENSHOTS set to a folder, the full-screen player with its
bars is written there as playback-fullscreen-e2e.png.
"""

import json
import os
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]
SOURCE = os.environ["ZARO_SOURCE_DIR"]
SHOTS = os.environ.get("ZARO_UI_SCREENSHOTS")

DOWNLOAD_SEVERAL = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C"
LONG = ("long-voyage", "A long voyage")
SLOW = ("slow-river", "The slow river")


def make_catalog(folder):
    """A catalog of two videos long enough to watch: two minutes and half a
    minute."""
    os.makedirs(os.path.join(folder, "media"))
    os.makedirs(os.path.join(folder, "images"))
    demo = os.path.join(SOURCE, "tools", "zaro-service", "demo", "images")
    shutil.copy(os.path.join(demo, "ocean-sunrise.jpg"), os.path.join(folder, "images"))
    for (permalink, _), seconds in ((LONG, 120), (SLOW, 30)):
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi",
                        "-i", "testsrc2=size=320x180:rate=15", "-t", str(seconds), "-c:v", "libx264",
                        "-pix_fmt", "yuv420p",
                        os.path.join(folder, "media", permalink + ".mp4")], check=True)
    catalog = {
        "images": {"poster": "images/ocean-sunrise.jpg"},
        "publishers": [{"id": "zaro-studio", "name": "Zaro Studio"}],
        "videos": [
            {"permalink": permalink, "title": title, "file": f"media/{permalink}.mp4",
             "icon": "poster", "publisher": "zaro-studio", "duration": seconds,
             "fileHash": permalink.replace("-", "")}
            for (permalink, title), seconds in ((LONG, 120), (SLOW, 30))
        ],
    }
    with open(os.path.join(folder, "catalog.json"), "w") as f:
        json.dump(catalog, f)


def focus_window(desk):
    """Gives the player's window the keyboard: there is no window manager
    under Xvfb to do it when the window is clicked."""
    desk.xdotool("search", "--sync", "--onlyvisible", "--name", "^Zaro Player$",
                 "windowfocus", "--sync")


def show_bars(desk, player):
    """Moves the mouse over the full-screen movie until its bars show;
    answers the leave button."""
    def moved():
        for dx in (0, 30):
            desk.xdotool("mousemove", "--sync", desk.width // 2 + dx, desk.height // 2)
        return player.find(role="push button", name="Leave full screen", timeout=1)

    return zaroui.wait_until(lambda: _quietly(moved), 15, what="the full-screen bars")


def _quietly(call):
    try:
        return call()
    except zaroui.WaitTimeout:
        return None


def keep_shot(desk, name):
    path = desk.screenshot(os.path.join(desk.root, name))
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        shutil.copy(path, os.path.join(SHOTS, name))
    return path


class PlaybackEndToEndTest(unittest.TestCase):
    def test_play_a_download_with_its_bars_and_full_screen_from_the_keyboard(self):
        with zaroui.Desktop() as desk:
            catalog = os.path.join(desk.root, "catalog")
            make_catalog(catalog)
            # The slow video's file comes at 4 KB a second.
            slow_file = "/cache/external/" + SLOW[0].replace("-", "")
            url = desk.start_service(SERVICE, args=("--catalog", catalog, "--fault-rate", "4000",
                                                    "--fault-path", slow_file))
            desk.write_settings(FirstLaunch=False, DownloadMaxSimultaneousCount=2)
            env = {"ZARO_DIALOG_ANSWERS": "update=0"}
            player = desk.start_player(PLAYER, url, env=env)
            player.find(role="push button", name="Browse By", timeout=40)

            link = f"zaro://cmd?command={DOWNLOAD_SEVERAL}&permalinkIds={LONG[0]},{SLOW[0]}"
            second = desk.start_player(PLAYER, url, args=[link], env=env)
            self.assertEqual(second.proc.wait(30), 0)
            zaroui.wait_until(lambda: player.sql(
                f"SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = '{LONG[0]}';") == "1",
                60, what="the first video in the library")
            # The slow one is still on its way.
            self.assertEqual(player.sql(
                f"SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = '{SLOW[0]}';"), "0")
            video = player.sql(f"SELECT id FROM Videos WHERE VIDEO_PERMALINK = '{LONG[0]}';")

            # Played from the library: the window's bars.
            desk.click(player.find(role="list item", name=LONG[1]), double=True)
            pause = player.find(role="push button", name="Pause", timeout=20)
            player.gone(role="push button", name="Play")
            position = player.find(role="slider", name="Position in the video")
            value = position.queryValue()
            self.assertGreater(value.maximumValue, 25)
            zaroui.wait_until(lambda: value.currentValue >= 1, 10, what="the slider to move")
            player.find(role="slider", name="Volume")
            player.find(role="push button", name="Mute")
            player.find(role="push button", name="Watch full screen")

            # Pause and play with the bar's buttons: they swap.
            desk.click(pause)
            play = player.find(role="push button", name="Play", timeout=10)
            player.gone(role="push button", name="Pause")
            desk.click(play)
            player.find(role="push button", name="Pause", timeout=10)

            # F: full screen. A mouse move shows its bars with the leave button.
            focus_window(desk)
            desk.key("f")
            player.find(role="frame", name="Zaro Player Full Screen", timeout=15)
            width, height = desk.width, desk.height
            leave = show_bars(desk, player)
            ext = leave.queryComponent().getExtents(0)
            self.assertGreater(ext.x, width - 100)  # at the right edge of the screen
            player.find(role="slider", name="Position in the video")
            time.sleep(0.5)
            keep_shot(desk, "playback-fullscreen-e2e.png")

            # Escape leaves it; the video plays on without starting again.
            desk.key("Escape")
            player.gone(role="frame", name="Zaro Player Full Screen", timeout=15)
            before = value.currentValue
            zaroui.wait_until(lambda: value.currentValue > before, 10,
                              what="the video to go on in the window")
            starts = player.sql("SELECT COUNT(*) FROM LOG_RECORD WHERE EVENT = "
                                "'/ui/player/video/start' AND PARAMETERS = "
                                f"'videoID={LONG[0]}';")
            self.assertEqual(starts, "1")

            # F goes in again, and in full screen F comes back.
            focus_window(desk)
            desk.key("f")
            player.find(role="frame", name="Zaro Player Full Screen", timeout=15)
            desk.key("f")  # the full-screen window took the keyboard as it opened
            player.gone(role="frame", name="Zaro Player Full Screen", timeout=15)
            self.assertEqual(player.sql(
                f"SELECT DATE_VIEWED <> '' FROM Videos WHERE id = {video};"), "1")

            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
