// The JavaScript half of the browser platform: the clock, the canvas, the
// input queue, the waits that hand the page control, and the music through
// Web Audio.
// Everything the page owns lives on Module.qzHost (page.js): one host
// outlives the program runs it starts, so a run that plays again finds the
// page's audio context and decoded music where the last one left them.
// Every wake-up goes through callUserCallback, which takes an exit thrown
// on the way as the end of the run.

mergeInto(LibraryManager.library, {
  qz_web_command_line: function(out, room) {
    stringToUTF8(Module['qzHost'].commandLine, out, room);
    return 1;
  },

  // The exit unwinds the program for good; the host reports it first.
  qz_web_exit__deps: ['emscripten_force_exit'],
  qz_web_exit: function(code, meaning) {
    Module['qzHost'].exit(code, meaning ? UTF8ToString(meaning) : '');
    _emscripten_force_exit(code);
  },

  // The page's clock, standing still while the page is hidden: the ticks
  // follow it, so none fall due in a hidden page and none pile up.
  qz_web_now: function() {
    return Module['qzHost'].now();
  },

  qz_web_sleep__deps: ['$callUserCallback'],
  qz_web_sleep: function(ms) {
    Asyncify.handleSleep(function(wakeUp) {
      setTimeout(function() { callUserCallback(wakeUp); }, ms);
    });
  },

  // A message comes back sooner than a timeout, which browsers hold back
  // 4 ms and more once nested.
  qz_web_yield__deps: ['$callUserCallback'],
  qz_web_yield: function() {
    Asyncify.handleSleep(function(wakeUp) {
      var channel = new MessageChannel();
      channel.port1.onmessage = function() { callUserCallback(wakeUp); };
      channel.port2.postMessage(0);
    });
  },

  qz_web_wait_frame__deps: ['$callUserCallback'],
  qz_web_wait_frame: function() {
    Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() { callUserCallback(wakeUp); });
    });
  },

  qz_web_paint: function(rgba, width, height) {
    Module['qzHost'].paint(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
  },

  qz_web_show_pointer: function(show) {
    Module['qzHost'].showPointer(show != 0);
  },

  qz_web_take_message: function(message, wParam) {
    var m = Module['qzHost'].takeMessage();
    if (!m) return 0;
    HEAPU32[message >> 2] = m[0];
    HEAPU32[wParam >> 2] = m[1];
    return 1;
  },

  // --- sound -------------------------------------------------------------

  $QzAudio: {
    available: false, // the page has audio to play the music through
    context: null,   // the page's AudioContext once the gesture opened it, null without audio
    buffer: null,    // the decoded music
    source: null,    // what plays it, null while stopped
    startedAt: 0,    // context time at which the music's first sample sounds
    playedAt: 0,     // page clock (qz_web_now) at the play
    ran: false,      // the context has run since the play
    heard: 0,        // the last seconds told, held while the context stops
    // The latest step of the audio clock and the page time it was seen at,
    // for moving smoothly between its steps.
    stepTime: -1,
    stepSeenAt: 0,
  },

  qz_web_audio_open__deps: ['$QzAudio'],
  qz_web_audio_open: function() {
    QzAudio.available = Module['qzHost'].audioAvailable();
    QzAudio.context = null;
    return QzAudio.available ? 1 : 0;
  },

  // Hands the browser's decoder a copy (it takes its input away), then waits
  // for the decoded music and for the viewer's gesture, which opens the
  // page's audio. 1 = music ready to play, 0 = no audio (play silently),
  // -1 = the music was refused.
  qz_web_audio_load__deps: ['$QzAudio', '$callUserCallback'],
  qz_web_audio_load: function(data, length) {
    return Asyncify.handleSleep(function(wakeUp) {
      var host = Module['qzHost'];
      var bytes = HEAPU8.slice(data, data + length);
      var decoded = QzAudio.available ? host.decode(bytes) : Promise.resolve(null);
      var result = null;
      var gesture = false;
      function settle() {
        if (result === null || !gesture) return;
        if (result > 0) {
          QzAudio.context = host.audioContext();
          if (!QzAudio.context) result = 0;
        }
        callUserCallback(function() { wakeUp(result); });
      }
      decoded.then(function(buffer) {
        QzAudio.buffer = buffer;
        result = buffer ? 1 : 0;
        settle();
      }, function() {
        result = -1;
        settle();
      });
      host.whenGesture(function() { gesture = true; settle(); });
    });
  },

  qz_web_audio_play__deps: ['$QzAudio'],
  qz_web_audio_play: function() {
    var c = QzAudio.context;
    if (!c || !QzAudio.buffer) return;
    if (c.state === 'suspended') c.resume();
    var source = c.createBufferSource();
    source.buffer = QzAudio.buffer;
    source.connect(c.destination);
    QzAudio.startedAt = c.currentTime;
    QzAudio.playedAt = Module['qzHost'].now();
    source.start(QzAudio.startedAt);
    QzAudio.source = source;
    QzAudio.stepTime = -1;
    QzAudio.ran = false;
    QzAudio.heard = 0;
  },

  // Seconds of music heard since the play: the context time at the output
  // when the browser says so, else its current time, moved on by the page
  // clock between the clock's steps of about 10 ms but never by more than
  // one step, so a stalled context holds the position still. A context the
  // browser keeps suspended would hold the music back for ever; the page
  // clock stands in for it until it runs. Once it ran, a stop (the page
  // hidden) holds the position where it was until the context runs again.
  qz_web_audio_seconds__deps: ['$QzAudio'],
  qz_web_audio_seconds: function() {
    var c = QzAudio.context;
    if (!c || !QzAudio.source) return 0;
    var host = Module['qzHost'];
    if (c.state !== 'running' || host.held()) {
      return QzAudio.ran ? QzAudio.heard : (host.now() - QzAudio.playedAt) / 1000;
    }
    QzAudio.ran = true;
    var now = performance.now();
    var t = c.currentTime;
    var stamp = c.getOutputTimestamp ? c.getOutputTimestamp() : null;
    if (stamp && stamp.contextTime > 0 && stamp.performanceTime > 0 && stamp.performanceTime <= now) {
      t = stamp.contextTime + Math.min((now - stamp.performanceTime) / 1000, 0.05);
    } else {
      if (t !== QzAudio.stepTime) {
        QzAudio.stepTime = t;
        QzAudio.stepSeenAt = now;
      }
      t += Math.min((now - QzAudio.stepSeenAt) / 1000, 0.02);
    }
    QzAudio.heard = Math.max(0, t - QzAudio.startedAt);
    return QzAudio.heard;
  },

  qz_web_audio_stop__deps: ['$QzAudio'],
  qz_web_audio_stop: function() {
    if (QzAudio.source) {
      try { QzAudio.source.stop(); } catch (e) {}
      QzAudio.source.disconnect();
      QzAudio.source = null;
    }
  },

  // What the program was told, for the page (and its tests) to see. Heard
  // only while the context runs: a context the browser cannot start (no
  // output device) plays nothing, and the page clock stands in for it.
  qz_web_music_position__deps: ['$QzAudio'],
  qz_web_music_position: function(position, heard) {
    var c = QzAudio.context;
    Module['qzHost'].musicPosition(position >>> 0, heard != 0 && c !== null && c.state === 'running');
  },

  qz_web_audio_close__deps: ['$QzAudio', 'qz_web_audio_stop'],
  qz_web_audio_close: function() {
    _qz_web_audio_stop();
    QzAudio.buffer = null;
    QzAudio.context = null;
  },
});
