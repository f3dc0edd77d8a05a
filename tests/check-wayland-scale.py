#!/usr/bin/env python3
# The game on a headless sway at Wayland's scales, fractional ones too, from grim's screenshots: its
# window's size in device pixels, and a board of only black lines and white cells, as drawn at its
# own scale, not at the next whole one and shrunk by the compositor.
#   check-wayland-scale.py GAME
import os
import subprocess
import sys
import tempfile
import time

CASES = {"1": (275, 350), "1.25": (344, 438), "1.5": (413, 525), "2": (550, 700)}


# The output's device pixels, as rows of RGB bytes.
def screenshot(environment):
    picture = subprocess.run(["grim", "-t", "ppm", "-"], env=environment, capture_output=True,
                             check=True).stdout
    _, size, _, data = picture.split(b"\n", 3)
    width, height = map(int, size.split())
    return [data[3 * width * y:3 * width * (y + 1)] for y in range(height)]


# The window, bright on the dark output: its size, and the grey pixels in the box of the black
# ones in its left six tenths, the board.
def window(rows):
    lit = [y for y, row in enumerate(rows) if max(row) > 150]
    if not lit:
        return None
    columns = [x for x in range(len(rows[0]) // 3) if rows[lit[0]][3 * x] > 150]
    black = [(x, y) for y in lit for x in range(columns[0], columns[0] + len(columns) * 6 // 10)
             if rows[y][3 * x:3 * x + 3] == b"\0\0\0"]
    left, right = min(x for x, _ in black), max(x for x, _ in black)
    grey = sum(rows[y][3 * x:3 * x + 3] not in (b"\0\0\0", b"\xff\xff\xff")
               for y in range(black[0][1], black[-1][1] + 1) for x in range(left, right + 1))
    return (columns[-1] - columns[0] + 1, lit[-1] - lit[0] + 1), grey


# The window at one scale, once it keeps its size, or what happened instead.
def play(game, scale, work, log):
    environment = dict(os.environ, XDG_RUNTIME_DIR=work, WAYLAND_DISPLAY="wayland-1",
                       WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                       WLR_LIBINPUT_NO_DEVICES="1", QT_QPA_PLATFORM="wayland")
    # An output whose size is whole in logical pixels at every scale, and the window at its
    # corner, put the window on whole device pixels.
    with open(os.path.join(work, "config"), "w") as config:
        config.write(f"output HEADLESS-1 resolution 1200x960 scale {scale} bg #202020 solid_color\n"
                     "default_border none\ndefault_floating_border none\n"
                     'for_window [app_id=".*"] floating enable, move position 0 0\n')
    processes = [subprocess.Popen(["sway", "-c", config.name], env=environment, stdout=log,
                                  stderr=subprocess.STDOUT)]
    try:
        while not os.path.exists(os.path.join(work, "wayland-1")) and processes[0].poll() is None:
            time.sleep(0.1)
        processes.append(subprocess.Popen([game], env=environment, stdout=log,
                                          stderr=subprocess.STDOUT))
        last = None
        for _ in range(100):
            time.sleep(0.3)
            if processes[1].poll() is not None:
                return "the game ended"
            now = window(screenshot(environment))
            if now and now == last:
                return now
            last = now
        return f"no steady window: {last}"
    finally:
        for process in reversed(processes):
            process.kill()
            process.wait()


failed = False
for scale, expected in CASES.items():
    with tempfile.TemporaryDirectory() as work, tempfile.TemporaryFile("w+") as log:
        result = play(sys.argv[1], scale, work, log)
        if result != (expected, 0):
            log.seek(0)
            print(f"FAIL: wayland_scale, scale {scale}: size and grey pixels {result}, not "
                  f"{(expected, 0)}; the game's and sway's output:\n{log.read()}")
            failed = True
sys.exit(failed)
