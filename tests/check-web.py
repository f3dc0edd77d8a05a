#!/usr/bin/env python3
# The web page in one of the browser engines, opened from the disk and served, played with real
# mouse and key events: the window's size, sharpness and place, a click that starts the game, the
# keys, the end of the game with its box, the button's texts drawn, no error in the console; the
# bar of a compressed .wasm; the page's words where the .wasm does not arrive whole; offline play
# from the service worker, and a new release taken by the second visit. In Chromium, also the app's
# manifest and icons, at device pixel ratio 2, on a touch screen, and without JavaScript or
# WebAssembly.
#   check-web.py FOLDER DRIVER Chromium|Firefox|WebKit, where DRIVER is the folder of browser.py
import hashlib
import os
import pathlib
import re
import shutil
import sys
import tempfile
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


# The page opened, once Qt drew its window with the button's text: the window and that text.
def opened(page, url, ratio=1):
    page.open(url + "index.html")
    text = page.wait_for(
        lambda: page.qt_windows() and any(text := button_text(page, ratio)) and text,
        what="the window")
    return page.qt_windows()[0], text


# A click on the button starts the game; A and D move the piece a cell aside and back, whatever the
# timer does meanwhile. The piece's shape and its left edge.
def start_and_steer(page, window):
    page.click(window["x"] + BUTTON[0], window["y"] + BUTTON[1])
    shape, left, _, _ = page.wait_for(lambda: piece(page), what="a piece after the click")
    page.press("a")
    moved, to_left, _, _ = sideways(page, left)
    check(moved == shape and to_left < left, "A moves the piece left")
    page.press("d")
    moved, back, _, _ = sideways(page, to_left)
    check(moved == shape and back == left, "D moves the piece back")
    return shape, back


def play(url, ratio=1):
    with (browser.Chromium(ratio) if ratio != 1 else engine()) as page:
        window, before = opened(page, url, ratio)
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

        shape, back = start_and_steer(page, window)
        playing = page.wait_for(lambda: (text := button_text(page, ratio)) != before and text,
                                what="the button's text while playing")
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
        window, _ = opened(page, url)
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


# Served, the page is an app: Chromium finds nothing against installing it, and each icon that a
# launcher may mask is opaque and drawn at its size, with the picture within the circle of 80 % of
# its side that every mask keeps.
def installable(url):
    with browser.Chromium() as page:
        opened(page, url)
        manifest = page.call("Page.getAppManifest")
        check(manifest["url"] == url + "manifest.webmanifest" and not manifest["errors"],
              f"the page's manifest, read: {manifest['url']}, {manifest['errors']}")
        errors = page.call("Page.getInstallabilityErrors")["installabilityErrors"]
        check(not errors, f"Chromium would install the page: {errors}")
        icons = page.evaluate("""(async () => {
            const icons = (await (await fetch('manifest.webmanifest')).json()).icons;
            const found = {};
            for (const icon of icons.filter(icon => icon.purpose.split(' ').includes('maskable'))) {
                const image = new Image();
                image.src = icon.src;
                await image.decode();
                const size = image.width;
                const canvas = new OffscreenCanvas(size, size).getContext('2d');
                canvas.drawImage(image, 0, 0);
                const pixels = canvas.getImageData(0, 0, size, size).data;
                let seeThrough = 0, outside = 0;
                for (let at = 0; at < pixels.length; at += 4) {
                    const x = at / 4 % size + 0.5 - size / 2;
                    const y = Math.floor(at / 4 / size) + 0.5 - size / 2;
                    seeThrough += pixels[at + 3] !== 255;
                    outside += Math.hypot(x, y) > 0.4 * size
                        && [0, 1, 2].some(i => pixels[at + i] !== pixels[i]);
                }
                found[icon.sizes] = [`${size}x${image.height}`, seeThrough, outside];
            }
            return found;
        })()""")
        check(icons == {"192x192": ["192x192", 0, 0], "512x512": ["512x512", 0, 0]},
              f"maskable icons of 192 and 512 pixels, opaque, the picture in the circle: {icons}")
    print("served, Chromium would install the page as an app, with its maskable icons")


# The page anew, as a player opens it again after leaving it: its window.
def visit(page, url):
    page.open("about:blank")
    return opened(page, url)[0]


RELEASE = "document.documentElement.dataset.release"


# After the first visit a service worker keeps the page: with the host gone, the page opens again
# and plays. A new release put on the same origin (another service worker and another page) is
# announced at the next visit and played at the one after, leaving only its own cache.
def offline_and_update(folder):
    copy = pathlib.Path(tempfile.mkdtemp())
    shutil.copytree(folder, copy, dirs_exist_ok=True)
    url = browser.serve(str(copy))
    with engine() as page:
        opened(page, url)
        page.wait_for(lambda: page.evaluate("""navigator.serviceWorker.getRegistration()
            .then(registration => registration?.active?.state === 'activated')"""),
                      what="an active service worker after the first visit")
        browser.stop(url)
        start_and_steer(page, visit(page, url))
        print("offline, the page opens from its service worker and plays")

        old = page.evaluate(RELEASE)
        new = old + ".next"
        page_file, worker_file = copy / "index.html", copy / "service-worker.js"
        digests = [hashlib.sha256(page_file.read_bytes()).hexdigest()]
        page_file.write_text(page_file.read_text().replace(old, new))
        digests.append(hashlib.sha256(page_file.read_bytes()).hexdigest())
        worker_file.write_text(worker_file.read_text().replace(old, new).replace(*digests))
        browser.serve(str(copy), port=int(url.split(":")[-1].strip("/")))
        visit(page, url)
        page.wait_for(lambda: not page.evaluate("document.getElementById('update').hidden"),
                      what="the note that a new release is ready")
        check(page.evaluate(RELEASE) == old, "the first visit after the upload plays the old one")
        visit(page, url)
        check(page.evaluate(RELEASE) == new, "the second visit after the upload plays the new one")
        caches = page.evaluate("caches.keys()")
        check(len(caches) == 1 and caches[0].endswith(" " + new),
              f"only the new release's cache: {caches}")
    shutil.rmtree(copy)
    print("a new release on the same origin: announced at the first visit, played at the second")


# WebKitGTK's web process, under WebKitWebDriver, now and then stops answering while a page
# loads (the page of 1.0.0 did too), and the driver then ends its session: such a case is played
# once more, in a new browser.
def run(case, *arguments):
    try:
        case(*arguments)
    except RuntimeError as error:
        if "page crash or hang" not in str(error):
            raise
        print(f"{case.__name__}: {error}; once more")
        case(*arguments)


# From the disk, as a double-click opens it, and over http.
engine = browser.ENGINES[sys.argv[3]]
run(play, "file://" + os.path.abspath(sys.argv[1]) + "/")
url = browser.serve(sys.argv[1])
run(play, url)
run(offline_and_update, sys.argv[1])
run(compressed, browser.serve(sys.argv[1], "gzip"))
print("served compressed, the bar shows how much has come")
run(refusal, browser.serve(sys.argv[1], "missing"), f"could not start: {browser.PAYLOAD}: 404")
run(refusal, browser.serve(sys.argv[1], "cut"), "could not start")
print("without the whole .wasm, the page says so")
if engine == browser.Chromium:
    installable(url)
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
