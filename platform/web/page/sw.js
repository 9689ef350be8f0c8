// Keeps every file the page needs under a cache named by the version, so that
// once visited the page opens and plays without a network, installed or not.
// scripts/build-web writes the version (the project's and the files' hash)
// and the list. A new version installs beside the one in use and takes over
// when no page of the old one is open: the next visit. Each version's files
// come from its own cache alone, never mixed with another's.
'use strict';

var Version = '@VERSION@';
var Files = @FILES@;
var Prefix = 'quillwave-';
var Cache = Prefix + Version;

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(Cache).then(function (cache) {
    // Past the browser's HTTP cache, which may still hold an older version.
    return cache.addAll(Files.map(function (file) { return new Request(file, { cache: 'reload' }); }));
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(Prefix) === 0 && name !== Cache;
    }).map(function (name) { return caches.delete(name); }));
  }));
});

// The query is the page's command line (?w, ?16): the same file for all.
self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET') {
    return;
  }
  event.respondWith(caches.open(Cache).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true });
  }).then(function (kept) {
    return kept || fetch(event.request);
  }));
});
