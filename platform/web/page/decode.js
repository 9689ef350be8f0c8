// Decodes the music (MPEG audio layer III) off the page's main thread with
// the browser's own decoder (WebCodecs): splits it into frames, decodes
// them and hands back one Float32Array per channel (moved, not copied), or
// { error } when this browser cannot, and the page decodes it itself.
'use strict';

// Samples per second by version (3 = MPEG 1, 2 = MPEG 2, 0 = MPEG 2.5) and
// index; kilobits per second by index, for MPEG 1 and for the others.
var Rates = { 3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000] };
var Mpeg1Kbps = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320];
var Mpeg2Kbps = [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160];
var LayerThree = 1;

// The layer III frames after any ID3v2 tag, each { at, length, samples }.
function split(bytes) {
  var b = bytes;
  var at = 0;
  if (b[0] === 0x49 && b[1] === 0x44 && b[2] === 0x33) {   // "ID3", its size in 7-bit bytes
    at = 10 + ((b[6] & 127) << 21 | (b[7] & 127) << 14 | (b[8] & 127) << 7 | (b[9] & 127));
  }
  var found = { rate: 0, channels: 0, frames: [] };
  while (at + 4 <= b.length) {
    var version = (b[at + 1] >> 3) & 3;
    var layer = (b[at + 1] >> 1) & 3;
    var bitrate = b[at + 2] >> 4;
    var rateIndex = (b[at + 2] >> 2) & 3;
    if (b[at] !== 0xFF || (b[at + 1] & 0xE0) !== 0xE0 || version === 1 || layer !== LayerThree ||
        bitrate === 0 || bitrate === 15 || rateIndex === 3) {
      at++;
      continue;
    }
    var rate = Rates[version][rateIndex];
    var padding = (b[at + 2] >> 1) & 1;
    var length = version === 3 ? Math.floor(144000 * Mpeg1Kbps[bitrate] / rate) + padding
      : Math.floor(72000 * Mpeg2Kbps[bitrate] / rate) + padding;
    if (at + length > b.length) {
      break;
    }
    found.rate = rate;
    found.channels = (b[at + 3] >> 6) === 3 ? 1 : 2;
    found.frames.push({ at: at, length: length, samples: version === 3 ? 1152 : 576 });
    at += length;
  }
  return found;
}

function decode(bytes) {
  var music = split(bytes);
  var config = { codec: 'mp3', sampleRate: music.rate, numberOfChannels: music.channels };
  if (music.frames.length === 0) {
    return Promise.reject(new Error('no frames'));
  }
  return AudioDecoder.isConfigSupported(config).then(function (support) {
    if (!support.supported) {
      throw new Error('mp3 not supported');
    }
    var pieces = [];
    var total = 0;
    var failed = null;
    var decoder = new AudioDecoder({
      output: function (data) {
        var piece = [];
        for (var c = 0; c < music.channels; c++) {
          var samples = new Float32Array(data.numberOfFrames);
          data.copyTo(samples, { planeIndex: c, format: 'f32-planar' });
          piece.push(samples);
        }
        pieces.push(piece);
        total += data.numberOfFrames;
        data.close();
      },
      error: function (e) { failed = e; },
    });
    decoder.configure(config);
    var samplesBefore = 0;
    music.frames.forEach(function (frame) {
      decoder.decode(new EncodedAudioChunk({ type: 'key', timestamp: Math.round(samplesBefore * 1e6 / music.rate),
        data: bytes.subarray(frame.at, frame.at + frame.length) }));
      samplesBefore += frame.samples;
    });
    return decoder.flush().then(function () {
      if (failed) {
        throw failed;
      }
      var channels = [];
      for (var c = 0; c < music.channels; c++) {
        var whole = new Float32Array(total);
        var at = 0;
        pieces.forEach(function (piece) {
          whole.set(piece[c], at);
          at += piece[c].length;
        });
        channels.push(whole);
      }
      return { rate: music.rate, channels: channels };
    });
  });
}

self.onmessage = function (event) {
  var decoded = typeof AudioDecoder === 'undefined' ? Promise.reject(new Error('no decoder'))
    : decode(new Uint8Array(event.data));
  decoded.then(function (music) {
    self.postMessage(music, music.channels.map(function (c) { return c.buffer; }));
  }, function (e) {
    self.postMessage({ error: String(e) });
  }).then(function () {
    self.close();
  });
};
