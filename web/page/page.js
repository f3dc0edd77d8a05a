// Loads the game into #game: the .wasm with its progress shown, a plain message where the
// browser cannot run it, and on a touch screen the four keys as buttons under the window.
'use strict';

const game = document.getElementById('game');
const loading = document.getElementById('loading');
const status = document.getElementById('status');
const progress = document.getElementById('progress');
const touchKeys = document.getElementById('touch-keys');
// The .wasm's own size, which the build writes into the page: a host that compresses gives the
// compressed size as Content-Length, while the bytes read arrive decompressed.
const wasmBytes = Number(document.documentElement.dataset.wasmBytes) || 0;

// The .wasm, compiled while it arrives in pieces that move the progress bar.
async function compileWithProgress(url) {
    const response = await fetch(url);
    if (!response.ok)
        throw new Error(`${url}: ${response.status} ${response.statusText}`);
    const total = wasmBytes
        || (!response.headers.has('Content-Encoding')
            && Number(response.headers.get('Content-Length'))) || 0;
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
    if (wasmBytes && received !== wasmBytes)
        throw new Error(`${url} arrived incomplete, ${received} of ${wasmBytes} bytes`);
    status.textContent = 'Starting Kubrisk…';
    return WebAssembly.compile(await new Blob(chunks).arrayBuffer());
}

// From the disk (file://) a browser fetches nothing beside the page but still runs its scripts:
// there the .wasm comes as a script that holds its bytes, gzip'd, in base64.
async function compileFromScript() {
    progress.removeAttribute('value');
    await new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = 'kubrisk-wasm.js';
        script.onload = resolve;
        script.onerror = () => reject(new Error('kubrisk-wasm.js is missing beside the page'));
        document.body.append(script);
    });
    const text = atob(window.kubrisk_wasm);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i)
        bytes[i] = text.charCodeAt(i);
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
                module: location.protocol === 'file:' ? compileFromScript()
                                                      : compileWithProgress('kubrisk.wasm'),
                containerElements: [game],
                entryFunction: window.kubrisk_entry,
                onLoaded: () => {
                    loading.hidden = true;
                    keepKeys();
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

if (window.matchMedia('(pointer: coarse)').matches) {
    touchKeys.hidden = false;
    for (const button of touchKeys.querySelectorAll('button')) {
        button.addEventListener('pointerdown', event => event.preventDefault());
        button.addEventListener('click', () => pressKey(button.dataset.key));
    }
}
start();
