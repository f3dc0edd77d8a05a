#!/usr/bin/env python3
# The web page's costs: the .wasm's size raw, gzip'd and brotli'd, and that of the files that the
# page loads as served and in the release's zip; then in each browser engine the time from opening
# the page to the drawn window, online (median of five cold loads) and offline from its service
# worker (median of five visits), beside the page of 1.0.0, before it was an app; and the
# benchmark run in the browser.
#   bench.py BUILD PAGE
import gzip
import os
import statistics
import sys
import zlib

import brotli

import browser

# From opening the page of 1.0.0 to its drawn window, in seconds, median of seven cold loads, each
# beside one of the page as an app, on the 2-core machine of docs/web.md.
BEFORE = {"Chromium": 1.94, "Firefox": 1.52, "WebKit": 2.17}

build, page_folder = sys.argv[1:3]
wasm = open(os.path.join(build, "kubrisk.wasm"), "rb").read()
print(f"kubrisk.wasm: {len(wasm) / 1e6:.2f} MB, {len(gzip.compress(wasm, 9, mtime=0)) / 1e6:.2f} MB"
      f" gzip -9, {len(brotli.compress(wasm)) / 1e6:.2f} MB brotli")
for name in (browser.PAYLOAD, "kubrisk.js"):
    data = open(os.path.join(page_folder, name), "rb").read()
    print(f"{name}: {len(data) / 1e6:.2f} MB as served, {len(zlib.compress(data)) / 1e6:.2f} MB in"
          " the zip")


# The page's clock, which starts as it is opened, once Qt drew its window.
def drawn_at(page):
    if page.qt_windows() and len(set(page.pixels().data)) > 2:
        return page.evaluate("performance.now()")
    return None


def opened(page, url):
    page.open(url + "index.html")
    return page.wait_for(lambda: drawn_at(page), what="the window") / 1000


url = browser.serve(page_folder)
program = browser.serve(os.path.join(build, "bench")) + "run?bench_kubrisk"
status = 0
for name, engine in browser.ENGINES.items():
    online = []
    for _ in range(5):
        with engine() as page:
            online.append(opened(page, url))
    with engine() as page:
        offline_url = browser.serve(page_folder)
        opened(page, offline_url)
        page.wait_for(lambda: page.evaluate("navigator.serviceWorker.getRegistration()"
                                            ".then(found => found?.active?.state === 'activated')"),
                      what="the service worker")
        browser.stop(offline_url)
        offline = []
        for _ in range(5):
            page.open("about:blank")
            offline.append(opened(page, offline_url))
    print(f"\n{name}: from opening the page to the drawn window: {statistics.median(online):.2f} s"
          f" online, {statistics.median(offline):.2f} s offline (median of 5; 1.0.0's page: "
          f"{BEFORE[name]:.2f} s online)", flush=True)
    with engine() as page:
        status = page.run(program) or status
sys.exit(status)
