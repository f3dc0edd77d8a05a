// Loads the game into #game: the .wasm with its progress shown, a plain message where the
// browser cannot run it, and on a touch screen the four keys as buttons under the window. Served
// over http(s), the page is an app that a browser installs, plays offline and updates itself.
'use strict';

const game = document.getElementById('game');
const loading = document.getElementById('loading');
const status = document.getElementById('status');
const progress = document.getElementById('progress');
const touchKeys = document.getElementById('touch-keys');
const update = document.getElementById('update');
// What the build writes into the page: the .wasm's script's own size, as a host that compresses
// gives the compressed size as Content-Length while the bytes read arrive decompressed; and the
// release, which names its files' versions for the browser's cache.
const { payloadBytes, release } = document.documentElement.dataset;
const served = location.protocol.startsWith('http');
// The .wasm comes as a script that holds its bytes, gzip'd, in base64: one file for the page
// served and the page opened from the disk (file://), where a browser fetches no file beside the
// page but still runs its scripts.
const payload = 'kubrisk-wasm.js';

// Served, the script's text arrives in pieces that move the progress bar.
async function fetchWithProgress(url) {
    const response = await fetch(url);
    if (!response.ok)
        throw new Error(`${payload}: ${response.status} ${response.statusText}`);
    const total = Number(payloadBytes) || 0;
    const reader = response.body.getReader();
    const chunks = [];
    let received = 0;
    for (;;) {
        const { done, value } = await reader.read();
        if (done)
            break;
        chunks.push(value);
        received += value.length;
        if (total)
            progress.value = Math.min(received / total, 1);
    }
    if (total && received !== total)
        throw new Error(`${payload} arrived incomplete, ${received} of ${total} bytes`);
    const text = await new Blob(chunks).text();
    return text.slice(text.indexOf('"') + 1, text.lastIndexOf('"'));
}

// From the disk, the script runs as one.
async function runScript() {
    progress.removeAttribute('value');
    await new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = payload;
        script.onload = resolve;
        script.onerror = () => reject(new Error(`${payload} is missing beside the page`));
        document.body.append(script);
    });
    return window.kubrisk_wasm;
}

// Where the browser decodes base64 itself, in one step of its own code: much less work for the
// page's thread than a loop over millions of characters.
function fromBase64(text) {
    if (Uint8Array.fromBase64)
        return Uint8Array.fromBase64(text);
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i)
        bytes[i] = binary.charCodeAt(i);
    return bytes;
}

async function compile(base64) {
    const bytes = fromBase64(base64);
    const wasm = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    status.textContent = 'Starting Kubrisk…';
    return WebAssembly.compile(await new Response(wasm).arrayBuffer());
}

// Qt reads the keys from a hidden text input of its own, which it focuses only as the focus moves
// between its widgets: a click beside the window, or on the page of another tab, took the keys
// away for good. Any click of the mouse, and the page's return to the front, give them back; a
// touch does not, as a focused text input opens a touch screen's keyboard.
function qtInput() {
    return document.querySelector('body > input[type="text"]');
}

function keepKeys() {
    const giveBack = () => qtInput()?.focus({ preventScroll: true });
    // At once: a key pressed right after the click would otherwise miss the input.
    document.addEventListener('pointerup', event => {
        if (event.pointerType === 'mouse')
            giveBack();
    }, true);
    window.addEventListener('focus', giveBack);
}

// A key as Qt reads it, pressed and released on its input; a touch button does not take the
// focus.
function pressKey(key) {
    for (const type of ['keydown', 'keyup']) {
        qtInput()?.dispatchEvent(new KeyboardEvent(type, {
            key, code: `Key${key.toUpperCase()}`, bubbles: true, cancelable: true, composed: true,
        }));
    }
}

// A service worker keeps the release for playing offline, and fetches a new one in the background
// as the page opens. This page, once loaded, plays on with its own files: the new release starts
// the next time the page is opened. The worker registers once the game has loaded, not to slow
// that down.
async function keepOffline() {
    if (!served || !('serviceWorker' in navigator))
        return;
    const registration = await navigator.serviceWorker.register('service-worker.js');
    const tell = () => {
        if (registration.waiting && navigator.serviceWorker.controller) {
            update.hidden = false;
            registration.waiting.postMessage('take over');
        }
    };
    registration.addEventListener('updatefound', () => {
        registration.installing?.addEventListener('statechange', tell);
    });
    tell();
    // Offline, the release at hand plays on.
    registration.update().catch(() => {});
}

async function start() {
    if (typeof WebAssembly !== 'object') {
        status.textContent = 'This browser cannot run WebAssembly, which Kubrisk needs: '
            + 'try a current Firefox, Chrome, Edge or Safari.';
        progress.hidden = true;
        return;
    }
    status.textContent = 'Loading Kubrisk…';
    try {
        await qtLoad({
            qt: {
                module: (served ? fetchWithProgress(`${payload}?${release}`) : runScript())
                    .then(compile),
                containerElements: [game],
                entryFunction: window.kubrisk_entry,
                onLoaded: () => {
                    loading.hidden = true;
                    keepKeys();
                    keepOffline();
                },
                onExit: exit => {
                    status.textContent = exit.crashed ? `Kubrisk stopped: ${exit.text}`
                                                      : 'Kubrisk has ended.';
                    loading.hidden = false;
                    progress.hidden = true;
                },
            },
        });
    } catch (error) {
        status.textContent = `Kubrisk could not start: ${error.message}. Reload the page to try `
            + 'again.';
        progress.hidden = true;
        loading.hidden = false;
    }
}

// Served, the page is an app to install; from the disk the browser would refuse its manifest.
if (served) {
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
}
if (window.matchMedia('(pointer: coarse)').matches) {
    touchKeys.hidden = false;
    for (const button of touchKeys.querySelectorAll('button')) {
        button.addEventListener('pointerdown', event => event.preventDefault());
        button.addEventListener('click', () => pressKey(button.dataset.key));
    }
}
start();
