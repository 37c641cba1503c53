"""The real player in a desktop session: under Xvfb with a private D-Bus
session bus and stand-ins for the desktop's services (standins.py), driven
as the desktop drives it: playerctl on the media controls (MPRIS), the
notification of a finished download and its "Play" button, the screensaver
held off while a video plays, the status icon after the window was closed,
and the player on a session that lacks all of these."""

import json
import os
import re
import subprocess
import sys
import time
import unittest
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "interface"))
import zaroui  # noqa: E402
from x11close import close_window  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]
DOWNLOAD_ONE = "49347A0A-C783-4e92-ADCE-ED7C93207E58"
LINK = f"zaro://cmd?command={DOWNLOAD_ONE}&permalinkId=cooking-basics-1"


class StandIns:
    """standins.py on the desktop's session bus; its calls as dictionaries."""

    def __init__(self, desk, *services):
        self.desk = desk
        self.log = os.path.join(desk.root, "standins.log")
        self.proc = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "standins.py"),
                                      self.log, *services],
                                     env=desk.env, stdout=subprocess.PIPE, text=True)
        desk.procs.append(self.proc)
        self.proc.stdout.readline()  # "ready"

    def calls(self, name=None):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            entries = [json.loads(line) for line in f if line.strip()]
        return [e for e in entries if name is None or e["call"] == name]

    def invoke(self, notification, action):
        bus_send(self.desk, "tv.zaro.Test.StandIns", "/StandIns",
                 "tv.zaro.Test.StandIns.InvokeAction", f"uint32:{notification}",
                 f"string:{action}")


def bus_send(desk, dest, path, method, *args):
    return subprocess.run(["dbus-send", "--session", "--print-reply", f"--dest={dest}", path,
                           method, *args], env=desk.env, capture_output=True, text=True,
                          check=True).stdout


def playerctl(desk, *args):
    out = subprocess.run(["playerctl", "-p", "zaroplayer", *args], env=desk.env,
                         capture_output=True, text=True)
    return out.stdout.strip()


def status_is(desk, wanted):
    return zaroui.wait_until(lambda: playerctl(desk, "status") == wanted, 40,
                             what=f"the player to say {wanted}")


def file_url(path):
    """A file's address as a URI: the service's thumbnails have spaces and a
    literal "%" in their names."""
    return "file://" + urllib.parse.quote(path, safe="/")


def player_env(desk, url, extra=None):
    env = dict(desk.env)
    env.update({"ZARO_SERVICE_URL": url, "ZARO_DIALOG_ANSWERS": "update=0",
                "ZARO_DIALOG_LOG": os.path.join(desk.env["HOME"], "dialogs.log"),
                "ZARO_WORKSPACE_LOG": os.path.join(desk.env["HOME"], "workspace.log")})
    env.update(extra or {})
    return env


def started(player):
    conf = os.path.join(player.home, ".config", "tv.zaro.ZaroPlayer.conf")
    return zaroui.wait_until(
        lambda: os.path.exists(conf) and "FirstLaunch=false" in open(conf).read(), 30,
        what="the end of the player's start-up")


def hand_over(desk, env, *args):
    """A second start of the player, handing its arguments to the running one."""
    return subprocess.run([PLAYER, *args], env=env, timeout=30).returncode


def main_window(desk, player):
    out = zaroui.wait_until(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(player.proc.pid), "--name",
         "^Zaro Player$"], env=desk.env, capture_output=True, text=True).stdout.split(), 60,
        what="the main window")
    return int(out[0])


def window_shown(desk, player):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(player.proc.pid),
                          "--name", "^Zaro Player$"], env=desk.env, capture_output=True,
                         text=True).stdout.split()
    return bool(out)


class DesktopSession(unittest.TestCase):
    def test_media_keys_notification_and_screensaver(self):
        with zaroui.Desktop() as desk:
            standins = StandIns(desk, "notifications", "screensaver")
            url = desk.start_service(SERVICE)
            env = player_env(desk, url)
            player = desk.start_player(PLAYER, url, env=env)
            started(player)
            zaroui.wait_until(lambda: "zaroplayer" in playerctl(desk, "-l") or
                              "zaroplayer" in subprocess.run(["playerctl", "-l"], env=desk.env,
                                                             capture_output=True,
                                                             text=True).stdout, 30,
                              what="the media controls on the bus")
            self.assertEqual(playerctl(desk, "status"), "Stopped")

            # The user goes back to another program; the download finishes
            # while the player is in the background.
            other = subprocess.Popen(["xmessage", "-title", "zaro-other-program", "another"],
                                     env=desk.env)
            desk.procs.append(other)
            wid = zaroui.wait_until(lambda: subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", "zaro-other-program"],
                env=desk.env, capture_output=True, text=True).stdout.split(), 10,
                what="the other program's window")[0]
            desk.xdotool("windowfocus", "--sync", wid)
            time.sleep(1)
            self.assertEqual(hand_over(desk, env, LINK), 0)
            shown = zaroui.wait_until(lambda: standins.calls("Notify"), 60,
                                      what="the notification of the finished download")
            title = player.sql("SELECT TITLE FROM Videos;")
            thumbnail = player.sql("SELECT IMAGE_PATH FROM Videos;")
            note = shown[0]
            self.assertEqual(len(shown), 1)
            self.assertEqual(note["app"], "Zaro Player")
            self.assertEqual(note["summary"], "Download finished")
            self.assertEqual(note["body"], title)
            self.assertEqual(note["actions"], ["default", "Show Zaro Player", "play", "Play"])
            self.assertEqual(note["hints"]["urgency"], 1)
            self.assertEqual(note["hints"]["desktop-entry"], "tv.zaro.ZaroPlayer")
            self.assertEqual(note["hints"]["image-path"], file_url(thumbnail))
            self.assertTrue(os.path.isfile(thumbnail))

            # "Play" on the notification plays the video; the screensaver
            # is held off while it plays and let go when it pauses.
            standins.invoke(note["id"], "play")
            status_is(desk, "Playing")
            playerctl(desk, "pause")
            status_is(desk, "Paused")
            self.assertEqual(playerctl(desk, "metadata", "--format",
                                       "{{title}}|{{mpris:length}}|{{mpris:artUrl}}"),
                             f"{title}|4000000|{file_url(thumbnail)}")
            zaroui.wait_until(lambda: standins.calls("UnInhibit"), 30, what="UnInhibit")
            inhibit = standins.calls("Inhibit")[0]
            self.assertEqual(inhibit["app"], "Zaro Player")
            self.assertEqual(standins.calls("UnInhibit")[0]["cookie"], inhibit["cookie"])

            playerctl(desk, "play")
            status_is(desk, "Playing")
            playerctl(desk, "pause")
            status_is(desk, "Paused")
            playerctl(desk, "next")
            zaroui.wait_until(lambda: "/ui/player/skipforward" in player.sql(
                "SELECT EVENT FROM LOG_RECORD;"), 30, what="the skip")
            playerctl(desk, "stop")
            status_is(desk, "Stopped")
            zaroui.wait_until(lambda: len(standins.calls("UnInhibit")) ==
                              len(standins.calls("Inhibit")), 30, what="every inhibition let go")
            self.assertEqual(len(standins.calls("Inhibit")), 2)
            events = player.sql("SELECT EVENT FROM LOG_RECORD ORDER BY rowid;").split("\n")
            self.assertEqual(events, ["/ui/player/video/start", "/ui/player/pause",
                                      "/ui/player/resume", "/ui/player/pause",
                                      "/ui/player/skipforward", "/ui/player/stop"])

            self.assertEqual(hand_over(desk, env, "--quit"), 0)
            player.proc.wait(20)
            self.assertEqual(player.proc.returncode, 0)

    def test_closed_window_stays_in_the_status_area(self):
        with zaroui.Desktop() as desk:
            standins = StandIns(desk, "status-area")
            # The video's file comes slowly, so its progress can be seen.
            url = desk.start_service(SERVICE, ("--demo", "--fault-rate", "60000",
                                               "--fault-path", "/cache/"))
            env = player_env(desk, url)
            desk.write_settings(FirstLaunch=False)  # no welcome window over the main one
            player = desk.start_player(PLAYER, url, env=env)
            close_window(desk.env["DISPLAY"], main_window(desk, player))
            registered = zaroui.wait_until(lambda: standins.calls("RegisterStatusNotifierItem"),
                                           30, what="the status icon")
            self.assertFalse(window_shown(desk, player))
            self.assertIsNone(player.proc.poll())
            item = registered[0]["service"]
            if item.startswith("/"):
                dest, path = registered[0]["sender"], item
            else:
                dest, path = item, "/StatusNotifierItem"
            menu = bus_send(desk, dest, path, "org.freedesktop.DBus.Properties.Get",
                            "string:org.kde.StatusNotifierItem", "string:Menu")
            menu_path = menu.split("object path")[1].split('"')[1]

            def get_layout():
                return bus_send(desk, dest, menu_path, "com.canonical.dbusmenu.GetLayout",
                                "int32:0", "int32:-1", "array:string:")
            layout = get_layout()
            for label in ("Show Zaro Player", "No downloads running", "Quit Zaro Player"):
                self.assertIn(label, layout)
            # A download while the window is closed: its progress in the menu,
            # and gone from it once finished.
            self.assertEqual(hand_over(desk, env, LINK), 0)
            progress = re.compile(r'string "Cooking Basics 1: Boiling water \u2014 (\d+)%"')
            seen = zaroui.wait_until(lambda: progress.findall(get_layout()), 60,
                                     what="the download's progress in the menu")
            zaroui.wait_until(lambda: "No downloads running" in get_layout(), 90,
                              what="the finished download gone from the menu")
            self.assertLess(int(seen[0]), 100)
            layout = get_layout()
            # Show: the id of the item labelled so, clicked.
            show_id = None
            current = None
            for line in layout.splitlines():
                line = line.strip()
                if line.startswith("int32 ") and current is None:
                    current = int(line.split()[1])
                if '"Show Zaro Player"' in line:
                    show_id = current
                if line.endswith("struct {"):
                    current = None
            self.assertIsNotNone(show_id, layout)
            bus_send(desk, dest, menu_path, "com.canonical.dbusmenu.Event", f"int32:{show_id}",
                     "string:clicked", "variant:int32:0", "uint32:0")
            zaroui.wait_until(lambda: window_shown(desk, player), 30, what="the window again")
            player.stop()
            self.assertEqual(player.proc.returncode, 0)

    def test_without_a_status_area_closing_the_window_quits_after_asking(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            # Cancelled: the window comes back and the player runs on.
            env = player_env(desk, url, {"ZARO_DIALOG_ANSWERS": "update=0,quit=1"})
            desk.write_settings(FirstLaunch=False)  # no welcome window over the main one
            player = desk.start_player(PLAYER, url, env=env)
            close_window(desk.env["DISPLAY"], main_window(desk, player))
            log = os.path.join(desk.env["HOME"], "dialogs.log")
            zaroui.wait_until(lambda: os.path.exists(log) and "quit" in open(log).read(), 30,
                              what="the quit confirmation")
            zaroui.wait_until(lambda: window_shown(desk, player), 30, what="the window again")
            self.assertIsNone(player.proc.poll())
            player.stop()
            # Confirmed: the player quits.
            env = player_env(desk, url, {"ZARO_DIALOG_ANSWERS": "update=0,quit=0"})
            player = desk.start_player(PLAYER, url, env=env)
            close_window(desk.env["DISPLAY"], main_window(desk, player))
            player.proc.wait(20)
            self.assertEqual(player.proc.returncode, 0)
            with open(os.path.join(desk.root, "player.log")) as f:
                self.assertEqual(f.read().count("no status area"), 2)  # once per run


class WithoutTheDesktopsServices(unittest.TestCase):
    """No session bus at all, or a bus without any of the services: the
    player says so once and works on (downloads, plays)."""

    def run_player(self, desk, url, extra):
        env = player_env(desk, url, extra)
        env["QT_QPA_PLATFORM"] = "offscreen"
        log = open(os.path.join(desk.root, "lonely.log"), "w")
        proc = subprocess.Popen([PLAYER], env=env, stdout=log, stderr=subprocess.STDOUT)
        desk.procs.append(proc)
        player = zaroui.Player(desk, proc, desk.env["HOME"])
        started(player)
        self.assertEqual(hand_over(desk, env, LINK), 0)
        zaroui.wait_until(lambda: player.sql("SELECT COUNT(*) FROM Videos;") == "1", 60,
                          what="the downloaded video")
        video = player.sql("SELECT id FROM Videos;")
        self.assertEqual(hand_over(desk, env, "--play", video), 0)
        zaroui.wait_until(lambda: "/ui/player/video/end" in player.sql(
            "SELECT EVENT FROM LOG_RECORD;"), 30, what="the video played to its end")
        self.assertEqual(hand_over(desk, env, "--quit"), 0)
        proc.wait(20)
        self.assertEqual(proc.returncode, 0)
        with open(os.path.join(desk.root, "lonely.log")) as f:
            return f.read()

    def test_no_session_bus(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            out = self.run_player(desk, url, {
                "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(desk.root, "no-bus")})
            self.assertEqual(out.count("zaro.desktop: no D-Bus session bus"), 1, out)

    def test_a_bus_without_the_services(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            out = self.run_player(desk, url, {})
            self.assertEqual(out.count("no screensaver service"), 1, out)
            self.assertNotIn("no D-Bus session bus", out)


if __name__ == "__main__":
    unittest.main()
