"""Benchmarks clipnest-rec against the ffmpeg program on the same screen and sound.

Run inside the test desktop (bench/media/run.sh does that via `make bench`):
    python3 bench/media/bench.py <builddir>
Environment: BENCH_SECONDS (recording length, default 30), BENCH_KILL_AT (seconds after
which a recording is killed with SIGKILL, default 10), CLIPNEST_REC (program to use
instead of <builddir>/rec/clipnest-rec), BENCH_KEEP (folder to keep the files in).
"""
import difflib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mediacheck  # noqa: E402
import scenes  # noqa: E402

SCREEN = (1920, 1080)
FPS = 20
# The background only has to keep changing; at half the recording rate it leaves more of
# the two cores to the recorders being measured.
BACKGROUND_FPS = 10
# The flash-and-beep window sits on top of the moving picture, away from the tray.
SYNC_RECT = (800, 450, 320, 180)
# The flash player is watched at its own frame rate until three flashes in a row come a
# second apart, give or take two of its frames; it gets there within about five seconds of
# its start (earlier flashes come late or not at all), so half a minute means it never will.
PACE_FPS = 30
PACE_WATCH_S = 3.5
PACE_TOLERANCE_S = 2.0 / PACE_FPS
PACE_TIMEOUT_S = 30
GOALS = {
    'cpu_ratio': 0.92,         # engine CPU / ffmpeg CPU for the same recording
    'cpu_per_s': 0.45,         # CPU seconds per recorded second
    'stop_s': 0.5,             # from the stop request to a finished file
    'rss_mb': 250,
    'sync_ms': 50,             # every beep within this of its flash
    'kill_slack_s': 2,         # killed at T, playable to at least T - this
}
# Per scene (bench/media/scenes.py): (CPU s per recorded s, ratio to the ffmpeg program).
SCENE_GOALS = {'still': (0.05, 0.15), 'corner': (None, 0.5), 'typing': (0.10, None)}


def log(*a):
    print(*a, flush=True)


def pactl_default_source():
    r = subprocess.run(['pactl', 'info'], stdout=subprocess.PIPE, text=True, check=False)
    for line in r.stdout.splitlines():
        if line.startswith('Default Source:'):
            return line.split(':', 1)[1].strip()
    return None


class Content:
    """Moving full-screen picture plus a small window that flashes and beeps once a second."""

    def __init__(self):
        self.procs = []

    def start(self):
        env = dict(os.environ, SDL_AUDIODRIVER='pulseaudio')
        w, h = SCREEN
        # The moving background only has to move; it runs niced so that the flash window,
        # whose timing the sync measurement relies on, keeps its pace on a busy machine.
        self.procs.append(subprocess.Popen(
            ['nice', '-n', '10', 'ffplay', '-hide_banner', '-loglevel', 'error', '-an',
             '-noborder', '-left', '0', '-top', '0', '-x', str(w), '-y', str(h),
             '-alwaysontop', '-window_title', 'bench-background', '-f', 'lavfi',
             'testsrc2=s=%dx%d:r=%d' % (w, h, BACKGROUND_FPS)],
            env=env, stdin=subprocess.DEVNULL))
        time.sleep(1.5)
        x, y, sw, sh = SYNC_RECT
        beep = "if(lt(mod(t,1),0.05),0.8*sin(2*PI*1000*t),0)"
        graph = ("color=c=black:s=%dx%d:r=30,drawbox=c=white:t=fill:enable='lt(mod(t,1),0.066)'[out0];"
                 "aevalsrc='%s|%s':s=44100[out1]" % (sw, sh, beep, beep))
        # A small client latency keeps the null sink from rendering (and so handing the
        # monitor) the sound far ahead of the moment it is played.
        # It also runs at a raised priority where allowed: a flash shown late or skipped by
        # a starved player would be blamed on the recorder.
        boost = ['nice', '-n', '-10'] if os.geteuid() == 0 else []
        self.procs.append(subprocess.Popen(
            boost + ['ffplay', '-hide_banner', '-loglevel', 'error', '-noborder', '-left', str(x),
             '-top', str(y), '-x', str(sw), '-y', str(sh), '-alwaysontop',
             '-window_title', 'bench-sync', '-f', 'lavfi', graph],
            env=dict(env, PULSE_LATENCY_MSEC='20'), stdin=subprocess.DEVNULL))
        for title in ('bench-background', 'bench-sync'):
            subprocess.run(['timeout', '20', 'xdotool', 'search', '--sync', '--onlyvisible',
                            '--name', title], stdout=subprocess.DEVNULL, check=False)
        return self.wait_for_pace()

    def wait_for_pace(self):
        """Waits until the flash window flashes once a second; False if it never does.

        For its first seconds the player shows some flashes late and skips others while it
        syncs its pictures to its sound (seen alike by both recorders and by a grab of the
        window alone): a recording started then would blame the player for them."""
        deadline = time.monotonic() + PACE_TIMEOUT_S
        while time.monotonic() < deadline:
            flashes = self.watch_flashes(PACE_WATCH_S)
            gaps = [b - a for a, b in zip(flashes, flashes[1:])]
            if len(gaps) >= 2 and all(abs(g - 1) <= PACE_TOLERANCE_S for g in gaps):
                return True
        return False

    @staticmethod
    def watch_flashes(seconds):
        """Flash onsets seen in a grab of the flash window alone, `seconds` long."""
        x, y, w, h = SYNC_RECT
        with tempfile.TemporaryDirectory(prefix='clipnest-pace.') as folder:
            path = os.path.join(folder, 'pace.mp4')
            subprocess.run(['ffmpeg', '-nostdin', '-v', 'error', '-y', '-f', 'x11grab',
                            '-framerate', str(PACE_FPS), '-video_size', '%dx%d' % (w, h),
                            '-draw_mouse', '0', '-i', '%s+%d,%d' % (os.environ['DISPLAY'], x, y),
                            '-t', str(seconds), '-c:v', 'libx264', '-preset', 'ultrafast',
                            '-pix_fmt', 'yuv420p', path], check=False)
            return mediacheck.flashes(path)[0] if os.path.exists(path) else []

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


def wait_rusage(pid):
    _, status, ru = os.wait4(pid, 0)
    return os.waitstatus_to_exitcode(status), ru


def run_engine(rec, out, seconds, workdir):
    so, se = os.path.join(workdir, 'rec.out'), os.path.join(workdir, 'rec.err')
    with open(so, 'w') as fo, open(se, 'w') as fe:
        p = subprocess.Popen([rec, '--rect', '0,0,%d,%d' % SCREEN, '--seconds', str(seconds),
                              '--sound', out], stdout=fo, stderr=fe, stdin=subprocess.DEVNULL)
        t0 = time.monotonic()
        code, ru = wait_rusage(p.pid)
        p.returncode = code
        wall = time.monotonic() - t0
    stats = {}
    with open(so) as f:
        for line in f:
            k, _, v = line.strip().partition('=')
            if v:
                stats[k] = v
    with open(se) as f:
        err = f.read().strip()
    return {'code': code, 'cpu': ru.ru_utime + ru.ru_stime, 'rss_mb': ru.ru_maxrss / 1024.0,
            'wall': wall, 'stats': stats, 'stderr': err,
            'dropped': int(stats.get('dropped', -1)), 'repeated': int(stats.get('repeated', -1)),
            # The stop returns at once; what counts is the time until the file is finished.
            'stop_s': float(stats['finish_ms']) / 1000 if 'finish_ms' in stats else None}


def run_ffmpeg(out, seconds, x264_params, encoder_args, lookahead, audio_kbps, workdir):
    w, h = SCREEN
    # A short queue of grabbed pictures, as a recorder holds: 16 frames at 1920x1080 are
    # 130 MB already, and a longer one only hides an encoder that cannot keep up.
    cmd = ['ffmpeg', '-nostdin', '-hide_banner', '-y',
           '-thread_queue_size', '16', '-f', 'x11grab', '-framerate', str(FPS),
           '-video_size', '%dx%d' % (w, h), '-draw_mouse', '0', '-i', os.environ['DISPLAY'] + '+0,0',
           '-thread_queue_size', '512', '-f', 'pulse', '-sample_rate', '44100', '-channels', '2',
           '-i', 'default',
           '-c:v', 'libx264', '-pix_fmt', 'yuv420p'] + encoder_args + [
           '-x264-params', x264_params,
           '-c:a', 'libmp3lame', '-ar', '44100', '-ac', '2', '-b:a', '%dk' % audio_kbps,
           '-progress', 'pipe:1', out]
    se = os.path.join(workdir, 'ffmpeg.err')
    sp = os.path.join(workdir, 'ffmpeg.progress')
    with open(se, 'w') as fe, open(sp, 'w') as fp:
        p = subprocess.Popen(cmd, stdout=fp, stderr=fe, stdin=subprocess.DEVNULL)
        t0 = time.monotonic()
        progress = {}
        ended = None
        sent = None
        pending = ''
        with open(sp) as reader:
            while ended is None:
                pending += reader.read()
                *lines, pending = pending.split('\n')
                for line in lines:
                    k, _, v = line.strip().partition('=')
                    progress[k] = v
                # Progress counts encoded frames; the encoder's look-ahead holds the most
                # recently grabbed ones, so those count as recorded too.
                frames = int(progress.get('frame', '0') or 0)
                if sent is None and frames > 0 and frames + lookahead >= seconds * FPS:
                    sent = time.monotonic()
                    os.kill(p.pid, signal.SIGINT)
                got, status, ru = os.wait4(p.pid, os.WNOHANG)
                if got == p.pid:
                    ended = (os.waitstatus_to_exitcode(status), ru)
                else:
                    time.sleep(0.05)
            for line in (pending + reader.read()).split('\n'):
                k, _, v = line.strip().partition('=')
                progress[k] = v
        p.returncode = ended[0]  # reaped here, keep Popen from waiting for it again
        code, ru = ended
        done = time.monotonic()
        if sent is None:  # ended on its own, which only a failure does
            sent = done
    with open(se) as f:
        err = f.read()
    return {'code': code, 'cpu': ru.ru_utime + ru.ru_stime, 'rss_mb': ru.ru_maxrss / 1024.0,
            'wall': done - t0, 'stop_s': done - sent, 'stderr': err.strip()[-2000:],
            'dropped': int(progress.get('drop_frames', -1)),
            'repeated': int(progress.get('dup_frames', -1)), 'cmd': cmd}


def run_killed(rec, out, kill_at):
    err = out + '.stderr'
    with open(err, 'w') as fe:
        p = subprocess.Popen([rec, '--rect', '0,0,%d,%d' % SCREEN, '--seconds', str(kill_at + 60),
                              '--sound', out], stdout=subprocess.DEVNULL, stderr=fe,
                             stdin=subprocess.DEVNULL)
    try:
        p.wait(timeout=kill_at)
        with open(err) as f:  # it ended before the kill: a failure of its own
            return {'ended': 'exit %d: %s' % (p.returncode, f.read().strip()[-500:])}
    except subprocess.TimeoutExpired:
        pass
    p.send_signal(signal.SIGKILL)
    p.wait()
    seconds, err = mediacheck.playable(out) if os.path.exists(out) else (0.0, 'no file')
    # What the program does with such a file at its next start.
    r = subprocess.run([rec, '--recover', out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       text=True, check=False)
    outcome = dict(line.split('=', 1) for line in r.stdout.split() if '=' in line)
    recovered, rerr = mediacheck.playable(out) if os.path.exists(out) else (0.0, 'no file')
    return {'playable': seconds, 'error': err, 'outcome': outcome.get('outcome', r.stderr.strip()),
            'recovered': recovered, 'recovered_error': rerr}


def analyse(path):
    info = mediacheck.probe(path) or {}
    streams = info.get('streams', [])
    v = next((s for s in streams if s.get('codec_type') == 'video'), {})
    a = next((s for s in streams if s.get('codec_type') == 'audio'), {})
    vdur = float(v.get('duration', 0) or 0)
    adur = float(a.get('duration', 0) or 0)
    frames = int(v.get('nb_read_frames', 0) or 0)
    flashes, _ = mediacheck.flashes(path, crop=SYNC_RECT)
    beeps = mediacheck.beeps(path)
    # A frame that first shows the flash was grabbed up to one frame interval after the
    # flash appeared; half an interval before it is the unbiased guess of that instant.
    offsets = mediacheck.sync_offsets([t - 0.5 / FPS for t in flashes], beeps)
    return {'vcodec': v.get('codec_name'), 'acodec': a.get('codec_name'),
            'size': '%sx%s' % (v.get('width'), v.get('height')), 'vdur': vdur, 'adur': adur,
            'frames': frames, 'fps': frames / vdur if vdur else 0,
            'abitrate': int(a.get('bit_rate', 0) or 0), 'flashes': flashes, 'beeps': beeps,
            'offsets': offsets, 'x264': mediacheck.x264_settings(path) or '',
            'bytes': os.path.getsize(path)}


def analyse_size(path):
    info = mediacheck.probe(path) or {}
    v = next((x for x in info.get('streams', []) if x.get('codec_type') == 'video'), {})
    return {'vdur': float(v.get('duration', 0) or 0), 'frames': int(v.get('nb_read_frames', 0) or 0),
            'bytes': os.path.getsize(path)}


def fmt_offsets(offs):
    got = [o for o in offs if o is not None]
    if not got:
        return 'no flash/beep pairs'
    ms = [o * 1000 for o in got]
    return '%d pairs (%d flashes unmatched): min %+.0f mean %+.0f max %+.0f ms' % (
        len(got), len(offs) - len(got), min(ms), sum(ms) / len(ms), max(ms))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else 'build'
    seconds = int(os.environ.get('BENCH_SECONDS', '30'))
    kill_at = int(os.environ.get('BENCH_KILL_AT', '10'))
    rec = os.environ.get('CLIPNEST_REC') or os.path.join(build, 'rec', 'clipnest-rec')
    if not os.access(rec, os.X_OK):
        log('media bench: %s is not built; build the clipnest-rec target first' % rec)
        return 1
    if not os.environ.get('DISPLAY'):
        log('media bench: no DISPLAY; run it inside scripts/with-test-desktop.sh')
        return 1
    keep = os.environ.get('BENCH_KEEP')
    workdir = keep or tempfile.mkdtemp(prefix='clipnest-media-bench.')
    os.makedirs(workdir, exist_ok=True)
    log('media bench: %d s at %dx%d, %d fps, with sound; files in %s' % (
        seconds, SCREEN[0], SCREEN[1], FPS, workdir))
    log('load average before: %.2f %.2f %.2f on %d cores' % (os.getloadavg() + (os.cpu_count(),)))
    load_before = os.getloadavg()[0]

    old_source = pactl_default_source()
    content = Content()
    results = {}
    try:
        subprocess.run(['pactl', 'set-default-source', 'speakers.monitor'], check=True)
        paced = content.start()
        if not paced:
            log('WARNING: the flash window never kept its pace of a flash a second: the '
                'beep - flash figures measure the player, not the recorders')

        eng_file = os.path.join(workdir, 'clipnest-rec.mp4')
        log('-- recording with clipnest-rec')
        eng = run_engine(rec, eng_file, seconds, workdir)
        if eng['code'] != 0:
            log('clipnest-rec failed (exit %d): %s' % (eng['code'], eng['stderr']))
            return 1
        eng.update(analyse(eng_file))

        params, extra, printed, diff = mediacheck.matching_params(eng['x264'])
        log('-- recording with ffmpeg, %s -x264-params %s' % (' '.join(extra), params))
        if diff:
            log('   (could not reproduce these settings: %s)' % ', '.join(diff))
        ref_file = os.path.join(workdir, 'ffmpeg.mp4')
        kbps = max(32, round(eng['abitrate'] / 1000)) if eng['abitrate'] else 128
        opts = mediacheck.parse_settings(eng['x264'])
        lookahead = int(opts.get('rc_lookahead', '0')) + int(opts.get('bframes', '0'))
        ref = run_ffmpeg(ref_file, seconds, params, extra, lookahead, kbps, workdir)
        if ref['code'] != 0 and not os.path.exists(ref_file):
            log('ffmpeg failed (exit %d): %s' % (ref['code'], ref['stderr']))
            return 1
        ref.update(analyse(ref_file))

        log('-- clipnest-rec killed with SIGKILL after %d s' % kill_at)
        killed = run_killed(rec, os.path.join(workdir, 'killed.mp4'), kill_at)
        results = {'eng': eng, 'ref': ref, 'killed': killed}
        content.stop()

        names = [n for n in os.environ.get('BENCH_SCENES', 'still,corner,typing').split(',') if n]
        scene_seconds = int(os.environ.get('BENCH_SCENE_SECONDS', '15'))
        results['scenes'] = scenes.run_scenes(
            names, scene_seconds,
            lambda out, secs, wd: run_engine(rec, out, secs, wd),
            lambda out, secs, wd, *a: run_ffmpeg(out, secs, *a, wd),
            (params, extra, lookahead, kbps), analyse_size, log)
    finally:
        content.stop()
        if old_source:
            subprocess.run(['pactl', 'set-default-source', old_source], check=False)
        if not keep:
            shutil.rmtree(workdir, ignore_errors=True)
    log('load average after: %.2f %.2f %.2f' % os.getloadavg())
    # Only the load before counts: the bench's own players and recorders keep two cores busy.
    if load_before > (os.cpu_count() or 1):
        log('WARNING: the machine was busy with other work (load above its %d cores): CPU, '
            'dropped frames, stop latency and sync figures are not representative'
            % (os.cpu_count() or 1))
    return report(results, seconds, kill_at)


def report(r, seconds, kill_at):
    eng, ref, killed = r['eng'], r['ref'], r['killed']
    log('')
    log('x264 settings, clipnest-rec: %s' % eng['x264'])
    log('x264 settings, ffmpeg:       %s' % ref['x264'])
    a, b = eng['x264'].split(), ref['x264'].split()
    delta = [d for d in difflib.ndiff(a, b) if d[:1] in '+-']
    log('difference (- clipnest-rec, + ffmpeg): %s' % (' '.join(delta) if delta else 'none'))
    bad = [d for d in delta if not d[2:].startswith(('threads=', 'lookahead_threads='))]
    log('settings equal apart from thread counts: %s' % ('yes' if not bad else 'NO'))
    log('')
    log('clipnest-rec says: %s' % ' '.join('%s=%s' % kv for kv in eng['stats'].items()))
    for name, x in (('clipnest-rec', eng), ('ffmpeg', ref)):
        log('%-13s %s+%s %s, video %.2f s / %d frames (%.2f fps), audio %.2f s, %s' % (
            name, x['vcodec'], x['acodec'], x['size'], x['vdur'], x['frames'], x['fps'],
            x['adur'], fmt_offsets(x['offsets'])))
        log('%-13s flashes %s' % ('', ' '.join('%.2f' % t for t in x['flashes'])))
        log('%-13s beeps   %s' % ('', ' '.join('%.2f' % t for t in x['beeps'])))

    def per_s(x):
        return x['cpu'] / x['vdur'] if x['vdur'] else float('inf')

    ratio = per_s(eng) / per_s(ref) if per_s(ref) else float('inf')
    offs = [o for o in eng['offsets'] if o is not None]
    sync_ok = bool(eng['offsets']) and len(offs) == len(eng['offsets']) and \
        all(abs(o) * 1000 <= GOALS['sync_ms'] for o in offs)
    rows = [
        ('recorded seconds (video)', '%.2f' % eng['vdur'], '%.2f' % ref['vdur'], '', None),
        ('frames per second in file', '%.2f' % eng['fps'], '%.2f' % ref['fps'], '', None),
        ('CPU s per recorded s', '%.3f' % per_s(eng), '%.3f' % per_s(ref),
         '<= %.2f' % GOALS['cpu_per_s'], per_s(eng) <= GOALS['cpu_per_s']),
        ('CPU ratio clipnest/ffmpeg', '%.2f' % ratio, '', '<= %.1f' % GOALS['cpu_ratio'],
         ratio <= GOALS['cpu_ratio']),
        ('dropped frames (ffmpeg: drop)', str(eng['dropped']), str(ref['dropped']), '0',
         eng['dropped'] == 0),
        ('repeated frames (ffmpeg: dup)', str(eng['repeated']), str(ref['repeated']), '', None),
        ('stop latency s', '%.3f' % eng['stop_s'] if eng['stop_s'] is not None else 'n/a',
         '%.3f' % ref['stop_s'], '< %.1f' % GOALS['stop_s'],
         eng['stop_s'] is not None and eng['stop_s'] < GOALS['stop_s']),
        ('peak memory MB', '%.0f' % eng['rss_mb'], '%.0f' % ref['rss_mb'],
         '< %d' % GOALS['rss_mb'], eng['rss_mb'] < GOALS['rss_mb']),
        ('beep - flash ms (max |x|)', max_abs_ms(eng['offsets']), max_abs_ms(ref['offsets']),
         '<= %d all' % GOALS['sync_ms'], sync_ok),
        ('  the same, from 2 s on', max_abs_ms(settled(eng)), max_abs_ms(settled(ref)), '', None),
        ('  first flash', first_ms(eng), first_ms(ref), '', None),
        ('MB per minute', '%.1f' % per_minute(eng), '%.1f' % per_minute(ref), '', None),
        ('audio - video duration ms', '%+.0f' % ((eng['adur'] - eng['vdur']) * 1000),
         '%+.0f' % ((ref['adur'] - ref['vdur']) * 1000), '', None),
    ]
    if 'ended' in killed:
        log('clipnest-rec ended before the kill, %s' % killed['ended'])
        rows.append(('kill -9 at %d s: playable s' % kill_at, 'ended early', '',
                     '>= %d' % (kill_at - GOALS['kill_slack_s']), False))
    else:
        ok = killed['playable'] >= kill_at - GOALS['kill_slack_s'] and not killed['error']
        rows.append(('kill -9 at %d s: playable s' % kill_at, '%.2f' % killed['playable'], '',
                     '>= %d, no error' % (kill_at - GOALS['kill_slack_s']), ok))
        if killed['error']:
            log('killed recording decodes with errors: %s' % killed['error'][:500])
        ok = killed['outcome'] == 'finished' and not killed['recovered_error'] and \
            killed['recovered'] >= kill_at - GOALS['kill_slack_s']
        rows.append(('  recovered: playable s', '%.2f (%s)' % (killed['recovered'],
                                                             killed['outcome']), '',
                     '>= %d, finished' % (kill_at - GOALS['kill_slack_s']), ok))
    log('')
    log('beep - flash: flash instants are known to one frame (+-%d ms), beeps to the sample'
        % (500 / FPS))
    log('%-30s %14s %10s %14s  %s' % ('media bench (%d s)' % seconds, 'clipnest-rec', 'ffmpeg',
                                      'goal', 'verdict'))
    failed = 0
    for name, e, f, goal, ok in rows:
        verdict = '' if ok is None else ('ok' if ok else 'MISSED')
        failed += ok is False
        log('%-30s %14s %10s %14s  %s' % (name, e, f, goal, verdict))
    failed += report_scenes(r.get('scenes', {}))
    log('goals missed: %d' % failed)
    return 0


def per_minute(x):
    size = x.get('bytes') or (os.path.getsize(x['path']) if x.get('path') and
                              os.path.exists(x['path']) else 0)
    return size / 1e6 / x['vdur'] * 60 if x.get('vdur') else 0.0


def first_ms(x):
    got = [o for o in x['offsets'] if o is not None]
    return '%+.0f' % (got[0] * 1000) if got else 'n/a'


def report_scenes(results):
    failed = 0
    for name, r in results.items():
        eng, ref = r['eng'], r['ref']
        log('')
        if eng['code'] != 0 or ref['code'] not in (0, 255) or not eng['vdur'] or not ref['vdur']:
            log('scene %s: a recorder failed: clipnest-rec %s / ffmpeg %s' % (
                name, eng.get('stderr', '')[-300:], ref.get('stderr', '')[-300:]))
            failed += 1
            continue
        e, f = eng['cpu'] / eng['vdur'], ref['cpu'] / ref['vdur']
        cpu_goal, ratio_goal = SCENE_GOALS.get(name, (None, None))
        rows = [
            ('CPU s per recorded s', '%.3f' % e, '%.3f' % f,
             '<= %.2f' % cpu_goal if cpu_goal else '', e <= cpu_goal if cpu_goal else None),
            ('CPU ratio clipnest/ffmpeg', '%.2f' % (e / f), '',
             '<= %.2f' % ratio_goal if ratio_goal else '',
             e / f <= ratio_goal if ratio_goal else None),
            ('peak memory MB', '%.0f' % eng['rss_mb'], '%.0f' % ref['rss_mb'],
             '< %d' % GOALS['rss_mb'], eng['rss_mb'] < GOALS['rss_mb']),
            ('dropped frames', str(eng['dropped']), str(ref['dropped']), '', None),
            ('repeated frames', str(eng['repeated']), str(ref['repeated']), '', None),
            ('frames in file', str(eng['frames']), str(ref['frames']), '', None),
            ('recorded seconds (video)', '%.2f' % eng['vdur'], '%.2f' % ref['vdur'], '', None),
            ('stop latency s', '%.3f' % eng['stop_s'] if eng['stop_s'] is not None else 'n/a',
             '%.3f' % ref['stop_s'], '', None),
            ('MB per minute', '%.2f' % per_minute(eng), '%.2f' % per_minute(ref), '', None),
        ]
        log('%-30s %14s %10s %14s  %s' % ('scene %s' % name, 'clipnest-rec', 'ffmpeg', 'goal',
                                          'verdict'))
        for row, a, b, goal, ok in rows:
            verdict = '' if ok is None else ('ok' if ok else 'MISSED')
            failed += ok is False
            log('%-30s %14s %10s %14s  %s' % (row, a, b, goal, verdict))
    return failed


def settled(x):
    """Offsets of the flashes after the first two seconds, which show start-up effects of the
    recorder and of the players apart from the steady state."""
    return [o for f, o in zip(x['flashes'], x['offsets']) if f >= 2.0]


def max_abs_ms(offs):
    got = [abs(o) * 1000 for o in offs if o is not None]
    return '%.0f' % max(got) if got else 'n/a'


if __name__ == '__main__':
    sys.exit(main())
