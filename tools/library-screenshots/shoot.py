#!/usr/bin/python3
"""Screenshots of the library view, through the real player under Xvfb, over
a library of a few dozen videos with thumbnails, publishers, channels,
categories and a playlist:

  library-thumbnails-by-publisher.png  the thumbnail grid, browsing by publisher
  library-details-by-category.png      the detail rows, browsing by category
  library-playlist.png                 browsing by playlist, the playlist pane shown
  library-video-details.png            one video selected, its details pane

Usage: tools/library-screenshots/shoot.py [build folder] [output folder]
       (defaults: build/default, docs/screenshots)
"""

import os
import shutil
import sqlite3
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "interface"))
import zaroui  # noqa: E402

PUBLISHERS = ["Zaro Studio", "Open Kitchen & Co.", "Northern Lights Films", "Backyard Science",
              "Rolling Wheels"]
CHANNELS = ["Travel", "Food", "Nature", "Learning"]
CATEGORIES = ["Documentary", "How-to", "Short film"]
# title, publisher, channel, category, minutes, rating, colours
VIDEOS = [
    ("Sunrise over the ocean", 0, 2, 0, 4, 5, ("#ff8a3d", "#1d3b73")),
    ("City lights: a time-lapse", 0, 0, 2, 3, 4, ("#1b1b3a", "#f4d35e")),
    ("On the mountain trail", 0, 0, 0, 12, 0, ("#2e7d32", "#cfd8dc")),
    ("Harbour at dusk", 0, 0, 2, 6, 3, ("#283593", "#ff7043")),
    ("A walk through the old town", 0, 0, 0, 18, 0, ("#8d6e63", "#ffe0b2")),
    ("Cooking Basics 1: Boiling water", 1, 1, 1, 5, 4, ("#e53935", "#fff3e0")),
    ("Cooking Basics 2: The perfect omelette", 1, 1, 1, 7, 5, ("#fbc02d", "#fff8e1")),
    ("Cooking Basics 3: Bread from scratch", 1, 1, 1, 22, 0, ("#a1887f", "#efebe9")),
    ("Ten-minute tomato soup", 1, 1, 1, 10, 2, ("#c62828", "#ffccbc")),
    ("Knife skills for beginners", 1, 1, 1, 9, 0, ("#546e7a", "#eceff1")),
    ("Summer salads", 1, 1, 1, 8, 3, ("#7cb342", "#f1f8e9")),
    ("Aurora over the fjord", 2, 2, 0, 15, 5, ("#00bfa5", "#0d1b2a")),
    ("The quiet forest", 2, 2, 2, 11, 4, ("#1b5e20", "#a5d6a7")),
    ("Winter light", 2, 2, 2, 7, 0, ("#90caf9", "#ffffff")),
    ("Reindeer country", 2, 0, 0, 26, 3, ("#6d4c41", "#d7ccc8")),
    ("Midnight sun", 2, 2, 2, 5, 0, ("#ffb300", "#4a148c")),
    ("Why the sky is blue", 3, 3, 0, 6, 5, ("#1e88e5", "#e3f2fd")),
    ("Building a water rocket", 3, 3, 1, 14, 4, ("#f4511e", "#e0f7fa")),
    ("Crystals in a jar", 3, 3, 1, 9, 0, ("#8e24aa", "#f3e5f5")),
    ("How bees find their way home", 3, 3, 0, 12, 3, ("#fdd835", "#3e2723")),
    ("Magnets, explained", 3, 3, 0, 8, 0, ("#d32f2f", "#90a4ae")),
    ("The backyard telescope", 3, 3, 1, 17, 2, ("#0d47a1", "#fffde7")),
    ("Coastal road by bike", 4, 0, 0, 21, 4, ("#0097a7", "#fff176")),
    ("Fixing a flat tyre", 4, 3, 1, 6, 5, ("#424242", "#ffca28")),
    ("Across the pass", 4, 0, 2, 13, 0, ("#5d4037", "#b3e5fc")),
    ("Night ride", 4, 0, 2, 4, 3, ("#212121", "#ef5350")),
    ("Gravel and vineyards", 4, 0, 0, 19, 0, ("#827717", "#f0f4c3")),
    ("Tuning your gears", 4, 3, 1, 11, 2, ("#37474f", "#80cbc4")),
]
PLAYLIST = "Weekend mix"
PLAYLIST_VIDEOS = [1, 12, 23, 7, 18, 2]
SELECTED = "Aurora over the fjord"


def paint_thumbnail(path, index, colours):
    a, b = colours
    x, y = 40 + (index * 37) % 200, 30 + (index * 53) % 150
    subprocess.run(["convert", "-size", "320x240", f"gradient:{a}-{b}",
                    "-fill", b, "-draw", f"circle {x},{y} {x + 34},{y}",
                    "-fill", a, "-draw", f"rectangle {300 - x},{200 - y // 2} {320 - x // 3},{240}",
                    path], check=True)


def fill_library(db_path, media):
    os.makedirs(media, exist_ok=True)
    con = sqlite3.connect(db_path)
    con.executemany("INSERT INTO Publishers(id,Name,Description,ImagePath,Permalink,FeedUrl) "
                    "VALUES (?,?,?,?,?,?)",
                    [(i + 1, n, "", "", f"publisher-{i + 1}", "") for i, n in enumerate(PUBLISHERS)])
    con.executemany("INSERT INTO Channels(id,Name,Description,ImagePath,Permalink,FeedUrl) "
                    "VALUES (?,?,?,?,?,?)",
                    [(i + 1, n, "", "", f"channel-{i + 1}", "") for i, n in enumerate(CHANNELS)])
    con.executemany("INSERT INTO Categories(id,Name,Description,ImagePath,Permalink) "
                    "VALUES (?,?,?,?,?)",
                    [(i + 1, n, "", "", f"category-{i + 1}") for i, n in enumerate(CATEGORIES)])
    now = time.time()
    for i, (title, publisher, channel, category, minutes, rating, colours) in enumerate(VIDEOS):
        vid = i + 1
        image = os.path.join(media, f"video-{vid}.png")
        paint_thumbnail(image, i, colours)
        movie = os.path.join(media, f"video-{vid}.mp4")
        open(movie, "wb").close()
        added = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(now - (len(VIDEOS) - i) * 86400 * 3))
        viewed = added if i % 3 else None
        con.execute(
            "INSERT INTO Videos (id,ReviewState,VIDEO_SAVED,MISC_XML,DRM,DATE_ADDED,PUBLISHER,"
            "FILE_HASH,EXTENSION,IMAGE_PATH,PATH,DESCRIPTION,TITLE,DATE_VIEWED,SUBSCRIPTION_VALUE,"
            "SUBSCRIPTION_TYPE,SIZE,CONTENT_RATING,RATING,DURATION,VIDEO_PERMALINK,SOURCE) "
            "VALUES (?,'',?,'','0',?,?,?,'mp4',?,?,?,?,?,'','',?,0,?,?,?,0)",
            (vid, "1" if i % 4 == 0 else "0", added, publisher + 1, f"{vid:032x}", image, movie,
             f"{title}, from {PUBLISHERS[publisher]}.", title, viewed, 20000000 + vid * 1000000,
             rating, minutes * 60, f"video-{vid}"))
        con.execute("INSERT INTO ChannelEntries(ChannelId,VideoId) VALUES (?,?)", (channel + 1, vid))
        con.execute("INSERT INTO CategoryEntries(CategoryId,VideoId) VALUES (?,?)", (category + 1, vid))
    con.execute("INSERT INTO Playlists(id,Name) VALUES (1,?)", (PLAYLIST,))
    con.executemany("INSERT INTO PlaylistEntries(PlaylistId,VideoId) VALUES (1,?)",
                    [(v,) for v in PLAYLIST_VIDEOS])
    con.commit()
    con.close()


def window_shot(desk, player, path):
    """The screen, cut to the player's main window."""
    import pyatspi
    time.sleep(1.0)  # thumbnails and the last paint
    full = desk.screenshot(path + ".full.png")
    frame = None
    for win in player.find_all():
        try:
            if win.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW):
                ext = win.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                if ext.width > 400 and (frame is None or ext.width * ext.height > frame[2] * frame[3]):
                    frame = (ext.x, ext.y, ext.width, ext.height)
        except Exception:
            pass
    if frame:
        x, y, w, h = frame
        subprocess.run(["convert", full, "-crop", f"{w}x{h}+{max(0, x)}+{max(0, y)}", "+repage",
                        path], check=True)
    else:
        shutil.copy(full, path)
    os.remove(full)
    return path


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "default"))
    out = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "docs", "screenshots"))
    binary = os.path.join(build, "client", "source", "zaro-player")
    if not os.path.exists(binary):
        found = subprocess.run(["find", build, "-name", "zaro-player", "-type", "f"],
                               capture_output=True, text=True).stdout.split()
        binary = found[0]
    os.makedirs(out, exist_ok=True)
    with zaroui.Desktop(width=1280, height=900) as desk:
        desk.write_settings(FirstLaunch=False)
        # The first start makes the library's file; it is filled while the player is away.
        player = desk.start_player(binary)
        player.find(role="push button", name="Browse By", timeout=60)
        player.stop()
        fill_library(player.library_path, os.path.join(desk.root, "media"))

        def start(**settings):
            conf = os.path.join(desk.env["XDG_CONFIG_HOME"], "tv.zaro.ZaroPlayer.conf")
            with open(conf, "w"):
                pass
            desk.write_settings(FirstLaunch=False, **settings)
            p = desk.start_player(binary)
            p.find(role="push button", name="Browse By", timeout=60)
            return p

        shots = [
            ("library-thumbnails-by-publisher.png",
             dict(LibraryBrowseBy=1, LibraryActiveView=0, LibraryPlaylistVisible=False), None),
            ("library-details-by-category.png",
             dict(LibraryBrowseBy=2, LibraryActiveView=1, LibraryPlaylistVisible=False), None),
            ("library-playlist.png",
             dict(LibraryBrowseBy=6, LibraryActiveView=0, LibraryPlaylistVisible=True,
                  LibraryPlaylistSelectedId=1), None),
            ("library-video-details.png",
             dict(LibraryBrowseBy=0, LibraryActiveView=0, LibraryPlaylistVisible=False), SELECTED),
        ]
        for name, settings, select in shots:
            p = start(**settings)
            if select:
                desk.click(p.find(name=select))
            print(window_shot(desk, p, os.path.join(out, name)))
            p.stop()


if __name__ == "__main__":
    main()
