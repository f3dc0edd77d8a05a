#!/usr/bin/env python3
# The web page's costs: the .wasm's size as served, gzip'd and in the release's zip; then in each
# browser engine the time from opening the page to the drawn window (median of five cold loads),
# and the benchmark run in the browser.
#   bench.py BUILD PAGE
import gzip
import os
import statistics
import sys
import zlib

import browser

build, page_folder = sys.argv[1:3]
for name in ("kubrisk.wasm", "kubrisk-wasm.js", "kubrisk.js"):
    data = open(os.path.join(page_folder, name), "rb").read()
    print(f"{name}: {len(data) / 1e6:.2f} MB, {len(gzip.compress(data, 9, mtime=0)) / 1e6:.2f} MB"
          f" gzip -9, {len(zlib.compress(data)) / 1e6:.2f} MB in the zip")


# The page's clock, which starts as it is opened, once Qt drew its window.
def drawn_at(page):
    if page.qt_windows() and len(set(page.pixels().data)) > 2:
        return page.evaluate("performance.now()")
    return None


url = browser.serve(page_folder)
program = browser.serve(os.path.join(build, "bench")) + "run?bench_kubrisk"
status = 0
for name, engine in browser.ENGINES.items():
    loads = []
    for _ in range(5):
        with engine() as page:
            page.open(url + "index.html")
            loads.append(page.wait_for(lambda: drawn_at(page), what="the window"))
    print(f"\n{name}: from opening the page to the drawn window: "
          f"{statistics.median(loads) / 1000:.2f} s (median of {len(loads)})", flush=True)
    with engine() as page:
        status = page.run(program) or status
sys.exit(status)
