"""The settings window through the real player under Xvfb, the way a user
drives it: opened from the File menu, its three tabs looked at, the number of
simultaneous downloads lowered from 2 to 1 while two downloads wait, saved
with Return; from then on the queue runs one transfer at a time.

With ZARO_UI_SCREENSHOTS=FOLDER the three tabs' pictures are copied there
(docs/screenshots/settings-*.png come from this test)."""

import json
import os
import shutil
import subprocess
import sys
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]
DOWNLOAD_SEVERAL = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C"
# Largest first: the first two take the slow transfers.
VIDEOS = ["ocean-sunrise", "cooking-basics-1", "city-timelapse", "mountain-trail"]


def control(url, path, body=None):
    request = urllib.request.Request(url + path, method="POST" if body is not None else "GET",
                                     data=None if body is None else json.dumps(body).encode(),
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=10) as answer:
        return json.loads(answer.read())


def parameter(query, name):
    for pair in query.split("&"):
        key, _, value = pair.partition("=")
        if key == name:
            return value
    return None


def labels_of(accessible):
    import pyatspi
    return [relation.getTarget(i).name for relation in accessible.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())]


def shoot(desk, accessible, path):
    """A screenshot of the screen cut to the accessible's extents."""
    import pyatspi
    whole = desk.screenshot(path + ".full.png")
    ext = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["convert", whole, "-crop", f"{ext.width}x{ext.height}+{ext.x}+{ext.y}",
                    "+repage", path], check=True)
    os.remove(whole)
    return path


class SettingsWindowTest(unittest.TestCase):
    def test_a_lowered_limit_runs_the_queue_one_at_a_time(self):
        with zaroui.Desktop() as desk:
            url = desk.start_service(SERVICE)
            # No welcome window over the menus; two downloads at a time.
            desk.write_settings(FirstLaunch=False, DownloadMaxSimultaneousCount=2)
            config = desk.env["XDG_CONFIG_HOME"]
            player = desk.start_player(PLAYER, url, env={"ZARO_DIALOG_ANSWERS": "update=0"})
            player.find(role="frame")
            zaroui.wait_until(lambda: os.path.exists(player.library_path), 30,
                              what="the library")

            # The first two video transfers crawl, the other two merely walk:
            # long enough to change the setting, short enough to watch both.
            control(url, "/_control/faults", [
                {"kind": "rate", "value": 700, "path": "/cache/", "count": 2},
                {"kind": "rate", "value": 4000, "path": "/cache/", "count": 2}])
            link = ("zaro://cmd?command=" + DOWNLOAD_SEVERAL + "&ZARO_GUIDE_AUTH=token%2B1"
                    "&permalinkIds=" + ",".join(VIDEOS))
            handing = desk.start_player(PLAYER, url, args=[link])
            self.assertEqual(handing.proc.wait(30), 0)

            def states():
                rows = player.sql("SELECT JobState FROM Jobs ORDER BY JobState;")
                return sorted(int(r) for r in rows.split()) if rows else []

            zaroui.wait_until(lambda: states() == [3, 3, 6, 6], 60,
                              what="two downloads running and two waiting")

            # File > Settings… opens the window on its General page.
            desk.click(player.find(role="menu item", name="File"))
            desk.click(player.find(role="menu item", name="Settings…"))
            dialog = player.find(role="dialog", name="Settings")
            general = player.find(role="page tab", name="General")
            import pyatspi
            self.assertTrue(general.getState().contains(pyatspi.STATE_SELECTED))
            shots = {}
            shots["general"] = shoot(desk, dialog, os.path.join(desk.root, "settings-general.png"))
            desk.click(player.find(role="page tab", name="Playback"))
            player.find(role="check box", name=(
                "Repeat playback: start the list again after its last video"))
            shots["playback"] = shoot(desk, dialog,
                                      os.path.join(desk.root, "settings-playback.png"))
            desk.click(player.find(role="page tab", name="Downloads"))
            count = player.find(role="text", name="Simultaneous downloads")
            player.find(role="text", name="Allowed disk usage")
            player.find(role="text", name="Download folder")
            # A combo box is named by its value; its label is its "labelled by".
            popup = player.find(role="combo box", name="the newest 3 videos")
            self.assertEqual(labels_of(popup), ["From each subscription:"])
            shots["downloads"] = shoot(desk, dialog,
                                       os.path.join(desk.root, "settings-downloads.png"))

            self.assertEqual(states(), [3, 3, 6, 6], "the transfers were still under way")
            desk.click(count)
            desk.key("ctrl+a")
            desk.type("1")
            before_save = max([r["seq"] for r in control(url, "/_control/requests")] or [0])
            desk.key("Return")
            zaroui.wait_until(lambda: not player.find_all(role="dialog", name="Settings"), 10,
                              what="the settings window to close")
            settings = open(os.path.join(config, "tv.zaro.ZaroPlayer.conf")).read()
            self.assertIn("DownloadMaxSimultaneousCount=1", settings)

            zaroui.wait_until(
                lambda: player.sql("SELECT COUNT(*) FROM Videos;") == str(len(VIDEOS)), 150,
                what="all four videos in the library")
            requests = control(url, "/_control/requests")
            started = [(r["seq"], parameter(r["query"], "permalinkId")) for r in requests
                       if r["path"].startswith("/cache/")]
            reported = {parameter(r["query"], "permaLinkId"): r["seq"] for r in requests
                        if r["path"] == "/service/clientLog.html"}
            self.assertEqual(sorted(p for _, p in started), sorted(VIDEOS))
            after = [(seq, p) for seq, p in started if seq > before_save]
            self.assertEqual(len(after), 2, f"two transfers waited for the save: {started}")
            # One at a time: each transfer that starts after the save starts
            # only once every transfer begun before it has finished. The
            # finished one's report and the next one's request leave at the
            # same moment, in either order; one running alongside would be
            # asked for long before the slowed transfer's report.
            for seq, permalink in after:
                for earlier_seq, earlier in started:
                    if earlier_seq < seq:
                        self.assertLessEqual(reported[earlier], seq + 1,
                                             f"{permalink} started while {earlier} still ran")

            target = os.environ.get("ZARO_UI_SCREENSHOTS")
            if target:
                os.makedirs(target, exist_ok=True)
                for name, path in shots.items():
                    shutil.copy(path, os.path.join(target, f"settings-{name}.png"))
            player.stop()
            self.assertEqual(player.proc.returncode, 0)


if __name__ == "__main__":
    unittest.main()
