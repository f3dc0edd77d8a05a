#!/usr/bin/env python3
# The web page in headless Chromium, at device pixel ratios 1 and 2, played with real mouse and
# key events: the window's size and sharpness, a click that starts the game, the keys, the end of
# the game with its box, the button's texts drawn, and no error in the console; the buttons of a
# touch screen; and the page's words where JavaScript or WebAssembly is missing.
#   check-web.py FOLDER TOOLS
import sys
import time

sys.path.insert(0, sys.argv[2])
import browser  # noqa: E402

PIECE = 0x5709A8
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
    pixels, colour, cells = page.pixels(), PIECE.to_bytes(3, "big"), []
    at = pixels.data.find(colour)
    while at >= 0:
        if at % 4 == 0:
            cells.append((at // 4 % pixels.width, at // 4 // pixels.width))
        at = pixels.data.find(colour, at + 1)
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


def play(url, ratio):
    with browser.Browser(ratio) as page:
        page.open(url + "index.html")
        before = page.wait_for(
            lambda: page.qt_windows() and any(text := button_text(page, ratio)) and text,
            what="the window")
        window = page.qt_windows()[0]
        check((window["width"], window["height"]) == (275, 350),
              f"the window is 275 x 350: {window}")
        check(window["canvas"] == [275 * ratio, 350 * ratio],
              f"the window is drawn in device pixels: {window['canvas']}")
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
        page.press("Enter")
        page.wait_for(lambda: len(page.qt_windows()) == 1, what="the box to close")
        after = page.wait_for(
            lambda: (text := button_text(page, ratio)) != playing and any(text) and text,
            what="the button's new text")
        # Two texts of four different Chinese characters: empty boxes would look the same.
        check(after != before, "the button's texts are drawn in Chinese glyphs")
        check(not page.errors, f"no error in the console: {page.errors}")
    print(f"pixel ratio {ratio}: the game played to its end")


# On a touch screen: taps on the window start the game, and on the buttons under it, which
# appear there only, move the piece.
def touch(url):
    with browser.Browser() as page:
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


# Where the browser cannot run the game, JavaScript off or no WebAssembly, the page says so.
def refusal(url, setup, words):
    with browser.Browser() as page:
        setup(page)
        page.open(url + "index.html")

        def status():
            return page.evaluate("document.getElementById('status')?.textContent") or ""
        page.wait_for(lambda: words in status(), seconds=10, what=f"'{words}'")


url = browser.serve(sys.argv[1])
for pixel_ratio in (1, 2):
    play(url, pixel_ratio)
touch(url)
print("on a touch screen, the buttons under the window steer")
refusal(url, lambda page: page.call("Emulation.setScriptExecutionDisabled", value=True),
        "needs JavaScript")
refusal(url, lambda page: page.call("Page.addScriptToEvaluateOnNewDocument",
                                    source="delete window.WebAssembly"),
        "cannot run WebAssembly")
print("without JavaScript or WebAssembly, the page says so")
