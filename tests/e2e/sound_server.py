"""A private sound server for the real-window tests, and what reaches it."""

import array
import os
import subprocess
import tempfile
import threading
import time


class SoundServer:
    """A private PulseAudio server whose only output is a sink that plays to no card, and what
    reaches that sink, as the loudest sample heard so far. The game is pointed at it by
    PULSE_SERVER."""

    SINK = "ears"

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory(prefix="brivadoro-sound-")
        self.address = "unix:" + os.path.join(self.folder.name, "native")
        self.loudest = 0
        environment = dict(os.environ, HOME=self.folder.name, XDG_RUNTIME_DIR=self.folder.name,
                           PULSE_SERVER=self.address)
        self.environment = environment
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--load=module-null-sink sink_name=" + self.SINK,
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + self.address[len("unix:"):]],
            env=environment, stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 20
            while subprocess.run(["pactl", "info"], env=environment, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL).returncode != 0:
                if self.server.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError("the sound server did not start")
                time.sleep(0.05)
            self.recorder = subprocess.Popen(
                ["parec", "--device=" + self.SINK + ".monitor", "--raw", "--format=s16le", "--channels=1",
                 "--rate=22050", "--latency-msec=20"], env=environment, stdout=subprocess.PIPE)
        except BaseException:
            self.close()
            raise
        threading.Thread(target=self.listen, daemon=True).start()

    def listen(self):
        while chunk := self.recorder.stdout.read(2048):
            samples = array.array("h", chunk[:len(chunk) // 2 * 2])
            self.loudest = max(self.loudest, max((abs(sample) for sample in samples), default=0))

    def clients_playing(self):
        """How many streams play to the sink: the game's once its device is open."""
        listed = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=self.environment,
                                capture_output=True, text=True, check=True)
        return len(listed.stdout.splitlines())

    def close(self):
        for process in (getattr(self, "recorder", None), self.server):
            if process is not None and process.poll() is None:
                process.terminate()
                process.wait()
        self.folder.cleanup()
