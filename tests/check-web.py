#!/usr/bin/env python3
# The web page in one of the browser engines, opened from the disk and served, played with real
# mouse and key events: the window's size, sharpness and place, a click that starts the game, the
# keys, the end of the game with its box, the button's texts drawn, no error in the console; the
# bar of a compressed .wasm; the page's words where the .wasm does not arrive whole. In Chromium,
# also at device pixel ratio 2, on a touch screen, and without JavaScript or WebAssembly.
#   check-web.py FOLDER DRIVER Chromium|Firefox|WebKit, where DRIVER is the folder of browser.py
import os
import re
import sys
import time

sys.path.insert(0, sys.argv[2])
import browser  # noqa: E402

PIECE = re.compile(re.escape(bytes.fromhex("5709A8")))
# In the window's CSS pixels: the start button's centre, the rectangle of its text, and the
# lower edge of the board's last row.
BUTTON = (218, 232)
BUTTON_TEXT = (184, 224, 68, 16)
FLOOR = 331


def check(condition, what):
    if not condition:
        sys.exit(f"FAIL: {what}")


# The purple pixels, which are the falling piece's until it rests: their shape moved to the
# origin, and their left, top and bottom edges.
def piece(page):
    pixels = page.pixels()
    # The canvas is opaque: only a pixel's first three bytes can match.
    cells = [(match.start() // 4 % pixels.width, match.start() // 4 // pixels.width)
             for match in PIECE.finditer(pixels.data)]
    if not cells:
        return None
    left, top = min(x for x, _ in cells), min(y for _, y in cells)
    return (frozenset((x - left, y - top) for x, y in cells), left, top,
            max(y for _, y in cells))


# The piece once its left edge has left `left`.
def sideways(page, left):
    return page.wait_for(lambda: (now := piece(page)) and now[1] != left and now,
                         what="the piece to move")


# Which pixels of the button's text are dark: its ink, whatever the button's state.
def button_text(page, ratio):
    x, y, width, height = (value * ratio for value in BUTTON_TEXT)
    picture = page.pixels().crop(x, y, width, height)
    return bytes(sum(picture[i:i + 3]) < 384 for i in range(0, len(picture), 4))


# The "Game Over" box: whole within the page, its message on one line above its button, each a
# band of rows with black ink.
def box_fits(page, box):
    width, height = page.evaluate("[innerWidth, innerHeight]")
    check(box["x"] >= 0 and box["y"] >= 0 and box["x"] + box["width"] <= width
          and box["y"] + box["height"] <= height, f"the box is whole within the page: {box}")
    pixels = page.pixels(1)
    row = 4 * pixels.width
    inked = [any(max(pixels.data[at:at + 3]) < 100 for at in range(y * row, (y + 1) * row, 4))
             for y in range(pixels.height)]
    bands = sum(ink and not before for ink, before in zip(inked, [False] + inked))
    check(bands == 2, f"the box's message on one line: {bands - 1} lines, in {box}")


def play(url, ratio=1):
    with (browser.Chromium(ratio) if ratio != 1 else engine()) as page:
        page.open(url + "index.html")
        before = page.wait_for(
            lambda: page.qt_windows() and any(text := button_text(page, ratio)) and text,
            what="the window")
        window = page.qt_windows()[0]
        check((window["width"], window["height"]) == (275, 350),
              f"the window is 275 x 350: {window}")
        check(window["canvas"] == [275 * ratio, 350 * ratio],
              f"the window is drawn in device pixels: {window['canvas']}")
        middle = page.evaluate("""(box => [box.x + box.width / 2, box.y + box.height / 2])(
            document.getElementById('game').getBoundingClientRect())""")
        check(abs(window["x"] + 137.5 - middle[0]) <= 1 and abs(window["y"] + 175 - middle[1]) <= 1,
              f"the window in the middle of the page's element at {middle}: {window}")
        check(piece(page) is None, "no piece before the start")
        check(page.evaluate("document.getElementById('touch-keys').hidden"),
              "no touch buttons for a mouse")

        page.click(window["x"] + BUTTON[0], window["y"] + BUTTON[1])
        shape, left, _, _ = page.wait_for(lambda: piece(page), what="a piece after the click")
        playing = page.wait_for(lambda: (text := button_text(page, ratio)) != before and text,
                                what="the button's text while playing")

        # A and D move the piece a cell aside and back, whatever the timer does meanwhile.
        page.press("a")
        moved, to_left, _, _ = sideways(page, left)
        check(moved == shape and to_left < left, "A moves the piece left")
        page.press("d")
        moved, back, _, _ = sideways(page, to_left)
        check(moved == shape and back == left, "D moves the piece back")
        # The keys still steer after a click beside the window, then one on it, at the latest.
        page.click(window["x"] + window["width"] + 40, window["y"] + 100)
        page.press("a")
        page.click(window["x"] + 40, window["y"] + 100)
        page.press("a")
        moved, now, _, _ = sideways(page, back)
        check(moved == shape and now < back, "A moves the piece after a click beside the window")
        # W turns it, unless it looks the same turned.
        width = max(x for x, _ in shape) + 1
        if {(y, width - 1 - x) for x, y in shape} != shape:
            page.press("w")
            page.wait_for(lambda: piece(page)[0] != shape, what="the piece to turn")
        # S drops it to the floor, where it stays.
        page.press("s")
        page.wait_for(lambda: piece(page)[3] == FLOOR * ratio - 1, what="the piece to drop")

        # Dropped pieces pile up until the next one has no room.
        for _ in range(60):
            windows = page.qt_windows()
            if len(windows) > 1:
                break
            page.press("s")
            time.sleep(0.8)
        check(len(windows) == 2 and windows[1]["title"] == "Game Over",
              f"the game ends with its box: {windows}")
        box_fits(page, windows[1])
        page.press("Enter")
        page.wait_for(lambda: len(page.qt_windows()) == 1, what="the box to close")
        after = page.wait_for(
            lambda: (text := button_text(page, ratio)) != playing and any(text) and text,
            what="the button's new text")
        # Two texts of four different Chinese characters: empty boxes would look the same.
        check(after != before, "the button's texts are drawn in Chinese glyphs")
        check(not page.errors, f"no error in the console: {page.errors}")
    print(f"{url}, pixel ratio {ratio}: the game played to its end")


# On a touch screen: taps on the window start the game, and on the buttons under it, which
# appear there only, move the piece.
def touch(url):
    with browser.Chromium() as page:
        page.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=1)
        page.call("Emulation.setEmitTouchEventsForMouse", enabled=True)
        page.open(url + "index.html")
        page.wait_for(lambda: page.qt_windows() and any(button_text(page, 1)), what="the window")
        window = page.qt_windows()[0]
        # Each button's centre, where it is shown.
        keys = page.evaluate("""Object.fromEntries(
            [...document.querySelectorAll('#touch-keys button')].map(button => {
                const box = button.getBoundingClientRect();
                return [button.textContent, box.width && [box.x + box.width / 2,
                                                          box.y + box.height / 2]];
            }))""")
        check(sorted(keys) == ["A", "D", "S", "W"] and all(keys.values()),
              f"four touch buttons: {keys}")

        def tap(x, y):
            for kind, points in (("touchStart", [{"x": x, "y": y}]), ("touchEnd", [])):
                page.call("Input.dispatchTouchEvent", type=kind, touchPoints=points)
        tap(window["x"] + BUTTON[0], window["y"] + BUTTON[1])
        shape, left, _, _ = page.wait_for(lambda: piece(page), what="a piece after the tap")
        for key in ("A", "D"):
            tap(*keys[key])
            moved, now, _, _ = sideways(page, left)
            check(moved == shape and (now < left) == (key == "A"),
                  f"the touch button {key} moves the piece")
            left = now
        check(not page.errors, f"no error in the console: {page.errors}")


# Where the browser cannot run the game, JavaScript off or no WebAssembly, or the .wasm does not
# arrive whole, the page says so, and where its script runs it leaves no endless bar.
def refusal(url, words, setup=None, script=True):
    with engine() as page:
        if setup:
            setup(page)
        page.open(url + "index.html")
        status = "document.getElementById('status')?.textContent ?? ''"
        page.wait_for(lambda: words in page.evaluate(status), seconds=20, what=f"'{words}'")
        check(not script or page.evaluate("document.getElementById('progress').hidden"),
              f"no bar left after '{words}'")


# Served compressed, as most hosts serve it, the bar shows half-way about half of the .wasm.
def compressed(url):
    with engine() as page:
        page.open(url + "index.html")
        bar = "document.getElementById('progress')?.value"
        page.wait_for(lambda: page.evaluate(bar), what="the bar to move")
        time.sleep(1)
        check(0.2 < (value := page.evaluate(bar)) < 0.8,
              f"the bar half-way through a compressed .wasm: {value}")
        page.wait_for(lambda: page.qt_windows(), what="the window after a compressed .wasm")


# From the disk, as a double-click opens it, and over http.
engine = browser.ENGINES[sys.argv[3]]
play("file://" + os.path.abspath(sys.argv[1]) + "/")
url = browser.serve(sys.argv[1])
play(url)
compressed(browser.serve(sys.argv[1], "gzip"))
print("served compressed, the bar shows how much has come")
refusal(browser.serve(sys.argv[1], "missing"), "could not start: kubrisk.wasm: 404")
refusal(browser.serve(sys.argv[1], "cut"), "could not start")
print("without the whole .wasm, the page says so")
if engine == browser.Chromium:
    play(url, 2)
    touch(url)
    print("on a touch screen, the buttons under the window steer")
    refusal(url, "needs JavaScript",
            lambda page: page.call("Emulation.setScriptExecutionDisabled", value=True),
            script=False)
    refusal(url, "cannot run WebAssembly",
            lambda page: page.call("Page.addScriptToEvaluateOnNewDocument",
                                   source="delete window.WebAssembly"))
    print("without JavaScript or WebAssembly, the page says so")
