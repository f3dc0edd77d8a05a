// Loads the game into #game: the .wasm with its progress shown, a plain message where the
// browser cannot run it, and on a touch screen the four keys as buttons under the window.
'use strict';

const game = document.getElementById('game');
const loading = document.getElementById('loading');
const status = document.getElementById('status');
const progress = document.getElementById('progress');
const touchKeys = document.getElementById('touch-keys');

// The .wasm, compiled while it arrives in pieces that move the progress bar.
async function compileWithProgress(url) {
    const response = await fetch(url);
    if (!response.ok)
        throw new Error(`${url}: ${response.status} ${response.statusText}`);
    const total = Number(response.headers.get('Content-Length')) || 0;
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
            progress.value = received / total;
    }
    status.textContent = 'Starting Kubrisk…';
    return WebAssembly.compile(await new Blob(chunks).arrayBuffer());
}

// A key as Qt reads it: pressed and released on the element that has the focus, which Qt gives
// its window or, on a touch screen, its text input; a touch button does not take it.
function pressKey(key) {
    for (const type of ['keydown', 'keyup']) {
        document.activeElement.dispatchEvent(new KeyboardEvent(type, {
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
                module: compileWithProgress('kubrisk.wasm'),
                containerElements: [game],
                entryFunction: window.kubrisk_entry,
                onLoaded: () => {
                    loading.hidden = true;
                    game.hidden = false;
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
        status.textContent = `Kubrisk could not start: ${error.message}`;
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
