"""How a stop of a long recording treats the GUI thread: clipnest-rec records the whole
1920x1080 screen with sound while it changes, then stops. The tool measures, on the thread
that calls stop(), how long stop() took, the longest a 10 ms timer was held up until the
file was finished, and the time from the stop to the finished file.

Run inside the test desktop (bench/media/run.sh does that via `make bench`):
    python3 bench/media/stop.py <builddir>
Environment: BENCH_STOP_SECONDS (recording length, default 600), CLIPNEST_REC (program to
use instead of <builddir>/bench/media/clipnest-rec), BENCH_KEEP (folder to keep the file in).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402

GOALS = {
    'stall_ms': 100,  # the event loop never waits longer than this for the stop
}


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else 'build'
    seconds = int(os.environ.get('BENCH_STOP_SECONDS', '600'))
    rec = os.environ.get('CLIPNEST_REC') or os.path.join(build, 'bench', 'media', 'clipnest-rec')
    if not os.access(rec, os.X_OK):
        bench.log('stop bench: %s is not built; build the clipnest-rec target first' % rec)
        return 1
    if not os.environ.get('DISPLAY'):
        bench.log('stop bench: no DISPLAY; run it inside scripts/with-test-desktop.sh')
        return 1
    keep = os.environ.get('BENCH_KEEP')
    workdir = keep or tempfile.mkdtemp(prefix='clipnest-stop-bench.')
    os.makedirs(workdir, exist_ok=True)
    w, h = bench.SCREEN
    bench.log('stop bench: %d s at %dx%d with sound, then stop; files in %s' % (
        seconds, w, h, workdir))
    load_before = os.getloadavg()[0]
    content = bench.Content()
    try:
        content.start()
        out = os.path.join(workdir, 'long.mp4')
        t0 = time.monotonic()
        r = subprocess.run([rec, '--rect', '0,0,%d,%d' % (w, h), '--seconds', str(seconds),
                            '--sound', out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           text=True, stdin=subprocess.DEVNULL, check=False)
        wall = time.monotonic() - t0
        stats = dict(line.split('=', 1) for line in r.stdout.split() if '=' in line)
        if r.returncode != 0 or 'stall_ms' not in stats:
            bench.log('clipnest-rec failed (exit %d): %s' % (r.returncode, r.stderr.strip()))
            return 1
        size_mb = os.path.getsize(out) / 1e6
        fmt = subprocess.run(['ffprobe', '-v', 'error', '-show_entries', 'format=duration',
                              '-of', 'default=nw=1:nk=1', out], stdout=subprocess.PIPE,
                             text=True, check=False)
        duration = float(fmt.stdout.strip() or 0)
        boxes = top_level_boxes(out)
    finally:
        content.stop()
        if not keep:
            shutil.rmtree(workdir, ignore_errors=True)
    if load_before > (os.cpu_count() or 1):
        bench.log('WARNING: the machine was busy with other work (load %.1f above its %d '
                  'cores): the figures are not representative' % (load_before, os.cpu_count()))
    ordinary = 'moof' not in boxes and boxes.index('moov') < boxes.index('mdat')
    stall = float(stats['stall_ms'])
    rows = [
        ('recorded s (file)', '%.1f' % duration, '', None),
        ('file size MB', '%.0f' % size_mb, '', None),
        ('frames / dropped', '%s / %s' % (stats.get('frames'), stats.get('dropped')), '', None),
        ('stop() call ms', stats['stop_ms'], '', None),
        ('longest 10 ms timer stall ms', '%.1f' % stall, '< %d' % GOALS['stall_ms'],
         stall < GOALS['stall_ms']),
        ('stop to finished file ms', stats['finish_ms'], '', None),
        ('finished file is ordinary MP4', 'yes' if ordinary else 'NO', 'yes', ordinary),
        ('wall time of the run s', '%.0f' % wall, '', None),
    ]
    bench.log('%-32s %14s %10s  %s' % ('stop bench (%d s)' % seconds, 'clipnest-rec', 'goal',
                                       'verdict'))
    for name, value, goal, ok in rows:
        bench.log('%-32s %14s %10s  %s' % (name, value, goal,
                                           '' if ok is None else ('ok' if ok else 'MISSED')))
    return 0


def top_level_boxes(path):
    names = []
    size = os.path.getsize(path)
    with open(path, 'rb') as f:
        pos = 0
        while pos + 8 <= size:
            f.seek(pos)
            head = f.read(16)
            length = int.from_bytes(head[:4], 'big')
            names.append(head[4:8].decode('latin-1'))
            if length == 1:
                length = int.from_bytes(head[8:16], 'big')
            elif length == 0:
                break
            if length < 8:
                break
            pos += length
    return names


if __name__ == '__main__':
    sys.exit(main())
