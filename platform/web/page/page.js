// The page around the program: fetches the program file, runs the program
// with it in its in-memory file system, turns the page's input into window
// messages, scales the canvas, and reports how each run ended. The URL's
// query is the command line: ?w, ?16, ?15, ?24 (several joined by &).
(function () {
  'use strict';

  var ProgramFile = 'QZ_Quillwave2k.exe';
  var Width = @QZ_FRAME_WIDTH@;    // the frame's size, written in by the build from base/frame.h
  var Height = @QZ_FRAME_HEIGHT@;
  var MessageRoom = 256;   // input beyond this many waiting messages is dropped

  // Window messages and the key code the program knows.
  var WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008;
  var WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101;
  var ButtonDown = [0x0201, 0x0207, 0x0204];   // left, middle, right
  var ButtonUp = [0x0202, 0x0208, 0x0205];
  var VK_ESCAPE = 0x1B;
  var DoubleTapMilliseconds = 300;   // a second tap this soon after the first
  var DoubleTapRoom = 40;            // and this near it (CSS pixels) is a double tap

  var canvas = document.getElementById('screen');
  var context = canvas.getContext('2d', { alpha: false });
  var picture = context.createImageData(Width, Height);
  var shown = new Uint32Array(picture.data.buffer);   // the canvas's picture
  var statusLine = document.getElementById('status');
  // A phone or tablet: touch alone, no mouse or keyboard to ask for.
  var touchOnly = !!(window.matchMedia && window.matchMedia('(pointer: coarse)').matches &&
    !window.matchMedia('(any-pointer: fine)').matches);
  var Prompts = touchOnly
    ? { start: 'Tap to start. Double-tap for full screen.', again: 'The end. Tap to play again.' }
    : { start: 'Click or press a key to start', again: 'The end. Click or press a key to play again.' };

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
  var AudioContextClass = window.AudioContext || window.webkitAudioContext;
  var audio;                 // the AudioContext; undefined until the gesture, null without audio
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

  // The largest whole enlargement that fits the page; on a screen smaller
  // than the picture (a narrow phone), the picture shrunk to fit instead.
  function fit() {
    var room = Math.min(window.innerWidth / Width, window.innerHeight / Height);
    var factor = room >= 1 ? Math.floor(room) : room;
    canvas.style.width = Width * factor + 'px';
    canvas.style.height = Height * factor + 'px';
    canvas.classList.remove('unsized');
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

  function same(a, b) {
    for (var i = 0; i < a.length; i++) {
      if (a[i] !== b[i]) {
        return false;
      }
    }
    return true;
  }

  // --- the clock the program follows -----------------------------------------

  // The page's clock without the time the page spent hidden: a hidden page
  // gets no animation frames, so the presentation stands still as a whole
  // (its ticks follow this clock, its music is suspended) and goes on from
  // where it was when the page is shown again. The music stops and starts a
  // little after it is told to, and the page hears of it later still on a
  // busy machine; the clock takes the music's own count of what it played
  // meanwhile, so that picture and music stand at the same place and go on
  // together.
  var ResumeWait = 1000;   // milliseconds the clock waits at most for the music to go on

  var hiddenAt = document.hidden ? performance.now() : -1;   // page time the clock stopped, -1 while it runs
  var hiddenFor = 0;         // milliseconds the clock stood still in all
  var audioHeld = false;     // the page holds the audio suspended (or is resuming it)
  var visibilityChanges = 0; // tells a late answer whether its change still holds

  function clock() {
    return (hiddenAt >= 0 ? hiddenAt : performance.now()) - hiddenFor;
  }

  // `played`: milliseconds the music played since the clock stopped.
  function clockGo(change, played) {
    if (change === visibilityChanges && hiddenAt >= 0) {
      hiddenFor += performance.now() - hiddenAt - played;
      hiddenAt = -1;
      audioHeld = false;
    }
  }

  document.addEventListener('visibilitychange', function () {
    var change = ++visibilityChanges;
    if (document.hidden) {
      if (hiddenAt < 0) {
        hiddenAt = performance.now();
      }
      if (audio && (audio.state === 'running' || audioHeld)) {
        var heard = audio.currentTime;
        audioHeld = true;
        audio.suspend().then(function () {
          if (change === visibilityChanges) {
            hiddenAt += Math.max(0, audio.currentTime - heard) * 1000;
          }
        });
      }
    } else if (hiddenAt >= 0) {
      if (audioHeld) {
        var held = audio.currentTime;
        var go = function () { clockGo(change, Math.max(0, audio.currentTime - held) * 1000); };
        audio.resume().then(go, go);
        setTimeout(go, ResumeWait);
      } else {
        clockGo(change, 0);
      }
    }
  });

  // --- input ----------------------------------------------------------------

  function post(message, wParam) {
    if (run.state === 'playing' && messages.length < MessageRoom) {
      messages.push([message, wParam]);
      run.posted++;
    }
  }

  // Opening the page's audio takes a few hundred milliseconds on some
  // machines: it waits for the gesture, which lets the audio start at once.
  function openAudio() {
    if (audio === undefined) {
      try {
        audio = AudioContextClass ? new AudioContextClass() : null;
      } catch (e) {
        audio = null;
      }
    }
    return audio;
  }

  function gesture() {
    if (AudioContextClass) {
      openAudio();
    }
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
  // A tap starts the presentation at once (the click that follows it may
  // come late or, on some phones, not at all); a double tap asks for full
  // screen, which only a gesture may. The double click a browser makes of a
  // double tap then changes nothing more.
  var lastTap = { at: -Infinity, x: 0, y: 0 };   // the tap a second one would double
  var touchedAt = -Infinity;                      // the last lift of a finger or pen
  window.addEventListener('pointerup', function (e) {
    if (e.pointerType === 'mouse') {
      return;
    }
    touchedAt = e.timeStamp;
    var near = Math.abs(e.clientX - lastTap.x) < DoubleTapRoom && Math.abs(e.clientY - lastTap.y) < DoubleTapRoom;
    if (near && e.timeStamp - lastTap.at < DoubleTapMilliseconds) {
      askFullScreen();
      lastTap.at = -Infinity;
    } else {
      lastTap = { at: e.timeStamp, x: e.clientX, y: e.clientY };
    }
    gesture();
  });
  window.addEventListener('click', gesture);
  window.addEventListener('dblclick', function (e) {
    if (e.timeStamp - touchedAt > DoubleTapMilliseconds * 2) {
      askFullScreen();
    }
  });
  window.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  window.addEventListener('focus', function () { post(WM_SETFOCUS, 0); });
  window.addEventListener('blur', function () { post(WM_KILLFOCUS, 0); });

  // --- what the program's platform layer asks of the page -------------------

  var host = {
    commandLine: commandLine(),

    now: clock,

    // True while the page is hidden and the presentation stands still.
    held: function () {
      return hiddenAt >= 0;
    },

    // A picture the canvas already shows is not put again: about half the
    // scroller's frames repeat the last one (it moves every 42 ms), and an
    // unchanged canvas costs the browser no new frame to composite.
    paint: function (pixels) {
      var next = new Uint32Array(pixels.buffer, pixels.byteOffset, pixels.length >> 2);
      if (run.paints > 0 && next.length === shown.length && same(next, shown)) {
        return;
      }
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

    audioAvailable: function () {
      return !!AudioContextClass;
    },

    // The page's audio, opened at the gesture; null when it cannot be.
    audioContext: openAudio,

    // The music decoded, before the gesture and off the page's audio: a
    // decoded buffer plays in any context. A run that plays again gets the
    // last decode when its bytes are the same.
    decode: function (bytes) {
      var last = decodedMusic;
      if (last && last.bytes.length === bytes.length && last.bytes.every(function (b, i) { return b === bytes[i]; })) {
        run.musicDecoded = true;
        return Promise.resolve(last.buffer);
      }
      var kept = bytes.slice();
      return window.qzDecodeMusic(bytes, openAudio).then(function (buffer) {
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
      say(Prompts.start);
    },

    exit: function (code, meaning) {
      run.state = 'ended';
      run.exitCode = code;
      run.meaning = meaning;
      document.body.style.cursor = '';
      if (code === 0) {
        say(Prompts.again);
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
          // Owned, not copied: the program only reads it.
          module.FS.writeFile(ProgramFile, programBytes, { canOwn: true });
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

  // The service worker (sw.js) keeps the page's files for playing offline and
  // as an installed app; browsers allow one only over http(s).
  if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
    window.addEventListener('load', function () {
      navigator.serviceWorker.register('sw.js').catch(function () {});
    });
  }

  window.qzFetchFile(ProgramFile).then(function (bytes) {
    programBytes = bytes ? new Uint8Array(bytes) : null;
    start(false);
  });
})();
