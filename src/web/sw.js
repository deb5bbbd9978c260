// Keeps the game playable without a network: every file of the site is
// stored when the worker installs; a request goes to the network first and
// falls back to the stored copy, which each answer from the network renews.
'use strict';

const CACHE = 'tarnvale-1';
const FILES = ['./', 'index.html', 'style.css', 'app.js', 'engine.js', 'tarnvale.js', 'tarnvale.wasm',
               'manifest.webmanifest', 'icon.svg', 'icon.png', 'LiberationSans-Bold.ttf'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k !== CACHE).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      caches.open(CACHE).then((cache) => cache.put(request, copy));
    }
    return response;
  }).catch(() => caches.match(request, { ignoreSearch: true })
    .then((stored) => stored || caches.match('index.html'))));
});
