"""One desktop's half of the Wayland bench, and the table of both (bench/wayland/run.sh runs
all three).

    python3 bench/wayland/compare.py x11|wayland <builddir> <results.json>
    python3 bench/wayland/compare.py table <x11.json> <wayland.json>

Records the whole 1920x1080 screen, without sound, for BENCH_SECONDS (default 20) in three
scenes and prints one line per recording: CPU seconds per recorded second, peak memory,
pictures in the file (and clipnest-rec's own count of those repeated and dropped). On X11
clipnest-rec reads the X server through shared memory; on Wayland it goes through the
desktop's screen-cast portal and PipeWire, and GStreamer's recorder (gst_reference.py:
pipewiresrc, videoconvert, x264enc set up as clipnest's encoder, mp4mux) then records the
same scene from the same portal.
  motion  ffplay's test picture (testsrc2, 20 pictures a second) full screen: every picture
          changes everywhere;
  typing  a full-screen terminal (xterm on X11, foot on Wayland: the same font, size and
          colours) into which text is typed at 8 characters a second (xdotool, wtype), a new
          line every 60 characters or so: a small change now and then, as when writing;
  still   nothing moves but the background, which steps between two nearly equal colours
          for the first 2.5 s: xdg-desktop-portal-wlr 0.7.0 sends a new cast nothing until
          the output changes, and the X11 desktop gets the same steps so that both paths
          record the same pictures.
Each half writes its figures to results.json; `table` sets them side by side with the ratios
the Wayland work aims at: Wayland/X11 at most 1.10, Wayland/GStreamer at most 0.70.
"""
import json
import os
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

SECONDS = int(os.environ.get('BENCH_SECONDS', '20'))
# Time for a full-screen window to be mapped and painting before the recording starts.
SETTLE_S = 3
# Long enough to cover the portal's handshake, so that a Wayland recording sees a change.
BLINK_S = 2.5
SCENES = ('motion', 'typing', 'still')
HERE = os.path.dirname(os.path.abspath(__file__))
# python3-dbus and python3-gi are Debian's: another python3 first in PATH may lack them.
SYSTEM_PYTHON = '/usr/bin/python3'

# A steady typist: 8 characters a second, about what someone writing prose manages.
TYPING_DELAY_MS = 125
TYPED = ('The recorder should cost little while someone writes in a terminal.',
         'Each key changes a few cells of one line, and nothing else moves,',
         'so a picture now and then carries a handful of changed blocks.',
         'A new line starts every sixty characters or so, as in a text.')
TERMINAL_FONT = 'DejaVu Sans Mono'
TERMINAL_FONT_PT = 13
TERMINAL_BG = '1e1e1e'
TERMINAL_FG = 'dcdcdc'
# What the terminal runs: keeps the typed text on the screen, echoed by the terminal, and
# prints nothing of its own.
TERMINAL_PROGRAM = ['sh', '-c', 'cat > /dev/null']

GOAL_WAYLAND_X11 = 1.10
GOAL_WAYLAND_GSTREAMER = 0.70


def typed_text():
    """Enough lines to keep typing through the settling time and the whole recording."""
    needed = (SETTLE_S + SECONDS + 5) * 1000 // TYPING_DELAY_MS
    lines = []
    while sum(len(line) + 1 for line in lines) < needed:
        lines.append(TYPED[len(lines) % len(TYPED)])
    return '\n'.join(lines) + '\n'


def player(platform):
    env = dict(os.environ)
    env['SDL_VIDEODRIVER'] = 'wayland' if platform == 'wayland' else 'x11'
    return subprocess.Popen(['ffplay', '-v', 'error', '-fs', '-an', '-f', 'lavfi',
                             'testsrc2=size=1920x1080:rate=20'], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def terminal(platform):
    if platform == 'wayland':
        args = ['foot', '--fullscreen', '--font', f'{TERMINAL_FONT}:size={TERMINAL_FONT_PT}',
                '--override', f'colors.background={TERMINAL_BG}',
                '--override', f'colors.foreground={TERMINAL_FG}']
    else:
        args = ['xterm', '-fullscreen', '-fa', TERMINAL_FONT, '-fs', str(TERMINAL_FONT_PT),
                '-bg', f'#{TERMINAL_BG}', '-fg', f'#{TERMINAL_FG}', '-e']
    return subprocess.Popen(args + TERMINAL_PROGRAM, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def typist(platform):
    """Types into the focused window, which is the terminal just started."""
    if platform == 'wayland':
        args = ['wtype', '-d', str(TYPING_DELAY_MS), typed_text()]
    else:
        # xdotool 3.20160805 types a character every half of its --delay (40 characters at
        # --delay 125 took 2.5 s, where wtype -d 125 took 5.2 s).
        args = ['xdotool', 'type', '--delay', str(2 * TYPING_DELAY_MS), typed_text()]
    return subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def blink_background(platform, seconds):
    end = time.monotonic() + seconds
    colours = ['#3a5a78', '#3a5a79']
    i = 0
    while time.monotonic() < end:
        if platform == 'wayland':
            args = ['swaymsg', 'output', 'HEADLESS-1', 'bg', colours[i % 2], 'solid_color']
        else:
            args = ['xsetroot', '-solid', colours[i % 2]]
        subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        i += 1
        time.sleep(0.2)


def start_scene(platform, name):
    """Puts the scene on the screen; returns the processes to end after the recording."""
    if name == 'motion':
        shown = player(platform)
        time.sleep(SETTLE_S)
        return [shown]
    if name == 'typing':
        shown = terminal(platform)
        time.sleep(SETTLE_S)
        return [typist(platform), shown]
    return [subprocess.Popen([sys.executable, __file__, 'blink', platform])]


def record_clipnest(build, platform, out):
    args = [os.path.join(build, 'rec', 'clipnest-rec'), '--rect', '0,0,1920,1080',
            '--seconds', str(SECONDS)]
    if platform == 'wayland':
        args += ['--portal']
    p = subprocess.Popen(args + [out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         text=True)
    _, status, usage = os.wait4(p.pid, 0)
    out_text, err_text = p.stdout.read(), p.stderr.read()
    if status != 0:
        raise RuntimeError(f'clipnest-rec failed: {err_text.strip()}')
    figures = dict(line.split('=', 1) for line in out_text.splitlines() if '=' in line)
    recorded = float(figures.get('recorded_ms', SECONDS * 1000)) / 1000
    return {'cpu_per_s': (usage.ru_utime + usage.ru_stime) / recorded,
            'rss_mb': usage.ru_maxrss / 1024, 'frames': packets(out),
            'repeated': int(figures.get('repeated', -1)),
            'dropped': int(figures.get('dropped', -1))}


def packets(path):
    """Pictures in the file, read back by ffprobe: also shows the file is whole."""
    result = subprocess.run(['ffprobe', '-v', 'error', '-select_streams', 'v:0',
                             '-count_packets', '-show_entries', 'stream=nb_read_packets',
                             '-of', 'csv=p=0', path], capture_output=True, text=True)
    if result.returncode != 0 or not result.stdout.strip().isdigit():
        raise RuntimeError(f'ffprobe cannot read {path}: {result.stderr.strip()}')
    return int(result.stdout.strip())


def record_gstreamer(out):
    result = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, 'gst_reference.py'),
                             str(SECONDS), out], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f'the GStreamer reference failed: {result.stderr.strip()}')
    figures = dict(line.split('=', 1) for line in result.stdout.splitlines() if '=' in line)
    return {'cpu_per_s': float(figures['cpu_s']) / float(figures['seconds']),
            'rss_mb': int(figures['rss_kb']) / 1024, 'frames': packets(out),
            'client_cpu_s': float(figures['client_cpu_s']),
            'client_rss_mb': int(figures['client_rss_kb']) / 1024}


def scene(build, platform, recorder, name, folder):
    shown = start_scene(platform, name)
    out = os.path.join(folder, f'{platform}-{recorder}-{name}.mp4')
    try:
        if recorder == 'gstreamer':
            row = record_gstreamer(out)
        else:
            row = record_clipnest(build, platform, out)
    except RuntimeError as e:
        print(f'{platform} {recorder} {name}: {e}', flush=True)
        return None
    finally:
        for p in shown:
            p.terminate()
            p.wait()
    row.update(platform=platform, recorder=recorder, scene=name, seconds=SECONDS)
    extra = ' '.join(f'{key}={row[key]}' for key in ('repeated', 'dropped') if key in row)
    if 'client_cpu_s' in row:
        extra = f'portal client: cpu_s={row["client_cpu_s"]:.2f} rss_mb={row["client_rss_mb"]:.0f}'
    print(f'{platform:8} {recorder:9} {name:7} cpu_per_s={row["cpu_per_s"]:.3f} '
          f'rss_mb={row["rss_mb"]:.0f} frames={row["frames"]} {extra}', flush=True)
    if name == 'typing' and row['frames'] < SECONDS * 2:
        print(f'{platform} {recorder} typing: only {row["frames"]} pictures: did the typing '
              'reach the terminal?', flush=True)
    return row


def measure(platform, build, results):
    recorders = ['clipnest', 'gstreamer'] if platform == 'wayland' else ['clipnest']
    rows = []
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        for name in SCENES:
            for recorder in recorders:
                row = scene(build, platform, recorder, name, folder)
                ok = ok and row is not None
                rows += [row] if row else []
    with open(results, 'w') as f:
        json.dump(rows, f, indent=1)
    return ok


def load(path):
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return []


def ratio(a, b, goal):
    if a is None or b is None or b <= 0:
        return '-'
    # Judged as shown, so that a printed 1.10 never reads as a miss of 1.10.
    r = round(a / b, 2)
    return f'{r:.2f} {"met" if r <= goal else "MISSED"}'


def per_picture(cpu_per_s, frames, seconds):
    if cpu_per_s is None or not frames or seconds is None:
        return '-'
    return f'{cpu_per_s * seconds * 1000 / frames:.1f}'


def table(x11_path, wayland_path):
    rows = load(x11_path) + load(wayland_path)

    def value(platform, recorder, name, key):
        for row in rows:
            if (row['platform'], row['recorder'], row['scene']) == (platform, recorder, name):
                return row[key]
        return None

    def shown(v, digits):
        return '-' if v is None else f'{v:.{digits}f}'

    heads = ['X11 clipnest', 'Wayland clipnest', 'GStreamer', 'Wayland/X11',
             'Wayland/GStreamer']
    lengths = '/'.join(sorted({str(row.get('seconds', '?')) for row in rows}))
    print(f'\nWayland bench: 1920x1080, {lengths or "-"} s a recording, no sound; GStreamer '
          'records from the Wayland portal.')
    print(f'\n{"pictures in the file":30}' + ''.join(f'{h:>19}' for h in heads[:3]))
    for name in SCENES:
        cells = [value('x11', 'clipnest', name, 'frames'),
                 value('wayland', 'clipnest', name, 'frames'),
                 value('wayland', 'gstreamer', name, 'frames')]
        print(f'{name:30}' + ''.join(f'{"-" if c is None else c:>19}' for c in cells))
    # The cast may deliver fewer pictures than the scene changes when the desktop is busy:
    # the cost of each one tells a slower path from a path that was sent less.
    print(f'\n{"CPU ms per picture in the file":30}' + ''.join(f'{h:>19}' for h in heads[:3]))
    for name in SCENES:
        cells = [per_picture(value(platform, recorder, name, 'cpu_per_s'),
                             value(platform, recorder, name, 'frames'),
                             value(platform, recorder, name, 'seconds'))
                 for platform, recorder in (('x11', 'clipnest'), ('wayland', 'clipnest'),
                                            ('wayland', 'gstreamer'))]
        print(f'{name:30}' + ''.join(f'{c:>19}' for c in cells))
    for key, title, digits in (('cpu_per_s', 'CPU, core-seconds per second', 3),
                               ('rss_mb', 'peak memory, MB', 0)):
        print(f'\n{title:30}' + ''.join(f'{h:>19}' for h in heads))
        print(f'{"":30}{"":57}{f"(goal <= {GOAL_WAYLAND_X11:.2f})":>19}'
              f'{f"(goal <= {GOAL_WAYLAND_GSTREAMER:.2f})":>19}')
        for name in SCENES:
            x11 = value('x11', 'clipnest', name, key)
            wayland = value('wayland', 'clipnest', name, key)
            gst = value('wayland', 'gstreamer', name, key)
            cells = [shown(x11, digits), shown(wayland, digits), shown(gst, digits),
                     ratio(wayland, x11, GOAL_WAYLAND_X11),
                     ratio(wayland, gst, GOAL_WAYLAND_GSTREAMER)]
            print(f'{name:30}' + ''.join(f'{c:>19}' for c in cells))
    return 0 if rows else 1


def main():
    if sys.argv[1] == 'blink':
        blink_background(sys.argv[2], BLINK_S)
        return 0
    if sys.argv[1] == 'table':
        return table(sys.argv[2], sys.argv[3])
    platform, build, results = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    return 0 if measure(platform, build, results) else 1


if __name__ == '__main__':
    sys.exit(main())
