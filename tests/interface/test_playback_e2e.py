"""The downloads page and playback end to end, through the real player under
Xvfb, driven the way a user drives it: two videos downloaded from the
reference service through a handed-over "zaro://" link, both followed on the
downloads page as assistive technology follows them (each row's progress bar
moving between 0 and 100, the speed in the row's description, the changes
announced on the accessibility bus about once a second); the slow one (held back by
the service's rate fault) stopped with its row's button after the
confirmation; the other played with its row's button once it is finished.
While it plays: the window's bars through the accessibility tree (play and
pause swapping, the position slider moving, the volume controls), full
screen entered with the F key, its bars shown by the mouse (mute pressed
through the tree gives way to unmute), left with Escape
while the video plays on (one start in the usage log, no stop), and entered
and left again with F.

With ZARO_UI_SCREENSHOTS set to a folder, the downloads page with both rows
running and the full-screen player with its bars are written there as
downloads-page-e2e.png and playback-fullscreen-e2e.png.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]
SOURCE = os.environ["ZARO_SOURCE_DIR"]

DOWNLOAD_SEVERAL = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C"
# permalink, title, seconds
LONG = ("long-voyage", "A long voyage", 120)
SLOW = ("slow-river", "The slow river", 30)
# A row's description while its download runs: "12.5 KB/s, 8 s left" (the
# time once it is known).
RUNNING = re.compile(r"^(?P<speed>[\d.]+) (KB|bytes)/s(, .+ left)?$")


def media_path(video):
    """Where the service serves a video's file (its hash is the permalink
    without dashes)."""
    return "/cache/external/" + video[0].replace("-", "")


def make_catalog(folder):
    """A catalog of two videos long enough to watch: two minutes and half a
    minute (about 2.5 MB and 0.6 MB)."""
    os.makedirs(os.path.join(folder, "media"))
    os.makedirs(os.path.join(folder, "images"))
    demo = os.path.join(SOURCE, "tools", "zaro-service", "demo", "images")
    shutil.copy(os.path.join(demo, "ocean-sunrise.jpg"), os.path.join(folder, "images"))
    for permalink, _, seconds in (LONG, SLOW):
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
            for permalink, title, seconds in (LONG, SLOW)
        ],
    }
    with open(os.path.join(folder, "catalog.json"), "w") as f:
        json.dump(catalog, f)


def add_fault(url, rule):
    request = urllib.request.Request(url + "/_control/faults", method="POST",
                                     data=json.dumps(rule).encode(),
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=10) as answer:
        return json.loads(answer.read())


def focus_window(desk):
    """Gives the player's window the keyboard: there is no window manager
    under Xvfb to do it when the window is clicked."""
    desk.xdotool("search", "--sync", "--onlyvisible", "--name", "^Zaro Player$",
                 "windowfocus", "--sync")


FULL_SCREEN_CONTROLS = {("push button", "Leave full screen"),
                        ("slider", "Position in the video"), ("push button", "Pause"),
                        ("push button", "Stop"), ("push button", "Mute"),
                        ("push button", "Louder"), ("push button", "Softer")}


def full_screen_bars(desk, player, frame, names=FULL_SCREEN_CONTROLS):
    """Moves the mouse over the full-screen movie until its bars show, and
    answers their controls by name. The bars hide again 6 s after they
    showed, so all of them are looked up in one go, and again after a new
    move when they hid in between (a loaded machine walks the tree slowly)."""
    step = [0]

    def shown():
        step[0] += 1
        desk.xdotool("mousemove", "--sync", desk.width // 2 + 20 * (step[0] % 2),
                     desk.height // 2)
        found = {}
        for node in player.find_all(within=frame):
            key = (node.getRoleName(), node.name)
            if key in names:
                found[key] = node
        return found if len(found) == len(names) else None

    return zaroui.wait_until(shown, 30, interval=0.3, what="the full-screen bars")


def download_rows(player):
    """The rows in sight on the downloads page, by title."""
    listing = player.find(role="list", name="Downloads", timeout=1)
    return {node.name: node for node in player.find_all(role="list item", within=listing)}


def progress_of(player, row):
    """A row's progress bar: its value (0 to 100) and its text ("42.0%")."""
    bar = player.find(role="progress bar", name="Progress", within=row, timeout=1)
    value = bar.queryValue()
    return value.currentValue, value.minimumValue, value.maximumValue


def listen(event_types, seconds):
    """The accessibility events of these types that arrive in the next
    seconds, each as (type, the source's role, the name of the source's
    row: its own for a row, its parent's for a row's progress bar)."""
    import pyatspi
    from gi.repository import GLib
    got = []

    def on(event):
        try:
            role = event.source.getRoleName()
            row = event.source.parent.name if role == "progress bar" else event.source.name
            got.append((str(event.type), role, row))
        except Exception:  # gone meanwhile
            pass

    for kind in event_types:
        pyatspi.Registry.registerEventListener(on, kind)
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()
    for kind in event_types:
        pyatspi.Registry.deregisterEventListener(on, kind)
    return got


class PlaybackEndToEndTest(unittest.TestCase):
    def test_downloads_page_then_play_with_the_bars_and_full_screen(self):
        with zaroui.Desktop() as desk:
            catalog = os.path.join(desk.root, "catalog")
            make_catalog(catalog)
            # The slow video comes at 4 KB a second (minutes); the long one,
            # at 200 KB a second, takes some 13 s: long enough to be seen on
            # its way.
            url = desk.start_service(SERVICE, args=("--catalog", catalog, "--fault-rate", "4000",
                                                    "--fault-path", media_path(SLOW)))
            add_fault(url, {"kind": "rate", "value": 200000, "path": media_path(LONG),
                            "count": 20})
            dialog_log = os.path.join(desk.root, "dialogs.log")
            player = desk.start_in_library(
                PLAYER, url, DownloadMaxSimultaneousCount=2,
                env={"ZARO_DIALOG_ANSWERS": "update=0,confirmation=1",
                     "ZARO_DIALOG_LOG": dialog_log})
            try:
                self.downloads_page(desk, player, url, dialog_log)
                self.playback(desk, player)
            except Exception:
                print(player.dump(), file=sys.stderr)
                desk.keep_shot("failure.png")
                raise
            player.stop()
            self.assertEqual(player.proc.returncode, 0)

    def downloads_page(self, desk, player, url, dialog_log):
        desk.click(player.find(role="push button", name="Downloads"))
        player.find(role="push button", name="Clear Completed Downloads")
        link = f"zaro://cmd?command={DOWNLOAD_SEVERAL}&permalinkIds={LONG[0]},{SLOW[0]}"
        desk.hand_over(PLAYER, url, link)

        # Both rows, each with a speed in its description and its progress
        # bar above nothing.
        def both_running():
            rows = download_rows(player)
            if any(title not in rows for title in (LONG[1], SLOW[1])):
                return None
            for title in (LONG[1], SLOW[1]):
                speed = RUNNING.match(rows[title].description)
                value, low, high = progress_of(player, rows[title])
                if not speed or float(speed["speed"]) <= 0 or not 0 < value < 100:
                    return None
                self.assertEqual((low, high), (0, 100))
            return rows

        running = zaroui.wait_until(both_running, 60, what="both downloads running")
        desk.keep_shot("downloads-page-e2e.png")

        # The bars move, and the bus hears of it: each row's bar and
        # description about once a second, however often the transfer
        # moves them (the slow one's percentage moves several times a second).
        before = progress_of(player, running[LONG[1]])[0]
        seconds = 4
        events = listen(["object:property-change:accessible-value",
                         "object:property-change:accessible-description"], seconds)
        after = progress_of(player, running[LONG[1]])[0]
        self.assertGreater(after, before)
        self.assertLess(after, 100)
        for title in (LONG[1], SLOW[1]):
            values = [e for e in events if e[1:] == ("progress bar", title)]
            descriptions = [e for e in events if e[1:] == ("list item", title)]
            self.assertTrue(values, events)
            self.assertLessEqual(len(values), seconds + 2, events)
            self.assertLessEqual(len(descriptions), seconds + 2, events)
        self.assertTrue([e for e in events if e[1:] == ("list item", LONG[1])], events)

        # Stop the slow one with its row's button, answering the
        # confirmation: its row goes, nothing of it reaches the library.
        desk.click(player.find(role="push button", name="Stop", within=running[SLOW[1]]))
        zaroui.wait_until(lambda: list(download_rows(player)) == [LONG[1]], 20,
                          what="the slow row gone")
        with open(dialog_log) as f:
            self.assertIn("confirmation Stop this download?", f.read())

        # The other finishes: its row says so and its button plays.
        def finished():
            row = download_rows(player).get(LONG[1])
            if row is None or not row.description.startswith("Finished"):
                return None
            return player.find(role="push button", name="Play", within=row, timeout=1)

        play = zaroui.wait_until(finished, 90, what="the long download finished")
        self.assertEqual(player.sql(
            f"SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = '{LONG[0]}';"), "1")
        self.assertEqual(player.sql(
            f"SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK = '{SLOW[0]}';"), "0")
        self.assertEqual(player.sql(
            "SELECT COUNT(*) FROM Videos WHERE DATE_VIEWED <> '';"), "0")
        # What the stopped one had downloaded is gone with it.
        media = os.path.dirname(player.sql(
            f"SELECT PATH FROM Videos WHERE VIDEO_PERMALINK = '{LONG[0]}';"))
        self.assertEqual([name for name in os.listdir(media)
                          if os.path.isfile(os.path.join(media, name))],
                         ["A%20long%20voyage.mp4"])
        desk.click(play)

    def playback(self, desk, player):
        # It plays in the window: marked viewed, its start logged once, the
        # window's bars with play and pause swapping and the slider moving.
        pause = player.find(role="push button", name="Pause", timeout=20)
        player.gone(role="push button", name="Play")
        zaroui.wait_until(lambda: player.sql(
            f"SELECT DATE_VIEWED <> '' FROM Videos WHERE VIDEO_PERMALINK = '{LONG[0]}';") == "1",
            20, what="the video marked viewed")
        position = player.find(role="slider", name="Position in the video")
        value = position.queryValue()
        self.assertGreater(value.maximumValue, 100)
        zaroui.wait_until(lambda: value.currentValue >= 1, 20, what="the slider to move")
        for name in ("Volume", "Mute", "Watch full screen", "Leave playback", "Stop"):
            player.find(name=name)

        desk.click(pause)
        play = player.find(role="push button", name="Play", timeout=10)
        player.gone(role="push button", name="Pause")
        desk.click(play)
        player.find(role="push button", name="Pause", timeout=10)

        # F: full screen. A mouse move shows its bars with every control.
        focus_window(desk)
        desk.key("f")
        frame = player.find(role="frame", name="Zaro Player Full Screen", timeout=20)
        controls = full_screen_bars(desk, player, frame)
        leave = controls[("push button", "Leave full screen")]
        ext = leave.queryComponent().getExtents(0)
        self.assertGreater(ext.x, desk.width - 100)  # at the right edge of the screen
        slider = controls[("slider", "Position in the video")].queryValue()
        self.assertGreater(slider.maximumValue, 100)
        before = slider.currentValue
        zaroui.wait_until(lambda: slider.currentValue > before, 20,
                          what="the full-screen slider to move")
        desk.keep_shot("playback-fullscreen-e2e.png")

        # Pressed through the accessibility tree, mute gives way to unmute,
        # and back.
        controls[("push button", "Mute")].queryAction().doAction(0)
        unmute = full_screen_bars(desk, player, frame, {("push button", "Unmute")})
        self.assertEqual(player.find_all(role="push button", name="Mute", within=frame), [])
        unmute[("push button", "Unmute")].queryAction().doAction(0)
        full_screen_bars(desk, player, frame, {("push button", "Mute")})

        # Escape leaves it; the video plays on in the window without
        # stopping or starting again.
        desk.key("Escape")
        player.gone(role="frame", name="Zaro Player Full Screen", timeout=20)
        player.find(role="push button", name="Pause", timeout=10)
        for name in ("Volume", "Mute", "Watch full screen"):
            player.find(name=name)
        position = player.find(role="slider", name="Position in the video")
        value = position.queryValue()
        before = value.currentValue
        zaroui.wait_until(lambda: value.currentValue > before, 20,
                          what="the video to go on in the window")
        events = player.sql("SELECT EVENT FROM LOG_RECORD WHERE EVENT LIKE '/ui/player/%';")
        self.assertEqual(events.splitlines().count("/ui/player/video/start"), 1, events)
        self.assertNotIn("/ui/player/stop", events.splitlines())

        # F goes in again, and in full screen F comes back.
        focus_window(desk)
        desk.key("f")
        player.find(role="frame", name="Zaro Player Full Screen", timeout=20)
        desk.key("f")  # the full-screen window has the keyboard
        player.gone(role="frame", name="Zaro Player Full Screen", timeout=20)
        player.find(role="push button", name="Pause", timeout=10)


if __name__ == "__main__":
    unittest.main()
