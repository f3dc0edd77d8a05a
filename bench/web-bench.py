#!/usr/bin/env python3
# The web page's costs: the .wasm's size as served, the time from opening the page to the drawn
# window in headless Chromium (median of five cold loads), then the benchmark run in the browser.
#   web-bench.py BUILD PAGE
import gzip
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
import browser  # noqa: E402

build, page_folder = sys.argv[1:3]
for name in ("kubrisk.wasm", "kubrisk.js"):
    data = open(os.path.join(page_folder, name), "rb").read()
    print(f"{name}: {len(data) / 1e6:.2f} MB, {len(gzip.compress(data, 9, mtime=0)) / 1e6:.2f} MB"
          " gzip -9")


# The page's clock, which starts as it is opened, once Qt drew its window.
def drawn_at(page):
    if page.qt_windows() and len(set(page.pixels().data)) > 2:
        return page.evaluate("performance.now()")
    return None


url = browser.serve(page_folder)
loads = []
for _ in range(5):
    with browser.Chromium() as page:
        page.open(url + "index.html")
        loads.append(page.wait_for(lambda: drawn_at(page), what="the window"))
print(f"from opening the page to the drawn window: {statistics.median(loads) / 1000:.2f} s "
      f"(median of {len(loads)})\n")

with browser.Chromium() as page:
    sys.exit(page.run(browser.serve(os.path.join(build, "bench")) + "run?bench_kubrisk"))
