"""One desktop's half of the Wayland-against-X11 bench (bench/wayland/run.sh runs both).

    python3 bench/wayland/compare.py x11|wayland <builddir>

Records the whole 1920x1080 screen with clipnest-rec, without sound, for BENCH_SECONDS
(default 20) in two scenes, and prints one line per scene: CPU seconds per recorded second,
peak memory, pictures encoded and repeated. The X11 run reads the X server through shared
memory; the Wayland run goes through the desktop's screen-cast portal and PipeWire.
  motion  ffplay's test picture (testsrc2, 20 pictures a second) full screen: every picture
          changes everywhere;
  still   nothing moves (on Wayland sway's background steps between two nearly equal
          colours for the first 2.5 s, since xdg-desktop-portal-wlr 0.7.0 sends a new cast
          nothing until the output changes).
"""
import os
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

SECONDS = int(os.environ.get('BENCH_SECONDS', '20'))
# Time for a full-screen player to be mapped and painting before the recording starts.
SETTLE_S = 3


def record(build, platform, out):
    args = [os.path.join(build, 'rec', 'clipnest-rec'), '--rect', '0,0,1920,1080',
            '--seconds', str(SECONDS)]
    if platform == 'wayland':
        args += ['--portal']
    p = subprocess.Popen(args + [out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         text=True)
    _, status, usage = os.wait4(p.pid, 0)
    out_text = p.stdout.read()
    err_text = p.stderr.read()
    figures = dict(line.split('=', 1) for line in out_text.splitlines() if '=' in line)
    return status, usage, figures, err_text


def player(platform):
    env = dict(os.environ)
    env['SDL_VIDEODRIVER'] = 'wayland' if platform == 'wayland' else 'x11'
    return subprocess.Popen(['ffplay', '-v', 'error', '-fs', '-an', '-f', 'lavfi',
                             'testsrc2=size=1920x1080:rate=20'], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def blink_corner(platform, seconds):
    if platform != 'wayland':
        return
    end = time.monotonic() + seconds
    colours = ['#3a5a78', '#3a5a79']
    i = 0
    while time.monotonic() < end:
        subprocess.run(['swaymsg', 'output', 'HEADLESS-1', 'bg', colours[i % 2], 'solid_color'],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        i += 1
        time.sleep(0.2)


def scene(build, platform, name, folder):
    extra = None
    if name == 'motion':
        extra = player(platform)
        time.sleep(SETTLE_S)
    out = os.path.join(folder, f'{platform}-{name}.mp4')
    blinker = None
    if name == 'still' and platform == 'wayland':
        blinker = subprocess.Popen([sys.executable, __file__, 'blink', platform])
    try:
        status, usage, figures, err = record(build, platform, out)
    finally:
        for p in (extra, blinker):
            if p:
                p.terminate()
                p.wait()
    if status != 0:
        print(f'{platform} {name}: clipnest-rec failed: {err.strip()}')
        return False
    recorded = float(figures.get('recorded_ms', SECONDS * 1000)) / 1000
    cpu = usage.ru_utime + usage.ru_stime
    print(f'{platform:8} {name:7} cpu_per_s={cpu / recorded:.3f} rss_mb={usage.ru_maxrss / 1024:.0f} '
          f'frames={figures.get("frames")} repeated={figures.get("repeated")} '
          f'dropped={figures.get("dropped")}', flush=True)
    return True


def main():
    if sys.argv[1] == 'blink':
        blink_corner(sys.argv[2], 2.5)
        return 0
    platform, build = sys.argv[1], os.path.abspath(sys.argv[2])
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        for name in ('motion', 'still'):
            ok = scene(build, platform, name, folder) and ok
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
