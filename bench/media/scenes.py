"""Screen contents for the media bench, beyond the full-screen motion of bench.py.

Each scene puts something on the test desktop's screen and takes it away again:
  still   a detailed picture that does not change (ImageMagick's display, drawn once);
  corner  the same with one 320x180 moving picture in the top-left corner;
  typing  the same with a terminal window into which text is typed, ten keys a second.
Both recorders record the whole 1920x1080 screen of each scene, with sound, one after the
other; the figures are CPU seconds per recorded second, peak memory, dropped and repeated
frames, stop latency and file size per minute.
"""
import os
import subprocess
import tempfile
import time

SCREEN = (1920, 1080)
CORNER = (320, 180)
# What is typed into the terminal, over and over: ordinary words and a few symbols.
TYPED = 'the quick brown fox jumps over the lazy dog 0123456789 -_=+ '
# `xdotool type` spends half its --delay on each character (timed here: 100 ms typed twenty
# keys a second), so 200 ms types ten.
TYPING_DELAY_MS = 200


def _wait_window(title):
    subprocess.run(['timeout', '20', 'xdotool', 'search', '--sync', '--onlyvisible', '--name',
                    title], stdout=subprocess.DEVNULL, check=False)


class Scene:
    name = ''

    def __init__(self, workdir):
        self.workdir = workdir
        self.procs = []

    def start(self):
        picture = os.path.join(self.workdir, 'still.png')
        if not os.path.exists(picture):
            subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i',
                            'testsrc2=s=%dx%d:r=1' % SCREEN, '-frames:v', '1', picture],
                           check=True)
        # A window that draws its picture once and then only when uncovered.
        self.procs.append(subprocess.Popen(
            ['display', '-immutable', '-title', 'bench-still', '-geometry', '+0+0',
             '-borderwidth', '0', picture], stdin=subprocess.DEVNULL))
        _wait_window('bench-still')
        time.sleep(1)
        subprocess.run(['xdotool', 'mousemove', str(SCREEN[0] // 2), str(SCREEN[1] // 3)],
                       check=False)

    def stop(self):
        for p in self.procs:
            if p.poll() is None:
                p.terminate()
        for p in self.procs:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self.procs = []


class Still(Scene):
    name = 'still'


class Corner(Scene):
    name = 'corner'

    def start(self):
        super().start()
        w, h = CORNER
        self.procs.append(subprocess.Popen(
            ['ffplay', '-hide_banner', '-loglevel', 'error', '-an', '-noborder', '-left', '0',
             '-top', '0', '-x', str(w), '-y', str(h), '-alwaysontop', '-window_title',
             'bench-corner', '-f', 'lavfi', 'testsrc2=s=%dx%d:r=30' % CORNER],
            stdin=subprocess.DEVNULL, env=dict(os.environ, SDL_AUDIODRIVER='dummy')))
        _wait_window('bench-corner')
        time.sleep(1)


class Typing(Scene):
    name = 'typing'

    def start(self):
        super().start()
        self.procs.append(subprocess.Popen(
            ['xterm', '-T', 'bench-typing', '-geometry', '100x30+200+150', '-e', 'cat'],
            stdin=subprocess.DEVNULL))
        _wait_window('bench-typing')
        subprocess.run(['xdotool', 'search', '--name', 'bench-typing', 'windowactivate',
                        '--sync'], check=False)
        time.sleep(0.5)
        script = ('while true; do xdotool type --delay %d "%s"; xdotool key Return; done'
                  % (TYPING_DELAY_MS, TYPED))
        self.procs.append(subprocess.Popen(['bash', '-c', script], stdin=subprocess.DEVNULL,
                                           start_new_session=True))
        time.sleep(1)

    def stop(self):
        # The typing loop runs in its own process group: end the whole group.
        for p in self.procs[2:]:
            try:
                os.killpg(p.pid, 15)
            except ProcessLookupError:
                pass
        super().stop()


SCENES = {'still': Still, 'corner': Corner, 'typing': Typing}


def run_scenes(names, seconds, run_engine, run_ffmpeg, ffmpeg_args, analyse_size, log):
    """Runs both recorders on each scene; returns {scene: {'eng': ..., 'ref': ...}}."""
    results = {}
    workdir = tempfile.mkdtemp(prefix='clipnest-scenes.')
    for name in names:
        scene = SCENES[name](workdir)
        try:
            scene.start()
            log('-- scene %s: clipnest-rec' % name)
            eng_file = os.path.join(workdir, name + '-clipnest.mp4')
            eng = run_engine(eng_file, seconds, workdir)
            log('-- scene %s: ffmpeg' % name)
            ref_file = os.path.join(workdir, name + '-ffmpeg.mp4')
            ref = run_ffmpeg(ref_file, seconds, workdir, *ffmpeg_args)
        finally:
            scene.stop()
        for x, path in ((eng, eng_file), (ref, ref_file)):
            x.update(analyse_size(path) if os.path.exists(path) else {'vdur': 0, 'bytes': 0})
        results[name] = {'eng': eng, 'ref': ref}
        for path in (eng_file, ref_file):
            if os.path.exists(path) and not os.environ.get('BENCH_KEEP'):
                os.remove(path)
    return results
