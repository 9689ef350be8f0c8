// The page's (page.js) heavy work, done by workers where the browser can:
// window.qzFetchFile(name) gives a promise of a file's bytes (fetch.js);
// window.qzDecodeMusic(bytes, pageAudio) of the decoded music, an AudioBuffer
// (decode.js), else decoded in an OfflineAudioContext (or, lacking one, the
// page's audio, from pageAudio()); a decoded buffer plays in any context. The
// decode takes its input away.
(function () {
  'use strict';

  var OfflineContextClass = window.OfflineAudioContext || window.webkitOfflineAudioContext;
  var MusicRate = 44100;     // the music's samples per second, decoded at that rate
  var CopyMilliseconds = 5;    // main-thread work at a time while filling the decoded music
  var SamplesPerCopy = 16384;

  // The browser's decoder on the main thread (the callbacks, not the
  // promise: older WebKit returns none). It takes its input away.
  function decodeHere(bytes, pageAudio) {
    var context = OfflineContextClass ? new OfflineContextClass(1, 1, MusicRate) : pageAudio();
    return new Promise(function (resolve, reject) {
      context.decodeAudioData(bytes.buffer, resolve, reject);
    });
  }

  function fetchHere(name) {
    return fetch(name).then(function (response) {
      return response.ok ? response.arrayBuffer() : null;
    }).catch(function () {
      return null;
    });
  }

  // A file's bytes, fetched by a worker (fetch.js) where there is one: taken
  // in on the main thread, the program file's megabytes would hold the page
  // up. Null when the file cannot be had.
  function fetchFile(name) {
    if (!window.Worker) {
      return fetchHere(name);
    }
    return new Promise(function (resolve) {
      try {
        var worker = new Worker('fetch.js');
        worker.onmessage = function (e) { resolve(e.data); };
        worker.onerror = function () { resolve(fetchHere(name)); };
        worker.postMessage(name);
      } catch (e) {
        resolve(fetchHere(name));
      }
    });
  }

  function nextTask() {
    return new Promise(function (resolve) {
      var channel = new MessageChannel();
      channel.port1.onmessage = resolve;
      channel.port2.postMessage(0);
    });
  }

  // The decoded samples put into an AudioBuffer a few milliseconds at a time:
  // all at once they would hold the page up.
  function fill(music) {
    var length = music.channels[0].length;
    var buffer = new AudioBuffer({ numberOfChannels: music.channels.length, length: length, sampleRate: music.rate });
    var at = 0;
    function step() {
      var until = performance.now() + CopyMilliseconds;
      while (at < length && performance.now() < until) {
        var end = Math.min(length, at + SamplesPerCopy);
        for (var c = 0; c < music.channels.length; c++) {
          buffer.copyToChannel(music.channels[c].subarray(at, end), c, at);
        }
        at = end;
      }
      return at < length ? nextTask().then(step) : buffer;
    }
    return step();
  }

  // The music decoded off the main thread where the browser can (decode.js),
  // else here: its main-thread part alone would hold the page up for long.
  function decodeMusic(bytes, pageAudio) {
    if (!window.Worker || !window.AudioBuffer) {
      return decodeHere(bytes, pageAudio);
    }
    var copy = bytes.slice();
    return new Promise(function (resolve, reject) {
      var worker = new Worker('decode.js');
      worker.onmessage = function (e) {
        if (e.data.error) {
          reject(new Error(e.data.error));
        } else {
          resolve(e.data);
        }
      };
      worker.onerror = function (e) {
        e.preventDefault();
        reject(new Error('decode.js'));
      };
      worker.postMessage(copy.buffer, [copy.buffer]);
    }).then(fill).catch(function () {
      return decodeHere(bytes, pageAudio);
    });
  }

  window.qzFetchFile = fetchFile;
  window.qzDecodeMusic = decodeMusic;
})();
