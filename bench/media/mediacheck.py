"""Reads recordings back: x264 settings, stream facts, flash and beep instants, playability.

Standard library only; every decode goes through the ffmpeg/ffprobe programs over pipes.
"""
import array
import json
import re
import subprocess
import sys

# A flash is a jump of the mean luma towards the brightest frame; half way between the
# usual picture and the brightest one tells flash frames from moving content reliably.
FLASH_MIN_CONTRAST = 40
# A beep starts where the sound first rises above a quarter of its loudest sample after
# at least this long a quiet stretch (the beeps are a second apart and 50 ms long).
BEEP_QUIET_SECONDS = 0.3
BEEP_MIN_PEAK = 1000


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False, **kw)


def x264_settings(path):
    """The options part of the x264 SEI text written into the stream, or None."""
    with open(path, 'rb') as f:
        data = f.read()
    i = data.find(b'x264 - core')
    if i < 0:
        return None
    end = data.find(b'\0', i)
    text = data[i:end if end > 0 else i + 4096].decode('latin-1')
    _, _, opts = text.partition('options: ')
    return opts.strip()


def parse_settings(opts):
    d = {}
    for item in opts.split():
        k, _, v = item.partition('=')
        d[k] = v
    return d


# x264's printed option name -> the name x264_param_parse takes. Values that print in a
# compound form are split in settings_to_params.
_SIMPLE = {
    'cabac': 'cabac', 'ref': 'ref', 'me': 'me', 'subme': 'subme', 'psy': 'psy',
    'mixed_ref': 'mixed-refs', 'me_range': 'merange', 'chroma_me': 'chroma-me',
    'trellis': 'trellis', '8x8dct': '8x8dct', 'fast_pskip': 'fast-pskip',
    'chroma_qp_offset': 'chroma-qp-offset', 'threads': 'threads',
    'lookahead_threads': 'lookahead-threads', 'sliced_threads': 'sliced-threads',
    'slices': 'slices', 'nr': 'nr', 'bluray_compat': 'bluray-compat',
    'constrained_intra': 'constrained-intra', 'bframes': 'bframes',
    'b_pyramid': 'b-pyramid', 'b_adapt': 'b-adapt', 'b_bias': 'b-bias',
    'direct': 'direct', 'weightb': 'weightb', 'open_gop': 'open-gop',
    'weightp': 'weightp', 'keyint': 'keyint', 'keyint_min': 'min-keyint',
    'scenecut': 'scenecut', 'intra_refresh': 'intra-refresh',
    'rc_lookahead': 'rc-lookahead', 'mbtree': 'mbtree', 'crf': 'crf',
    'bitrate': 'bitrate', 'ratetol': 'ratetol', 'qcomp': 'qcomp', 'qpmin': 'qpmin',
    'qpmax': 'qpmax', 'qpstep': 'qpstep', 'ip_ratio': 'ipratio', 'pb_ratio': 'pbratio',
    'vbv_maxrate': 'vbv-maxrate', 'vbv_bufsize': 'vbv-bufsize', 'crf_max': 'crf-max',
    'qp': 'qp', 'cplxblur': 'cplxblur', 'qblur': 'qblur',
}
# The direct-mode and motion-search names as x264 prints them are already what it parses;
# partitions print as bit masks.
_PART_BITS = [(0x0001, 'i4x4'), (0x0002, 'i8x8'), (0x0010, 'p8x8'), (0x0020, 'p4x4'),
              (0x0100, 'b8x8')]
_DIRECT = {'0': 'none', '1': 'spatial', '2': 'temporal', '3': 'auto'}


def settings_to_params(d, keep_threads=True):
    """x264-params for ffmpeg's libx264 that reproduce the printed settings."""
    out = []
    for k, v in d.items():
        if k in ('threads', 'lookahead_threads') and not keep_threads:
            continue
        if k == 'deblock':
            on, a, b = v.split(':')
            out.append('deblock=%s,%s' % (a, b) if on == '1' else 'no-deblock=1')
        elif k == 'analyse':
            inter = int(v.split(':')[1], 16)
            names = [n for bit, n in _PART_BITS if inter & bit]
            out.append('partitions=' + (','.join(names) if names else 'none'))
        elif k == 'psy_rd':
            out.append('psy-rd=' + v.replace(':', ','))
        elif k == 'deadzone':
            inter, intra = v.split(',')
            out += ['deadzone-inter=' + inter, 'deadzone-intra=' + intra]
        elif k == 'cqm':
            out.append('cqm=' + ('flat' if v == '0' else 'jvt'))
        elif k == 'decimate':
            out.append('dct-decimate=' + v)
        elif k == 'interlaced':
            out.append('interlaced=' + ('0' if v == '0' else '1'))
        elif k == 'aq':
            mode, _, strength = v.partition(':')
            out.append('aq-mode=' + mode)
            if strength:
                out.append('aq-strength=' + strength)
        elif k == 'direct':
            out.append('direct=' + _DIRECT.get(v, v))
        elif k == 'keyint' and v == 'infinite':
            out.append('keyint=infinite')
        elif k in ('rc', 'stitchable', 'fake_interlaced', 'zones', 'ipratio'):
            continue
        elif k in _SIMPLE:
            out.append('%s=%s' % (_SIMPLE[k], v))
    return ':'.join(out)


def encoder_args(d):
    """ffmpeg output options that x264-params cannot carry: libx264's wrapper sets the thread
    count and the slice threading from the codec context after reading x264-params."""
    args = []
    if 'threads' in d:
        args += ['-threads', d['threads']]
    if d.get('sliced_threads') == '1':
        args += ['-thread_type', 'slice']
    return args


def settings_of_params(params, extra=(), size='1920x1080'):
    """Encodes one frame with ffmpeg's libx264 and the given params; returns its settings.
    The size matters: x264 lowers the thread count for small pictures."""
    r = run(['ffmpeg', '-v', 'error', '-f', 'lavfi', '-i', 'testsrc=s=%s:r=20' % size,
             '-frames:v', '1', '-pix_fmt', 'yuv420p', '-c:v', 'libx264'] + list(extra) +
            ['-x264-params', params, '-f', 'h264', 'pipe:1'])
    if r.returncode != 0:
        raise RuntimeError('ffmpeg rejected x264-params: ' + r.stderr.decode(errors='replace'))
    i = r.stdout.find(b'x264 - core')
    text = r.stdout[i:r.stdout.find(b'\0', i)].decode('latin-1')
    return text.partition('options: ')[2].strip()


# Printed values that x264 computes from the requested one plus other settings.
_DERIVED = ('chroma_qp_offset',)


def matching_params(target_opts, ignore=('threads', 'lookahead_threads')):
    """x264-params whose printed settings equal target_opts (apart from `ignore`).

    x264 derives a few printed values from others (chroma_qp_offset moves with psy), so
    differences left in those after the first translation are corrected once more.
    Returns (params, extra ffmpeg output options, printed settings, differing keys)."""
    target = parse_settings(target_opts)
    params = settings_to_params(target)
    extra = encoder_args(target)
    got = {}
    for _ in range(3):
        got = parse_settings(settings_of_params(params, extra))
        diff = [k for k in set(target) | set(got)
                if k not in ignore and target.get(k) != got.get(k)]
        if not diff:
            break
        fixed = False
        for k in diff:
            if k in _DERIVED and re.fullmatch(r'-?\d+', target.get(k, '')) \
                    and re.fullmatch(r'-?\d+', got.get(k, '')):
                name = _SIMPLE[k]
                m = re.search(r'(^|:)%s=(-?\d+)' % re.escape(name), params)
                if m:
                    new = int(m.group(2)) + int(target[k]) - int(got[k])
                    params = params[:m.start(2)] + str(new) + params[m.end(2):]
                    fixed = True
        if not fixed:
            break
    diff = sorted(k for k in set(target) | set(got)
                  if k not in ignore and target.get(k) != got.get(k))
    return params, extra, got, diff


def probe(path):
    r = run(['ffprobe', '-v', 'error', '-count_frames', '-show_streams', '-show_format',
             '-of', 'json', path])
    if r.returncode != 0:
        return None
    return json.loads(r.stdout)


def frame_times(path, stream):
    """Presentation times of the decoded frames of the first video ('v') or audio ('a') stream."""
    r = run(['ffprobe', '-v', 'error', '-select_streams', stream + ':0', '-show_entries',
             'frame=best_effort_timestamp_time,pkt_pts_time,pts_time,nb_samples', '-of', 'json', path])
    if r.returncode != 0:
        return []
    out = []
    for f in json.loads(r.stdout).get('frames', []):
        t = f.get('best_effort_timestamp_time', f.get('pts_time', f.get('pkt_pts_time')))
        if t is None or t == 'N/A':
            continue
        out.append((float(t), int(f.get('nb_samples', 0))))
    return out


def flashes(path, crop=None, w=64, h=36):
    """(flash onset times, mean luma per frame) from the first video stream, looking only
    at the rectangle crop=(x, y, width, height) if given."""
    times = [t for t, _ in frame_times(path, 'v')]
    r = run(['ffmpeg', '-v', 'error', '-i', path, '-map', '0:v:0', '-fps_mode', 'passthrough',
             '-vf', ('crop=%d:%d:%d:%d,' % (crop[2], crop[3], crop[0], crop[1]) if crop else '')
             + 'scale=%d:%d:flags=area,format=gray' % (w, h), '-f', 'rawvideo', 'pipe:1'])
    size = w * h
    means = [sum(r.stdout[i:i + size]) / size for i in range(0, len(r.stdout) - size + 1, size)]
    if len(times) != len(means):
        # Fall back to the nominal frame rate if the two reads disagree about the frames.
        times = [i / 20.0 for i in range(len(means))]
    if not means:
        return [], means
    ordered = sorted(means)
    base, top = ordered[len(ordered) // 2], ordered[-1]
    if top - base < FLASH_MIN_CONTRAST:
        return [], means
    thr = base + (top - base) / 2
    onsets = [times[i] for i in range(len(means))
              if means[i] > thr and (i == 0 or means[i - 1] <= thr)]
    return onsets, means


def beeps(path):
    """Onset times of the beeps in the first audio stream."""
    frames = frame_times(path, 'a')
    if not frames:
        return []
    r = run(['ffmpeg', '-v', 'error', '-i', path, '-map', '0:a:0', '-ac', '1', '-ar', '44100',
             '-c:a', 'pcm_s16le', '-f', 's16le', 'pipe:1'])
    pcm = array.array('h')
    pcm.frombytes(r.stdout[:len(r.stdout) // 2 * 2])
    if sys.byteorder != 'little':
        pcm.byteswap()
    if not pcm:
        return []
    peak = max(max(pcm), -min(pcm))
    if peak < BEEP_MIN_PEAK:
        return []
    thr = peak // 4
    quiet_needed = int(BEEP_QUIET_SECONDS * 44100)
    start = frames[0][0]
    onsets = []
    last_loud = -quiet_needed - 1
    for i, s in enumerate(pcm):
        if s > thr or -s > thr:
            if i - last_loud > quiet_needed:
                onsets.append(start + i / 44100.0)
            last_loud = i
    return onsets


def sync_offsets(flash_times, beep_times, window=0.5):
    """For every flash, the offset of the nearest beep (beep - flash, seconds) within window."""
    out = []
    for f in flash_times:
        near = [b - f for b in beep_times if abs(b - f) <= window]
        out.append(min(near, key=abs) if near else None)
    return out


def top_level_boxes(path):
    names = []
    with open(path, 'rb') as f:
        while True:
            head = f.read(8)
            if len(head) < 8:
                break
            size = int.from_bytes(head[:4], 'big')
            name = head[4:8].decode('latin-1')
            if size == 1:
                size = int.from_bytes(f.read(8), 'big')
                body = size - 16
            elif size == 0:
                names.append(name)
                break
            else:
                body = size - 8
            names.append(name)
            if body < 0:
                break
            f.seek(body, 1)
    return names


def playable(path):
    """(seconds of video that decode, decode error text) of a possibly cut-off recording."""
    times = [t for t, _ in frame_times(path, 'v')]
    r = run(['ffmpeg', '-v', 'error', '-i', path, '-f', 'null', '-'])
    err = r.stderr.decode(errors='replace').strip()
    if r.returncode != 0 and not err:
        err = 'ffmpeg exited with %d' % r.returncode
    if not times:
        return 0.0, err or 'no video frame decodes'
    return max(times) - min(times) + 1 / 20.0, err


if __name__ == '__main__':
    cmd, path = sys.argv[1], sys.argv[2]
    if cmd == 'x264':
        print(x264_settings(path))
    elif cmd == 'params':
        print(matching_params(x264_settings(path)))
    elif cmd == 'sync':
        f, _ = flashes(path)
        b = beeps(path)
        print('flashes', ['%.3f' % x for x in f])
        print('beeps', ['%.3f' % x for x in b])
        print('offsets', sync_offsets(f, b))
    elif cmd == 'boxes':
        print(top_level_boxes(path))
    elif cmd == 'playable':
        print(playable(path))
