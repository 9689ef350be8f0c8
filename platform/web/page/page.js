// The page around the program: fetches the program file, runs the program
// with it in its in-memory file system, turns the page's input into window
// messages, scales the canvas, and reports how each run ended. The URL's
// query is the command line: ?w, ?16, ?15, ?24 (several joined by &).
(function () {
  'use strict';

  var ProgramFile = 'QZ_Quillwave2k.exe';
  var Width = 320;
  var Height = 240;
  var MessageRoom = 256;   // input beyond this many waiting messages is dropped

  // Window messages and the key code the program knows.
  var WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008;
  var WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101;
  var ButtonDown = [0x0201, 0x0207, 0x0204];   // left, middle, right
  var ButtonUp = [0x0202, 0x0208, 0x0205];
  var VK_ESCAPE = 0x1B;

  var canvas = document.getElementById('screen');
  var context = canvas.getContext('2d', { alpha: false });
  var picture = context.createImageData(Width, Height);
  var statusLine = document.getElementById('status');

  // What the page knows about the current run; tests read it too.
  var run = window.qzRun = {
    number: 0,         // runs started
    state: 'loading',  // loading, waiting (for the gesture), playing, ended
    exitCode: null,    // set when the run ends
    meaning: '',
    gestureAt: 0,      // performance.now() of the gesture that started it
    paints: 0,         // pictures put on the canvas
    firstFrameAt: 0,   // performance.now() of the first picture after the gesture
    musicPosition: 0,  // the music's position as the program last read it
    musicAt: 0,        // performance.now() of that read
    audioTime: 0,      // and the audio context's time then, while heard
    musicHeard: false, // the music plays through the page's audio
    musicDecoded: false, // the browser has decoded the music
    posted: 0,         // input messages queued for the program
    taken: 0,          // and taken by it
  };

  var programBytes = null;   // the program file, null when it could not be had
  var messages = [];
  var gestured = false;
  var gestureWaiters = [];
  var audio;                 // the AudioContext; undefined until asked, null without audio
  var decodedMusic = null;   // { bytes, buffer } of the last decode

  function say(text) {
    statusLine.textContent = '';
    if (text) {
      var span = document.createElement('span');
      span.textContent = text;
      statusLine.appendChild(span);
    }
  }

  // --- the command line -----------------------------------------------------

  function commandLine() {
    var tokens = [ProgramFile];
    location.search.replace(/^\?/, '').split('&').forEach(function (part) {
      var option = decodeURIComponent(part.split('=')[0].replace(/\+/g, ' '));
      if (option) {
        tokens.push(/^[\/-]/.test(option) ? option : '/' + option);
      }
    });
    return tokens.join(' ');
  }

  // --- the screen -----------------------------------------------------------

  // The largest whole enlargement that fits the page, at least 1.
  function fit() {
    var factor = Math.max(1, Math.floor(Math.min(window.innerWidth / Width, window.innerHeight / Height)));
    canvas.style.width = Width * factor + 'px';
    canvas.style.height = Height * factor + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  // Older WebKit has only the prefixed calls, and its request returns no
  // promise; phones without element full screen have neither.
  function askFullScreen() {
    var root = document.documentElement;
    var request = root.requestFullscreen || root.webkitRequestFullscreen;
    if (document.fullscreenElement || document.webkitFullscreenElement || !request) {
      return;
    }
    var asked = request.call(root);
    if (asked && asked.catch) {
      asked.catch(function () {});
    }
  }

  // --- input ----------------------------------------------------------------

  function post(message, wParam) {
    if (run.state === 'playing' && messages.length < MessageRoom) {
      messages.push([message, wParam]);
      run.posted++;
    }
  }

  function gesture() {
    if (audio && audio.state === 'suspended') {
      audio.resume();
    }
    if (run.state === 'ended') {
      if (run.exitCode === 0) {
        start(true);
      }
      return;
    }
    if (!gestured) {
      gestured = true;
      if (run.state === 'waiting') {
        run.state = 'playing';
        say('');
      }
      run.gestureAt = performance.now();
      var waiters = gestureWaiters;
      gestureWaiters = [];
      waiters.forEach(function (w) { w(); });
    }
  }

  window.addEventListener('keydown', function (e) {
    if (e.key === 'f' || e.key === 'F') {
      askFullScreen();
    }
    post(WM_KEYDOWN, e.key === 'Escape' ? VK_ESCAPE : e.keyCode);
    gesture();
  });
  window.addEventListener('keyup', function (e) {
    post(WM_KEYUP, e.key === 'Escape' ? VK_ESCAPE : e.keyCode);
  });
  window.addEventListener('mousedown', function (e) {
    if (e.button <= 2) {
      post(ButtonDown[e.button], 0);
    }
  });
  window.addEventListener('mouseup', function (e) {
    if (e.button <= 2) {
      post(ButtonUp[e.button], 0);
    }
  });
  window.addEventListener('click', gesture);
  window.addEventListener('dblclick', askFullScreen);
  window.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  window.addEventListener('focus', function () { post(WM_SETFOCUS, 0); });
  window.addEventListener('blur', function () { post(WM_KILLFOCUS, 0); });

  // --- what the program's platform layer asks of the page -------------------

  var host = {
    commandLine: commandLine(),

    paint: function (pixels) {
      picture.data.set(pixels);
      context.putImageData(picture, 0, 0);
      run.paints++;
      if (gestured && !run.firstFrameAt) {
        run.firstFrameAt = performance.now();
      }
    },

    musicPosition: function (position, heard) {
      run.musicPosition = position;
      run.musicAt = performance.now();
      run.musicHeard = heard;
      run.audioTime = heard ? audio.currentTime : 0;
    },

    showPointer: function (show) {
      document.body.style.cursor = show ? '' : 'none';
    },

    takeMessage: function () {
      if (messages.length) {
        run.taken++;
      }
      return messages.shift();
    },

    audioContext: function () {
      if (audio === undefined) {
        var Context = window.AudioContext || window.webkitAudioContext;
        try {
          audio = Context ? new Context() : null;
        } catch (e) {
          audio = null;
        }
      }
      return audio;
    },

    // The music decoded; a run that plays again gets the last decode when
    // its bytes are the same.
    decode: function (context, bytes) {
      var last = decodedMusic;
      if (last && last.bytes.length === bytes.length && last.bytes.every(function (b, i) { return b === bytes[i]; })) {
        run.musicDecoded = true;
        return Promise.resolve(last.buffer);
      }
      var kept = bytes.slice();
      // The callbacks, not the promise: older WebKit returns none.
      return new Promise(function (resolve, reject) {
        context.decodeAudioData(bytes.buffer, resolve, reject);
      }).then(function (buffer) {
        decodedMusic = { bytes: kept, buffer: buffer };
        run.musicDecoded = true;
        return buffer;
      });
    },

    whenGesture: function (callback) {
      if (gestured) {
        callback();
        return;
      }
      gestureWaiters.push(callback);
      run.state = 'waiting';
      say('Click or press a key to start');
    },

    exit: function (code, meaning) {
      run.state = 'ended';
      run.exitCode = code;
      run.meaning = meaning;
      document.body.style.cursor = '';
      if (code === 0) {
        say('The end. Click or press a key to play again.');
      } else {
        say('The presentation stopped with exit code ' + code + (meaning ? ': ' + meaning + '.' : '.'));
      }
    },
  };

  // --- runs -------------------------------------------------------------------

  function start(afterGesture) {
    run.number++;
    run.state = 'playing';
    run.exitCode = null;
    run.meaning = '';
    run.musicPosition = 0;
    run.musicHeard = false;
    run.musicDecoded = false;
    run.firstFrameAt = 0;
    messages = [];
    run.posted = run.taken = 0;
    gestured = afterGesture;
    gestureWaiters = [];
    run.gestureAt = afterGesture ? performance.now() : 0;
    say(afterGesture ? '' : 'Loading\u2026');
    QuillwaveModule({
      qzHost: host,
      preRun: [function (module) {
        if (programBytes) {
          module.FS.writeFile(ProgramFile, programBytes);
        }
      }],
    }).catch(function (e) {
      // No exit code: the program itself never ran.
      run.state = 'ended';
      say('The program could not start (' + e + ').');
    });
    if (document.hasFocus()) {
      post(WM_SETFOCUS, 0);
    }
  }

  fetch(ProgramFile).then(function (response) {
    return response.ok ? response.arrayBuffer() : null;
  }).catch(function () {
    return null;
  }).then(function (bytes) {
    programBytes = bytes ? new Uint8Array(bytes) : null;
    start(false);
  });
})();
