"""Private sound servers for the tests and benchmarks: a PulseAudio daemon or a
PipeWire stack, each with a null sink whose monitor we record with parec, and
the few signal checks that tell the music and the card rustle apart in the
recording.

Nothing here touches a server of the machine: every server gets its own
runtime folder and socket, and only the processes started here are ended.
"""

import array
import operator
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import wave

RATE = 44100
SINK = "nullsink"
SERVER_START_TIMEOUT_S = 15


def cpu_seconds(pid):
    """User and system time of the whole process, threads that have ended included,
    in 1/100 s steps."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def _end(proc, sig=signal.SIGTERM, timeout=5):
    if proc is None or proc.poll() is not None:
        return
    proc.send_signal(sig)
    try:
        proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


class SessionBus:
    """A private D-Bus session bus, as a desktop session has one."""

    def __init__(self):
        self.proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.address = self.proc.stdout.readline().decode().strip()
        if not self.address:
            _end(self.proc)
            raise RuntimeError("dbus-daemon did not start")

    def stop(self):
        _end(self.proc)
        self.proc.stdout.close()


class SoundServer:
    """A private server with a null sink; kill() ends it the hard way, start() again
    brings it back on the same socket."""

    name = ""
    programs = ()
    # The null sink runs on its own clock even with nothing playing (PulseAudio
    # without suspend on idle); PipeWire's monitor delivers only while playing.
    steady_clock = False

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tarvo-%s-" % self.name)
        self.runtime = os.path.join(self.dir, "run")
        os.mkdir(self.runtime, 0o700)
        self.procs = []
        self.bus = None

    @classmethod
    def available(cls):
        return all(shutil.which(p) for p in cls.programs + ("pactl", "parec"))

    def server_env(self):
        env = dict(os.environ, HOME=self.dir, XDG_RUNTIME_DIR=self.runtime,
                   XDG_CONFIG_HOME=os.path.join(self.dir, "config"))
        env.pop("PULSE_SERVER", None)
        if self.bus:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.address
        return env

    def client_env(self):
        """What a client needs to find this server and no other; SDL picks its driver."""
        env = {"PULSE_SERVER": "unix:" + self.socket, "SDL_AUDIODRIVER": None}
        if self.bus:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.address
        return env

    def pactl(self, *args, check=True):
        env = dict(self.server_env(), PULSE_SERVER="unix:" + self.socket)
        return subprocess.run(["pactl", *args], env=env, check=check, timeout=10,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def _spawn(self, *argv):
        log = open(os.path.join(self.dir, os.path.basename(argv[0]) + ".log"), "ab")
        self.procs.append(subprocess.Popen(argv, env=self.server_env(), stdout=log, stderr=log))
        log.close()

    def _wait_ready(self):
        end = time.monotonic() + SERVER_START_TIMEOUT_S
        while time.monotonic() < end:
            if any(p.poll() is not None for p in self.procs):
                break
            if os.path.exists(self.socket) and self.pactl("info", check=False).returncode == 0:
                return
            time.sleep(0.05)
        self.kill()
        raise RuntimeError("%s did not start; see %s" % (self.name, self.dir))

    def kill(self):
        """Ends the server with SIGKILL, as a crash would, newest process first."""
        for proc in reversed(self.procs):
            _end(proc, signal.SIGKILL)
        self.procs = []

    def freeze(self, frozen=True):
        """Stops the server without ending it (SIGSTOP), as a hung or swamped server
        stops answering; frozen=False lets it go on."""
        for proc in self.procs:
            if proc.poll() is None:
                proc.send_signal(signal.SIGSTOP if frozen else signal.SIGCONT)

    def stop(self):
        self.kill()
        if self.bus:
            self.bus.stop()
            self.bus = None
        shutil.rmtree(self.dir, ignore_errors=True)

    def sink_inputs(self):
        """Number of playback streams on the server."""
        out = self.pactl("list", "short", "sink-inputs", check=False).stdout.decode()
        return len([line for line in out.splitlines() if line.strip()])

    def monitor(self):
        """A recorder of the sink; on a steady clock, once samples flow (the first
        can take the sink's idle block of 2 s)."""
        monitor = Monitor(dict(self.server_env(), PULSE_SERVER="unix:" + self.socket))
        if self.steady_clock and not monitor.wait_samples(1):
            monitor.stop()
            raise RuntimeError("no samples from the monitor of " + SINK)
        return monitor


class PulseAudio(SoundServer):
    name = "pulseaudio"
    programs = ("pulseaudio",)
    steady_clock = True

    def __init__(self):
        super().__init__()
        self.socket = os.path.join(self.dir, "pulse.sock")

    def start(self):
        # -n: no default script, so nothing but our sink and socket, and no
        # suspend on idle: the null sink keeps its clock running.
        self._spawn("pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--system=false", "--disallow-exit=no", "--use-pid-file=no",
                    "-L", "module-null-sink sink_name=%s rate=%d" % (SINK, RATE),
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + self.socket)
        self._wait_ready()
        return self


class PipeWire(SoundServer):
    name = "pipewire"
    programs = ("pipewire", "wireplumber", "pipewire-pulse", "dbus-daemon")

    def __init__(self, graph_rate=None):
        """graph_rate: the rate the graph runs at; PipeWire's own default (48 kHz,
        as on most desktops) if None."""
        super().__init__()
        self.graph_rate = graph_rate
        self.socket = os.path.join(self.runtime, "pulse", "native")

    def client_env(self):
        # SDL's own PipeWire driver finds the daemon in the runtime folder.
        return dict(super().client_env(), XDG_RUNTIME_DIR=self.runtime)

    def start(self):
        if not self.bus:
            self.bus = SessionBus()
        # A killed stack leaves its sockets behind: only new ones tell us it is up.
        for stale in ("pipewire-0", "pipewire-0.lock", "pulse/native"):
            if os.path.exists(os.path.join(self.runtime, stale)):
                os.unlink(os.path.join(self.runtime, stale))
        self._write_sink_config()
        self._spawn("pipewire")
        end = time.monotonic() + SERVER_START_TIMEOUT_S
        while not os.path.exists(os.path.join(self.runtime, "pipewire-0")):
            if time.monotonic() > end:
                self.kill()
                raise RuntimeError("pipewire did not start; see " + self.dir)
            time.sleep(0.05)
        self._spawn("wireplumber")
        self._spawn("pipewire-pulse")
        self._wait_ready()
        # The sink shows up once the session manager has seen it.
        while self.pactl("set-default-sink", SINK, check=False).returncode != 0:
            if time.monotonic() > end:
                self.kill()
                raise RuntimeError("no sink %s on pipewire; see %s" % (SINK, self.dir))
            time.sleep(0.05)
        return self

    def _write_sink_config(self):
        # The null sink is part of the daemon's own configuration, as a desktop's
        # sink is: a game that reconnects the moment the daemon is back finds it
        # there, instead of racing a later "pactl load-module".
        folder = os.path.join(self.dir, "config", "pipewire", "pipewire.conf.d")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tarvo-null-sink.conf"), "w") as conf:
            if self.graph_rate:
                conf.write("context.properties = { default.clock.rate = %d }\n" % self.graph_rate)
            conf.write("""context.objects = [
    { factory = adapter
      args = {
          factory.name = support.null-audio-sink
          node.name = "%s"
          media.class = Audio/Sink
          audio.rate = %d
          audio.position = [ FL FR ]
          monitor.channel-volumes = true
      }
    }
]
""" % (SINK, RATE))


SERVERS = {cls.name: cls for cls in (PulseAudio, PipeWire)}


class Monitor:
    """The null sink's monitor, recorded as mono 16-bit samples with the arrival time
    of every chunk, so a sample can be placed in time."""

    def __init__(self, env, latency_ms=2):
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--format=s16le", "--rate=%d" % RATE,
             "--channels=1", "--latency-msec=%d" % latency_ms, "--raw"],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.data = bytearray()
        self.chunks = []  # (monotonic time of arrival, samples received by then)
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            chunk = os.read(fd, 1 << 16)
            if not chunk:
                return
            now = time.monotonic()
            with self.lock:
                self.data += chunk
                self.chunks.append((now, len(self.data) // 2))

    def stop(self):
        _end(self.proc)
        self.reader.join(5)
        self.proc.stdout.close()

    def received(self):
        """Samples recorded so far."""
        with self.lock:
            return len(self.data) // 2

    def index_at(self, moment):
        """Samples that had arrived by a monotonic moment."""
        with self.lock:
            done = [n for t, n in self.chunks if t <= moment]
        return done[-1] if done else 0

    def samples(self, start=0, end=None):
        with self.lock:
            end = len(self.data) // 2 if end is None else min(end, len(self.data) // 2)
            return array.array("h", bytes(self.data[2 * start:2 * end]))

    def clock_offset(self, start=0, end=None):
        """Monotonic time of sample 0 if the sink played in real time throughout, read
        from the chunks that end between start and end: the earliest arrival of
        any, less the samples it completed (later arrivals are only the
        recorder's own delay)."""
        with self.lock:
            return min(t - n / RATE for t, n in self.chunks
                       if n > start and (end is None or n <= end))

    def wait_samples(self, count, timeout=10):
        end = time.monotonic() + timeout
        while self.received() < count and time.monotonic() < end:
            time.sleep(0.02)
        return self.received() >= count


# -- what the recording holds -------------------------------------------------------

WINDOW = RATE // 100  # 10 ms
SILENT_RMS = 30       # of 32767: well under any note, above rounding noise
TEMPLATE_MS = 20


def rms(samples):
    if not samples:
        return 0.0
    return (sum(map(operator.mul, samples, samples)) / len(samples)) ** 0.5


def windows_rms(samples, width=WINDOW):
    return [rms(samples[i:i + width]) for i in range(0, len(samples) - width + 1, width)]


def high_band(samples):
    """First difference: keeps the rustle's hiss, damps the music's low notes."""
    return array.array("i", map(operator.sub, samples[1:], samples[:-1]))


def sounding(samples, share=0.8):
    """Most 10 ms windows carry sound: music, not a single rustle."""
    levels = windows_rms(samples)
    return bool(levels) and sum(1 for v in levels if v > SILENT_RMS) >= share * len(levels)


def silent(samples):
    return all(v <= SILENT_RMS for v in windows_rms(samples))


def read_template(path, ms=TEMPLATE_MS):
    """The rustle's first milliseconds, as the mono samples the recorder takes."""
    with wave.open(path) as w:
        if w.getsampwidth() != 2 or w.getframerate() != RATE:
            raise ValueError("%s: expected 16-bit %d Hz" % (path, RATE))
        frames = w.readframes(RATE * ms // 1000)
        channels = w.getnchannels()
    samples = array.array("h", frames)
    return array.array("h", samples[::channels])


def correlation(samples, template, at):
    """Normalised correlation of the template with the samples from index at."""
    part = samples[at:at + len(template)]
    if len(part) < len(template):
        return 0.0
    energy = rms(part) * rms(template)
    if energy == 0:
        return 0.0
    return sum(map(operator.mul, part, template)) / len(template) / energy


def find_rustle(samples, template, baseline=None, min_correlation=0.5):
    """Index of the rustle's first sample in the recording, or None.

    A burst of high-band energy above the level before it (the music's) marks
    the candidate; the best normalised correlation with the rustle's start
    near it places the first sample exactly. baseline is the high-band RMS of
    what plays anyway, if known."""
    band = high_band(samples)
    step = WINDOW // 2
    levels = [rms(band[i:i + step]) for i in range(0, len(band) - step + 1, step)]
    if not levels:
        return None
    if baseline is None:
        baseline = sorted(levels)[len(levels) // 4]
    threshold = max(4 * baseline, 8 * SILENT_RMS)
    for k, level in enumerate(levels):
        if level <= threshold:
            continue
        lo = max(0, k * step - RATE * 15 // 1000)
        hi = min(len(samples) - len(template), (k + 1) * step)
        if hi < lo:
            return None
        best = max(range(lo, hi + 1), key=lambda i: correlation(samples, template, i))
        if correlation(samples, template, best) >= min_correlation:
            return best
    return None
