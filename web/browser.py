#!/usr/bin/env python3
"""The browsers of Debian 13, Chromium, Firefox and WebKit, each driven over its own protocol
with real input events.

    browser.py PROGRAM.js [ARGUMENT...]

runs a program built for the browser as ctest runs a test (CMake names this script as the
WebAssembly build's emulator): its output on our standard output, its exit code as ours. As a
module it serves the web page's check (tests/check-web.py) and benchmark (web/bench.py).
"""

import base64
import functools
import glob
import gzip
import http.server
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.parse
import urllib.request

import websocket


def serve(folder, wasm=None, port=0):
    """Serves FOLDER on 127.0.0.1 until `stop` or the end of this process; returns its URL.

    WASM serves the script that holds the .wasm otherwise: "gzip", compressed as most hosts do,
    with a pause of three seconds half-way; "missing", not at all; "cut", with the connection cut
    half-way. PORT, where given, is that of an earlier server: the same origin again.
    """
    handler = functools.partial(_Handler, directory=folder, wasm=wasm)
    server = _Server(("127.0.0.1", port), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_port}/"
    _servers[url] = server
    return url


def stop(url):
    """Stops the server at URL: the browser then finds nothing there."""
    server = _servers.pop(url)
    server.shutdown()
    server.server_close()


_servers = {}
PAYLOAD = "kubrisk-wasm.js"


class _Server(http.server.ThreadingHTTPServer):
    # A browser that leaves a page, or closes, while an answer is under way is no fault of the
    # page's.
    def handle_error(self, request, client_address):
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


class _Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript",
                      ".html": "text/html", ".css": "text/css", ".png": "image/png",
                      ".webmanifest": "application/manifest+json"}

    def __init__(self, *args, wasm=None, **kwargs):
        self.wasm = wasm
        super().__init__(*args, **kwargs)

    # The runner page of a program, whose name the query gives.
    def do_GET(self):
        if self.wasm and urllib.parse.urlsplit(self.path).path == "/" + PAYLOAD:
            return self._send_wasm()
        if not self.path.startswith("/run?"):
            return super().do_GET()
        page = RUNNER.replace("PROGRAM", self.path[len("/run?"):]).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.wfile.write(page)

    # Every file as a host serves index.html (docs/web.md): the browser asks for it again each
    # time, so that with the host gone only the service worker opens the page.
    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def _send_wasm(self):
        if self.wasm == "missing":
            return self.send_error(404)
        data = open(self.translate_path(self.path), "rb").read()
        encoded = gzip.compress(data) if self.wasm == "gzip" else data
        self.send_response(200)
        self.send_header("Content-Type", "text/javascript")
        self.send_header("Content-Length", str(len(encoded)))
        if self.wasm == "gzip":
            self.send_header("Content-Encoding", "gzip")
        self.end_headers()
        half = len(encoded) // 2
        self.wfile.write(encoded[:half])
        self.wfile.flush()
        if self.wasm == "cut":
            self.close_connection = True
            return
        time.sleep(3)
        self.wfile.write(encoded[half:])

    def log_message(self, *args):
        pass


# Runs a program on a screen of the web page's, where Qt fills the screen with the first window,
# and keeps its output and exit.
RUNNER = """<!doctype html><meta charset="utf-8">
<div id="game" style="width: 275px; height: 350px"></div>
<script src="qtloader.js"></script><script src="PROGRAM.js"></script>
<script>
const output = [];
let exit = null;
qtLoad({
    arguments: JSON.parse(decodeURIComponent(location.hash.slice(1))),
    print: line => output.push(line), printErr: line => output.push(line),
    // QtTest tells its end here: in the browser, main's return is lost once it has waited.
    notifyTestFinished: code => { exit = { code, crashed: false }; },
    qt: { containerElements: [game], entryFunction: window.PROGRAM_entry,
          onExit: status => { exit = status; } },
}).catch(error => { exit = { crashed: true, text: String(error) }; });
</script>"""


class Browser:
    """One browser with one page. An engine's class below speaks its protocol: it starts the
    browser, opens a page, runs a script there, clicks and presses keys, and keeps the errors that
    the page's console showed; what is asked of the page is the same in every engine."""

    def __init__(self):
        self.profile = tempfile.mkdtemp()
        self.processes = []
        self.connection = None
        self._errors = []

    def close(self):
        if self.connection:
            self.connection.close()
        for process in reversed(self.processes):
            process.kill()
            process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *args):
        self.close()

    @property
    def errors(self):
        """What the page's console showed as errors."""
        return self._errors

    def call(self, method, **params):
        """A command of the engine's own protocol, where that goes over a WebSocket."""
        return self.connection.call(method, params)

    def _start(self, command, **options):
        self.processes.append(subprocess.Popen(command, stdin=subprocess.DEVNULL, **options))

    def evaluate(self, expression):
        """The value of a JavaScript expression on the page, once it has settled, through JSON."""
        return json.loads(self._script(
            f"(async () => JSON.stringify(await ({expression})) ?? 'null')()"))

    # What `condition()` returns once it is true, tried every 50 ms for up to `seconds`.
    def wait_for(self, condition, seconds=30, what="the page"):
        deadline = time.monotonic() + seconds
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise TimeoutError(f"waited {seconds} s for {what}")
            time.sleep(0.05)

    # Qt's windows on the page, topmost last: title, CSS rectangle and canvas size.
    def qt_windows(self):
        return self.evaluate(f"""[...{QT_WINDOWS}].map(window => {{
            const box = window.getBoundingClientRect();
            const canvas = window.querySelector('canvas');
            return {{title: window.querySelector('.window-name')?.textContent,
                     x: box.x, y: box.y, width: box.width, height: box.height,
                     canvas: [canvas?.width, canvas?.height]}};
        }})""")

    def pixels(self, window=0):
        """What Qt drew in one of its windows, the first unless told, in device pixels."""
        width, height, data = self.evaluate(f"""(() => {{
            const canvas = [...{QT_WINDOWS}][{window}].querySelector('canvas');
            const data = canvas.getContext('2d')
                .getImageData(0, 0, canvas.width, canvas.height).data;
            let text = '';
            for (let i = 0; i < data.length; i += 0x8000)
                text += String.fromCharCode(...data.subarray(i, i + 0x8000));
            return [canvas.width, canvas.height, btoa(text)];
        }})()""")
        return Pixels(width, height, base64.b64decode(data))

    def run(self, url, arguments=()):
        """Runs the program at URL (.../run?NAME) to its end: its output and exit code."""
        self.open(f"{url}#{urllib.parse.quote(json.dumps(list(arguments)))}")
        state = {}
        while not state.get("exit"):
            time.sleep(0.1)
            # The page before the runner's, while it loads, has no output yet.
            state = self.evaluate(
                "typeof output === 'undefined' ? {} : {output: output.splice(0), exit}") or {}
            for line in state.get("output", []):
                print(line, flush=True)
        exit_status = state["exit"]
        if exit_status.get("crashed"):
            print(f"crashed: {exit_status.get('text')}", flush=True)
            return 1
        return exit_status.get("code", 1)


class Chromium(Browser):
    """Headless Chromium, at the device pixel ratio given, over the DevTools protocol, whose
    `call` also serves for what only Chromium can do: emulate a touch screen, say."""

    def __init__(self, pixel_ratio=1):
        super().__init__()
        self._start(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", f"--user-data-dir={self.profile}", "--remote-debugging-port=0",
             f"--force-device-scale-factor={pixel_ratio}", "--window-size=1024,768",
             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        self.wait_for(lambda: os.path.exists(port_file) and "\n" in open(port_file).read(),
                      what="Chromium's DevTools")
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json"))
        page = next(target for target in targets if target["type"] == "page")
        self.connection = _Connection(page["webSocketDebuggerUrl"], self._note_error)
        for domain in ("Runtime", "Log", "Page"):
            self.call(f"{domain}.enable")

    def _note_error(self, method, params):
        if method == "Runtime.consoleAPICalled" and params["type"] == "error":
            self._errors.append(" ".join(str(arg.get("value", arg.get("description")))
                                         for arg in params["args"]))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self._errors.append(params["entry"]["text"])
        elif method == "Runtime.exceptionThrown":
            self._errors.append(params["exceptionDetails"].get("exception", {})
                                .get("description", params["exceptionDetails"]["text"]))

    def open(self, url):
        self.call("Page.navigate", url=url)

    def _script(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']['text']}")
        return result["result"]["value"]

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    # A letter key or Enter, pressed and released.
    def press(self, key):
        text = "\r" if key == "Enter" else key
        code = "Enter" if key == "Enter" else f"Key{key.upper()}"
        virtual = 13 if key == "Enter" else ord(key.upper())
        self.call("Input.dispatchKeyEvent", type="keyDown", key=key, code=code, text=text,
                  windowsVirtualKeyCode=virtual)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                  windowsVirtualKeyCode=virtual)


class _WebDriver(Browser):
    """What both forms of W3C WebDriver share: input as sequences of actions."""

    def click(self, x, y):
        self._perform({"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                       "actions": [{"type": "pointerMove", "x": round(x), "y": round(y)},
                                   {"type": "pointerDown", "button": 0},
                                   {"type": "pointerUp", "button": 0}]})

    def press(self, key):
        value = "\ue007" if key == "Enter" else key
        self._perform({"type": "key", "id": "keys",
                       "actions": [{"type": "keyDown", "value": value},
                                   {"type": "keyUp", "value": value}]})


class Firefox(_WebDriver):
    """Headless Firefox over WebDriver BiDi, which it speaks itself."""

    def __init__(self):
        super().__init__()
        log = os.path.join(self.profile, "output")
        with open(log, "w") as output:
            self._start(["firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
                         "--remote-debugging-port", "0", "about:blank"],
                        stdout=output, stderr=subprocess.STDOUT)
        address = self.wait_for(
            lambda: re.search(r"WebDriver BiDi listening on (ws://\S+)", open(log).read()),
            what="Firefox's WebDriver BiDi").group(1)
        self.connection = _Connection(address + "/session", self._note_error)
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": 1024, "height": 768})

    def _note_error(self, method, params):
        if method == "log.entryAdded" and params["level"] == "error":
            self._errors.append(params["text"])

    def open(self, url):
        self.call("browsingContext.navigate", context=self.context, url=url)

    def _script(self, expression):
        result = self.call("script.evaluate", expression=expression, awaitPromise=True,
                           target={"context": self.context})
        if result["type"] == "exception":
            raise RuntimeError(f"{expression}: {result['exceptionDetails']['text']}")
        return result["result"]["value"]

    def _perform(self, source):
        self.call("input.performActions", context=self.context, actions=[source])


class WebKit(_WebDriver):
    """WebKitGTK's MiniBrowser, which has no headless mode, on a screen of Xvfb's, through
    WebKitWebDriver: classic WebDriver, over http. That has no console: a script that the page
    gets once it has loaded keeps the errors from then on."""

    def __init__(self):
        super().__init__()
        display, number_out = os.pipe()
        self._start(["Xvfb", "-displayfd", str(number_out), "-screen", "0", "1024x768x24",
                     "-nolisten", "tcp"], pass_fds=[number_out])
        os.close(number_out)
        # It writes the number, then a newline, which must find the pipe still open.
        with os.fdopen(display) as number:
            screen = ":" + number.readline().strip()
        port = _free_port()
        self._start(["WebKitWebDriver", f"--port={port}"], env=dict(os.environ, DISPLAY=screen),
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.address = f"http://127.0.0.1:{port}"
        self.wait_for(self._ready, what="WebKitWebDriver")
        minibrowser = glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser")[0]
        options = {"binary": minibrowser, "args": ["--automation"]}
        session = self._request("POST", "/session", {
            "capabilities": {"alwaysMatch": {"webkitgtk:browserOptions": options}}})
        self.address += "/session/" + session["sessionId"]
        self._request("POST", "/window/rect", {"x": 0, "y": 0, "width": 1024, "height": 768})

    def close(self):
        try:
            self._request("DELETE", "")
        finally:
            super().close()

    def _ready(self):
        try:
            return urllib.request.urlopen(self.address + "/status", timeout=5).status == 200
        except OSError:
            return False

    def _request(self, method, path, body=None):
        request = urllib.request.Request(
            self.address + path, method=method, headers={"Content-Type": "application/json"},
            data=None if body is None else json.dumps(body).encode())
        try:
            with urllib.request.urlopen(request) as response:
                return json.load(response)["value"]
        except urllib.error.HTTPError as error:
            value = json.load(error)["value"]
            raise RuntimeError(f"{method} {path}: {value['error']}: {value['message']}") from None

    def open(self, url):
        self._request("POST", "/url", {"url": url})
        self._script(ERROR_KEEPER)

    # Now and then, while Qt starts, WebKitWebDriver fails to read back a script's result, a
    # string like any other: the script is run again, twice at most.
    def _script(self, expression):
        for attempt in range(3):
            try:
                return self._request("POST", "/execute/sync",
                                     {"script": f"return {expression}", "args": []})
            except RuntimeError as error:
                if attempt == 2 or "Could not parse script result" not in str(error):
                    raise

    def _perform(self, source):
        self._request("POST", "/actions", {"actions": [source]})

    @property
    def errors(self):
        return self.evaluate("window.kubrisk_errors ?? []")


class _Connection:
    """JSON messages over a WebSocket, as the DevTools protocol and WebDriver BiDi send them:
    commands by number, and between their results events, which go to `on_event`."""

    def __init__(self, address, on_event):
        self.socket = websocket.create_connection(address, suppress_origin=True)
        self.on_event = on_event
        self.last_id = 0

    def close(self):
        self.socket.close()

    def call(self, method, params):
        self.last_id += 1
        self.socket.send(json.dumps({"id": self.last_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.last_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']} {message.get('message', '')}")
                return message["result"]
            if "method" in message:
                self.on_event(message["method"], message.get("params", {}))


# Keeps what the page's console would show as errors in window.kubrisk_errors.
ERROR_KEEPER = """(() => {
    if (window.kubrisk_errors)
        return '';
    const errors = window.kubrisk_errors = [];
    addEventListener('error', event => errors.push(event.message));
    addEventListener('unhandledrejection', event => errors.push(String(event.reason)));
    document.addEventListener('securitypolicyviolation',
                              event => errors.push(`refused by ${event.violatedDirective}`));
    const error = console.error;
    console.error = (...args) => { errors.push(args.join(' ')); error.apply(console, args); };
    return '';
})()"""

ENGINES = {"Chromium": Chromium, "Firefox": Firefox, "WebKit": WebKit}


def _free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


# Where Qt puts its windows in the element that it draws in.
QT_WINDOWS = "(document.getElementById('game')?.firstElementChild?.shadowRoot" \
    "?.querySelectorAll('.qt-window') ?? [])"


class Pixels:
    """RGBA pixels, as a canvas holds them."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def crop(self, x, y, width, height):
        """The bytes of a rectangle, to compare two pictures of the same place."""
        return b"".join(self.data[4 * (row * self.width + x):4 * (row * self.width + x + width)]
                        for row in range(y, y + height))


def main():
    program = os.path.abspath(sys.argv[1])
    url = serve(os.path.dirname(program))
    name = os.path.basename(program)[:-len(".js")]
    with Chromium() as browser:
        status = browser.run(f"{url}run?{name}", sys.argv[2:])
        for error in browser.errors:
            print(f"console: {error}")
    return status


if __name__ == "__main__":
    sys.exit(main())
