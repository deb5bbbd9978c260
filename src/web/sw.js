// Keeps the game playable without a network and quick to open: the site's
// files are stored when the worker installs and every start is served from
// that store, never waiting for the network. A new version of the site comes
// with a new worker (its store is named after the site's contents), which the
// browser fetches in the background; it stores the new files and serves them
// from the next start on. A URL the site does not have goes to the network as
// it is, and gets nothing in its place when the network is away.
'use strict';

const CACHE = 'tarnvale-@VERSION@';
const FILES = ['./', 'index.html', 'style.css', 'app.js', 'engine.js', 'tarnvale.js', 'tarnvale.wasm',
               'manifest.webmanifest', 'icon.svg', 'icon-192.png', 'icon-512.png', 'icon-maskable-512.png',
               'LiberationSans-Bold.woff2'];

self.addEventListener('install', (event) => {
  // `reload`: the files of this version, not what the browser's own cache
  // still holds of the last one.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((f) => new Request(f, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('tarnvale-') && k !== CACHE)
      .map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((stored) => stored || fetch(request)));
});
