// Keeps one release of the page, whole, for playing offline. It takes a release's files only as
// the build made them, serves them from that release's own cache, and deletes the caches of the
// releases before it as it takes over. A new release's worker takes over only where no page of the
// old one can still be loading its files, so that no page mixes two releases' files; a page that
// has loaded plays on with its own.
'use strict';

// web/build.sh writes both: the release, its version and a digest of its files, and the SHA-256
// of each file that the page needs.
const RELEASE = '@RELEASE@';
const FILES = {/* @FILES@ */};
// Other folders of the same host keep their caches.
const CACHE = `${registration.scope} kubrisk ${RELEASE}`;

const hex = digest => Array.from(new Uint8Array(digest),
                                 byte => byte.toString(16).padStart(2, '0')).join('');

// Each file anew from the host, past the browser's cache: a host caught half-way through an upload
// fails the install, which the next visit tries again.
async function keep() {
    const cache = await caches.open(CACHE);
    await Promise.all(Object.entries(FILES).map(async ([name, sha256]) => {
        const response = await fetch(name, { cache: 'no-cache' });
        const digest = await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer());
        if (!response.ok || hex(digest) !== sha256)
            throw new Error(`${name} on the host is not the one of Kubrisk ${RELEASE}`);
        await cache.put(name, response);
    }));
}

async function forgetOthers() {
    for (const name of await caches.keys()) {
        if (name.startsWith(`${registration.scope} `) && name !== CACHE)
            await caches.delete(name);
    }
}

self.addEventListener('install', event => event.waitUntil(keep()));
self.addEventListener('activate', event => event.waitUntil(forgetOthers()));

// A page that has loaded asks the new release to take over, which it does at once where that page
// is the only one open; else once every page of the old release is closed.
self.addEventListener('message', event => {
    if (event.data !== 'take over')
        return;
    event.waitUntil(clients.matchAll({ includeUncontrolled: true, type: 'window' }).then(pages => {
        if (pages.every(page => page.id === event.source.id))
            return self.skipWaiting();
    }));
});

// The release's files whatever their version's query, the folder as its page; the rest, such as
// the licences, from the host.
self.addEventListener('fetch', event => {
    const url = new URL(event.request.url);
    const path = url.origin + url.pathname;
    if (event.request.method !== 'GET' || !path.startsWith(registration.scope))
        return;
    const name = path.slice(registration.scope.length) || 'index.html';
    if (!Object.hasOwn(FILES, name))
        return;
    event.respondWith(caches.open(CACHE)
        .then(cache => cache.match(name))
        .then(response => response ?? fetch(event.request)));
});
