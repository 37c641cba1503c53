"""Hostile pages in the guide of the real player, under Xvfb with a window
manager: the reference service puts its chain of hostile pages in place of the
guide (the "hostile-page" fault), and each page tries the service's commands
and other hosts' pages by script navigations, frames, a meta refresh, form
posts and pop-up windows, without the user. Afterwards the library (videos,
feeds, download jobs), the token in the settings file and the Desktop folder
are as they were, the service heard no download or subscription, and the
user's browser was asked to open nothing. Then the user's own clicks on the
last page work: a link to another host opens in the browser (the workspace
stand-in records it) and a download link queues its video.
"""

import json
import os
import sys
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zaroui  # noqa: E402

PLAYER = os.environ["ZARO_PLAYER_BINARY"]
SERVICE = os.environ["ZARO_SERVICE_BINARY"]
TOKEN_KEY = "ZaroClientAuthorization"
TOKEN = "the-users-token"


def control(url, path, body=None):
    request = urllib.request.Request(url + path, method="POST" if body is not None else "GET",
                                     data=None if body is None else json.dumps(body).encode(),
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=10) as answer:
        return json.loads(answer.read())


class HostilePagesTest(unittest.TestCase):
    def snapshot(self, desk, player):
        settings = os.path.join(desk.env["XDG_CONFIG_HOME"], "tv.zaro.ZaroPlayer.conf")
        with open(settings) as f:
            token = [line.strip() for line in f if line.startswith(TOKEN_KEY + "=")]
        desktop = os.path.join(desk.env["HOME"], "Desktop")
        return {
            "videos": player.sql("SELECT id, VIDEO_PERMALINK FROM Videos ORDER BY id;"),
            "feeds": player.sql("SELECT id, Url FROM Feeds ORDER BY id;"),
            "jobs": player.sql("SELECT id, JobType, JobState FROM Jobs ORDER BY id;"),
            "token": token,
            "desktop": sorted(os.listdir(desktop)) if os.path.isdir(desktop) else [],
        }

    def workspace(self):
        if not os.path.exists(self.workspace_log):
            return []
        with open(self.workspace_log) as f:
            return [line.strip() for line in f if line.strip()]

    def test_nothing_a_page_does_without_the_user_reaches_the_library_or_the_browser(self):
        with zaroui.Desktop(window_manager=True) as desk:
            url = desk.start_service(SERVICE)
            self.workspace_log = os.path.join(desk.root, "workspace.log")
            env = {"ZARO_WORKSPACE_LOG": self.workspace_log}
            player = desk.start_in_library(PLAYER, url, env=env, **{TOKEN_KEY: TOKEN})
            zaroui.wait_until(lambda: os.path.exists(player.library_path), 30,
                              what="the library")
            before = self.snapshot(desk, player)
            self.assertEqual(before["token"], [f"{TOKEN_KEY}={TOKEN}"])
            seen = max([r["seq"] for r in control(url, "/_control/requests")] or [0])

            # The guide shows the first hostile page; the chain runs by itself.
            control(url, "/_control/faults",
                    {"kind": "hostile-page", "value": 1, "path": "/guide/", "count": 1})
            desk.click(player.find(role="push button", name="Zaro Guide"))
            player.find(role="heading", name="Attacks done", timeout=90)
            time.sleep(1.0)
            self.assertIsNone(player.proc.poll(), "the player ended during the attacks")

            after = self.snapshot(desk, player)
            self.assertEqual(after, before)
            self.assertEqual(self.workspace(), [])
            heard = [r for r in control(url, "/_control/requests") if r["seq"] > seen]
            pages = [r["path"] for r in heard if r["path"].startswith("/hostile/")]
            self.assertIn("/hostile/9.html", pages, "the chain did not run to its end")
            commands = [r["path"] for r in heard
                        if r["path"].startswith(("/service/getMediaInfo", "/rss/", "/cache/"))]
            self.assertEqual(commands, [], "the service heard a download or a subscription")
            with open(os.path.join(desk.root, "player.log"), errors="replace") as log:
                text = log.read()
            self.assertIn("guide page: refused a command the user did not click", text)
            self.assertIn("guide page: refused a command from a frame", text)

            # The user's own clicks on the last page.
            desk.click(player.find(role="link", name="Elsewhere"))
            zaroui.wait_until(lambda: self.workspace() != [], 20, what="the browser asked")
            self.assertEqual(self.workspace(), ["openURL http://elsewhere.invalid/hostile.html"])
            desk.click(player.find(role="link", name="Download by hand"))
            zaroui.wait_until(
                lambda: player.sql("SELECT COUNT(*) FROM Jobs;") not in ("", "0")
                or player.sql("SELECT COUNT(*) FROM Videos WHERE VIDEO_PERMALINK='ocean-sunrise';")
                == "1", 60, what="the clicked download")
            self.assertEqual(self.snapshot(desk, player)["token"], before["token"])


if __name__ == "__main__":
    unittest.main()
