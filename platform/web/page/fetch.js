// Fetches one file off the page's main thread, where taking in a few
// megabytes pauses the page for long stretches; hands the bytes over whole
// (moved, not copied), or null when the file cannot be had.
'use strict';

self.onmessage = function (event) {
  fetch(event.data).then(function (response) {
    return response.ok ? response.arrayBuffer() : null;
  }).catch(function () {
    return null;
  }).then(function (bytes) {
    self.postMessage(bytes, bytes ? [bytes] : []);
    self.close();
  });
};
