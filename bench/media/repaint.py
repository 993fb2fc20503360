"""What a repaint that changes no pixel costs clipnest-rec on X11, against a truly still screen.

Run inside the test desktop (bench/media/run.sh does that via `make bench`):
    python3 bench/media/repaint.py <builddir>
Two scenes, both the whole 1920x1080 screen without sound:
  still       the still scene of bench/media/scenes.py: a detailed picture drawn once;
  repainting  the same, with a player on top presenting one picture of its own full screen
              30 times a second: the X server reports the screen drawn at every
              presentation, though not one pixel changes.
The figure is core-seconds per second: the recorder's utime + stime from /proc/<pid>/stat
over BENCH_REPAINT_SECONDS (default 10) of steady recording, start-up and finishing left out,
the median of BENCH_REPAINT_ROUNDS (default 3) recordings. CLIPNEST_REC_BEFORE names another
clipnest-rec (an older build) to measure the same way, for a before-and-after table.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402
import scenes  # noqa: E402

SECONDS = int(os.environ.get('BENCH_REPAINT_SECONDS', '10'))
ROUNDS = int(os.environ.get('BENCH_REPAINT_ROUNDS', '3'))
# Past the recorder's start-up (X connection, encoder, first full picture) before the
# measurement begins, and room after it for the stop, which is not measured either.
SETTLE_S = 2.0
TAIL_S = 2.0
# A video player's usual presentation rate.
REPAINT_FPS = 30
# The still screen's goal is the media bench's. Repainting keeps what the comparison itself
# costs, a grab and a compare of every repainted row (here about 0.02 above the still screen,
# against 0.2 and more for converting and encoding each picture): a figure above this goal
# means repainted pictures are being converted and encoded again.
STILL_GOAL = bench.SCENE_GOALS['still'][0]
REPAINT_GOAL = 0.08
CLOCK_TICKS = os.sysconf('SC_CLK_TCK')


def cpu_seconds(pid):
    """utime + stime of the process, all its threads, in seconds."""
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    # Counted from the state, which is field 3 of the line: utime is 14, stime 15.
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


class Repainting(scenes.Scene):
    name = 'repainting'

    def start(self):
        super().start()
        w, h = scenes.SCREEN
        # The first test picture, presented again at every tick: tpad clones the last frame
        # for ever at the source's rate.
        source = ('testsrc2=s=%dx%d:r=%d,trim=end_frame=1,tpad=stop=-1:stop_mode=clone'
                  % (w, h, REPAINT_FPS))
        self.procs.append(subprocess.Popen(
            ['ffplay', '-hide_banner', '-loglevel', 'error', '-an', '-noborder', '-left', '0',
             '-top', '0', '-x', str(w), '-y', str(h), '-alwaysontop', '-window_title',
             'bench-repainting', '-f', 'lavfi', source],
            stdin=subprocess.DEVNULL, env=dict(os.environ, SDL_AUDIODRIVER='dummy')))
        scenes._wait_window('bench-repainting')
        time.sleep(1)


SCENES = {'still': scenes.Still, 'repainting': Repainting}


def record(rec, workdir):
    """One recording; its core-seconds per second over the measured stretch and its figures."""
    out = os.path.join(workdir, 'repaint.mp4')
    total = SETTLE_S + SECONDS + TAIL_S
    p = subprocess.Popen([rec, '--rect', '0,0,%d,%d' % scenes.SCREEN, '--seconds',
                          '%g' % total, out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         stdin=subprocess.DEVNULL, text=True)
    try:
        time.sleep(SETTLE_S)
        t0, c0 = time.monotonic(), cpu_seconds(p.pid)
        time.sleep(SECONDS)
        t1, c1 = time.monotonic(), cpu_seconds(p.pid)
    except (FileNotFoundError, ProcessLookupError, IndexError):
        t0 = t1 = c0 = c1 = 0  # it ended early: its exit status says why
    out_text, err_text = p.communicate()
    if os.path.exists(out):
        os.remove(out)
    if p.returncode != 0 or t1 <= t0:
        return None, err_text.strip() or 'exit status %d' % p.returncode
    figures = dict(line.split('=', 1) for line in out_text.splitlines() if '=' in line)
    return (c1 - c0) / (t1 - t0), figures


def measure(programs, workdir):
    """{(program label, scene): (median core-s/s, figures of the last round)}."""
    results = {}
    for name, cls in SCENES.items():
        scene = cls(workdir)
        try:
            scene.start()
            for label, rec in programs:
                rates = []
                figures = {}
                for _ in range(ROUNDS):
                    rate, figures = record(rec, workdir)
                    if rate is None:
                        print('%s, %s: clipnest-rec failed: %s' % (label, name, figures[-500:]),
                              flush=True)
                        break
                    rates.append(rate)
                    print('  %-8s %-10s %.3f core-s/s, frames=%s repeated=%s' % (
                        label, name, rate, figures.get('frames'), figures.get('repeated')),
                        flush=True)
                if rates:
                    results[(label, name)] = (statistics.median(rates), figures)
        finally:
            scene.stop()
    return results


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else 'build'
    rec = os.environ.get('CLIPNEST_REC') or os.path.join(build, 'rec', 'clipnest-rec')
    programs = [('this', rec)]
    if os.environ.get('CLIPNEST_REC_BEFORE'):
        programs.insert(0, ('before', os.environ['CLIPNEST_REC_BEFORE']))
    for _, program in programs:
        if not os.access(program, os.X_OK):
            print('repaint bench: %s is not built' % program)
            return 1
    if not os.environ.get('DISPLAY'):
        print('repaint bench: no DISPLAY; run it inside scripts/with-test-desktop.sh')
        return 1
    load_before = os.getloadavg()[0]
    print('repaint bench: %d s measured, median of %d; load average %.2f on %d cores' % (
        SECONDS, ROUNDS, load_before, os.cpu_count()), flush=True)
    with tempfile.TemporaryDirectory(prefix='clipnest-repaint.') as workdir:
        results = measure(programs, workdir)
    if load_before > (os.cpu_count() or 1):
        print('WARNING: the machine was busy with other work (load above its %d cores): the '
              'figures are not representative' % (os.cpu_count() or 1))
    print('%-28s %10s %10s %10s' % ('core-s per s (median)', 'still', 'repainting', 'goal'))
    failed = 0
    for label, _ in programs:
        still = results.get((label, 'still'), (None, {}))[0]
        repainting = results.get((label, 'repainting'), (None, {}))[0]
        cells = ['%.3f' % x if x is not None else 'failed' for x in (still, repainting)]
        verdict = ''
        if label == 'this':
            ok = still is not None and repainting is not None and \
                still <= STILL_GOAL and repainting <= REPAINT_GOAL
            verdict = 'ok' if ok else 'MISSED'
            failed += not ok
        print('%-28s %10s %10s %10s  %s' % ('clipnest-rec (%s)' % label, cells[0], cells[1],
                                          '<= %.2f / %.2f' % (STILL_GOAL, REPAINT_GOAL),
                                          verdict))
    # How often the player got its picture on screen shows in the older program's count
    # (it encodes every damaged tick, at most 20 a second): on a busy machine it is fewer
    # than 30 a second, and the older program's figure lower for it.
    for label, _ in programs:
        figures = results.get((label, 'repainting'), (None, {}))[1]
        print('%s, repainting, last round: frames=%s repeated=%s dropped=%s in %s ms' % (
            label, figures.get('frames'), figures.get('repeated'), figures.get('dropped'),
            figures.get('recorded_ms')))
    print('goals missed: %d' % failed)
    return 0


if __name__ == '__main__':
    sys.exit(main())
