"""GStreamer's recorder on the screen-cast portal's stream: what the Wayland path of
clipnest-rec is held against (bench/wayland/compare.py runs it on each scene).

    /usr/bin/python3 bench/wayland/gst_reference.py SECONDS OUT.mp4

Opens a ScreenCast session through xdg-desktop-portal as clipnest-rec --portal does (one
monitor, the pointer in the picture), opens the session's PipeWire remote and hands its
descriptor down to gst-launch-1.0, which records the cast's node to OUT.mp4 with the encoder
set up as clipnest's (X264_OPTIONS below). It encodes every picture the cast delivers, where
clipnest-rec takes at most one every 50 ms; the bench counts both. After SECONDS gst-launch
is interrupted, finishes the file and exits; then prints
  cpu_s=    user and system seconds of the pipeline (gst-launch and any child it waited for)
  rss_kb=   the pipeline's peak resident memory
  seconds=  from starting the pipeline to interrupting it
  client_cpu_s= client_rss_kb=   the same for this portal client, which is not the pipeline
Exits 1 with the reason on stderr when the portal or the pipeline fails.

Needs Debian's python3-dbus and python3-gi, so /usr/bin/python3 rather than another Python.
"""
import os
import resource
import signal
import subprocess
import sys
import threading
import time

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

sys.dont_write_bytecode = True

PORTAL = 'org.freedesktop.portal.Desktop'
PORTAL_PATH = '/org/freedesktop/portal/desktop'
SCREENCAST = 'org.freedesktop.portal.ScreenCast'
MONITOR = 1
CURSOR_EMBEDDED = 2
# The portal answers within a second or two on the test desktop; far longer means it hangs.
PORTAL_TIMEOUT_S = 30
# gst-launch finishes an MP4 of a 20 s recording in well under a second once interrupted.
FINISH_TIMEOUT_S = 30

# clipnest's encoder, as media/engine/H264Encoder.cpp opens x264 for a 1920x1080 recording:
# preset veryfast, constant quality 23, keyframes 25 to 250 pictures apart, and the options of
# media/engine/X264Options.cpp for the settings of media/ScreenRecordingSettings.cpp, one
# thread included. The keyframe interval must be x264enc's property, which overrides the
# option string. Constant quality also caps x264enc's bitrate at its `bitrate` property: the
# highest it takes (2 Gbit/s) leaves x264 as good as unconstrained, as clipnest's encoder is.
# That cap is all that differs between the options x264 writes into the two recordings.
X264_OPTIONS = ':'.join([
    'ref=1', 'bframes=0', 'rc-lookahead=0', 'mbtree=0', 'sync-lookahead=0',
    'cabac=0', 'deblock=0,0', 'chroma-me=0', 'partitions=i4x4,p8x8', '8x8dct=0', 'me=hex',
    'subme=3', 'merange=16',
    'min-keyint=25', 'scenecut=40', 'ipratio=1.40845', 'b-adapt=1', 'qcomp=0.6', 'qpmin=0',
    'qpmax=69', 'qpstep=4', 'direct=spatial', 'fast-pskip=1', 'weightp=0',
    'threads=1', 'sliced-threads=0', 'lookahead-threads=1',
])


def pipeline(fd, node, out):
    return ['gst-launch-1.0', '-q', '-e',
            'pipewiresrc', f'fd={fd}', f'path={node}', '!',
            'videoconvert', '!', 'video/x-raw,format=I420', '!',
            'x264enc', 'speed-preset=veryfast', 'pass=qual', 'quantizer=23',
            'key-int-max=250', 'bitrate=2048000', f'option-string={X264_OPTIONS}', '!',
            'mp4mux', '!', 'filesink', f'location={out}']


class Portal:
    """The ScreenCast calls, each waited for through its Request's Response signal."""

    def __init__(self):
        dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
        self.bus = dbus.SessionBus()
        self.portal = self.bus.get_object(PORTAL, PORTAL_PATH)
        self.screencast = dbus.Interface(self.portal, SCREENCAST)
        self.sender = self.bus.get_unique_name()[1:].replace('.', '_')
        self.tokens = 0

    def cursor_modes(self):
        props = dbus.Interface(self.portal, 'org.freedesktop.DBus.Properties')
        return int(props.Get(SCREENCAST, 'AvailableCursorModes'))

    def call(self, method, *args, options):
        # The Request's path is known beforehand, so the answer cannot arrive before the
        # match for it is in place.
        self.tokens += 1
        token = f'clipnest_bench{os.getpid()}_{self.tokens}'
        path = f'{PORTAL_PATH}/request/{self.sender}/{token}'
        loop = GLib.MainLoop()
        answer = {}

        def on_response(code, results):
            answer['code'], answer['results'] = int(code), results
            loop.quit()

        def on_timeout():
            answer['timed_out'] = True
            loop.quit()
            return False

        match = self.bus.add_signal_receiver(on_response, 'Response',
                                             'org.freedesktop.portal.Request', PORTAL, path)
        timer = GLib.timeout_add_seconds(PORTAL_TIMEOUT_S, on_timeout)
        try:
            options = dict(options, handle_token=token)
            getattr(self.screencast, method)(*args, dbus.Dictionary(options, signature='sv'))
            loop.run()
        finally:
            if 'timed_out' not in answer:
                GLib.source_remove(timer)
            match.remove()
        if 'code' not in answer:
            raise RuntimeError(f'the portal did not answer {method}')
        if answer['code'] != 0:
            raise RuntimeError(f'the portal refused {method} (response {answer["code"]})')
        return answer['results']

    def open_cast(self):
        """Returns (session handle, PipeWire node, descriptor of the session's remote)."""
        results = self.call('CreateSession', options={'session_handle_token': 'clipnest_bench'})
        session = dbus.ObjectPath(results['session_handle'])
        sources = {'types': dbus.UInt32(MONITOR), 'multiple': False}
        if self.cursor_modes() & CURSOR_EMBEDDED:
            sources['cursor_mode'] = dbus.UInt32(CURSOR_EMBEDDED)
        self.call('SelectSources', session, options=sources)
        results = self.call('Start', session, '', options={})
        streams = results.get('streams', [])
        if not streams:
            raise RuntimeError('the portal started a cast without a stream')
        node = int(streams[0][0])
        fd = self.screencast.OpenPipeWireRemote(session, dbus.Dictionary({}, signature='sv'))
        return session, node, fd.take()

    def close(self, session):
        session_object = self.bus.get_object(PORTAL, session)
        dbus.Interface(session_object, 'org.freedesktop.portal.Session').Close()


def record(seconds, fd, node, out):
    """Runs the pipeline for `seconds`; returns (status, rusage, seconds it recorded)."""
    start = time.monotonic()
    gst = subprocess.Popen(pipeline(fd, node, out), pass_fds=(fd,), stdout=subprocess.DEVNULL)
    os.close(fd)
    interrupted = {}

    def interrupt():
        interrupted['at'] = time.monotonic()
        gst.send_signal(signal.SIGINT)

    def kill():
        gst.send_signal(signal.SIGKILL)

    stop = threading.Timer(seconds, interrupt)
    give_up = threading.Timer(seconds + FINISH_TIMEOUT_S, kill)
    stop.start()
    give_up.start()
    _, status, usage = os.wait4(gst.pid, 0)
    stop.cancel()
    give_up.cancel()
    gst.returncode = os.waitstatus_to_exitcode(status)
    if 'at' not in interrupted:
        return gst.returncode or 1, usage, time.monotonic() - start
    return gst.returncode, usage, interrupted['at'] - start


def main():
    seconds, out = float(sys.argv[1]), sys.argv[2]
    portal = Portal()
    try:
        session, node, fd = portal.open_cast()
    except (RuntimeError, dbus.DBusException) as e:
        print(f'screen-cast portal: {e}', file=sys.stderr)
        return 1
    status, usage, recorded = record(seconds, fd, node, out)
    try:
        portal.close(session)
    except dbus.DBusException:
        pass  # The cast may already be gone with the pipeline; the figures stand.
    if status != 0:
        print(f'gst-launch-1.0 ended with {status} before the end of the recording',
              file=sys.stderr)
        return 1
    own = resource.getrusage(resource.RUSAGE_SELF)
    print(f'cpu_s={usage.ru_utime + usage.ru_stime:.3f}\nrss_kb={usage.ru_maxrss}\n'
          f'seconds={recorded:.3f}\nclient_cpu_s={own.ru_utime + own.ru_stime:.3f}\n'
          f'client_rss_kb={own.ru_maxrss}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
