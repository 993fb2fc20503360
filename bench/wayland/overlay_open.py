"""From the tray click to the capture overlay painted, on the headless Wayland test desktop.

    /usr/bin/python3 bench/wayland/overlay_open.py <builddir>

Run inside scripts/with-wayland-desktop.sh (bench/wayland/run.sh does). Plays the desktop's
panel (a StatusNotifierWatcher on the session bus, in a child process of its own), starts
the program with a private home past its first start, and clicks its tray item
(org.kde.StatusNotifierItem.Activate) OPENS times in a row, each time until the overlay
window ("Clipnest capture") is full screen on the output and the output shows the screen's
picture dimmed under it, then closes it with Escape. The first open of a home has no
screen-sharing token yet and asks the desktop's chooser; the later ones use the token the
first one stored. That is done for ROUNDS fresh homes (BENCH_OVERLAY_ROUNDS, default 3), and
the medians of the opens without and with the token are printed.

The finish is seen by polling sway's tree and a small grim shot, as fast as they answer
(about 20 ms a round on an idle machine): the figures are that much coarse.
"""
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

import dbus

OPENS = 5
ROUNDS = int(os.environ.get('BENCH_OVERLAY_ROUNDS', '3'))
OUTPUT = 'HEADLESS-1'
TITLE = 'Clipnest capture'
# A patch of the bare background, away from the blinking window and from whatever the
# overlay draws in the middle of the output.
PROBE = (600, 300, 64, 4)
# Dimmed: every channel sum at most this share of what it was before the overlay.
DIMMED = 0.7
# A program start, the portal's hand-shake or the overlay that does not come within this
# has failed.
GIVE_UP_S = 30
WATCHER = 'org.kde.StatusNotifierWatcher'
ITEM = 'org.kde.StatusNotifierItem'
BLINK_APP_ID = 'clipnest-bench-blink'


# What the watcher answers; GLib's D-Bus server describes the object from it.
WATCHER_XML = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
 </interface>
</node>
"""


def log(*args):
    print(*args, flush=True)


def watcher_main():
    """The panel's watcher: answers what Qt's tray asks, and lists the items registered.

    Qt's tray reads only the properties an object describes, so the watcher runs on GLib's
    D-Bus server, which describes it from WATCHER_XML (dbus-python leaves properties out).
    """
    from gi.repository import Gio, GLib

    node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)
    items = []

    def call(connection, sender, path, interface, method, arguments, invocation):
        if method == 'RegisterStatusNotifierItem':
            service = arguments.unpack()[0]
            # An item may give its path instead of a name: the sender is the item then.
            name = sender if service.startswith('/') else service
            items.append(name)
            connection.emit_signal(None, path, WATCHER, 'StatusNotifierItemRegistered',
                                   GLib.Variant('(s)', (name,)))
        invocation.return_value(None)

    def get(connection, sender, path, interface, name):
        return {'IsStatusNotifierHostRegistered': GLib.Variant('b', True),
                'ProtocolVersion': GLib.Variant('i', 0),
                'RegisteredStatusNotifierItems': GLib.Variant('as', items)}[name]

    def bus_acquired(connection, name):
        connection.register_object('/StatusNotifierWatcher', node.interfaces[0], call, get,
                                   None)

    def name_acquired(connection, name):
        print('ready', flush=True)

    Gio.bus_own_name(Gio.BusType.SESSION, WATCHER, Gio.BusNameOwnerFlags.NONE, bus_acquired,
                     name_acquired, None)
    GLib.MainLoop().run()


def swaymsg(*args):
    return subprocess.run(['swaymsg', *args], check=True, capture_output=True, text=True).stdout


def windows():
    """(title, fullscreen, output) of every window sway has."""
    found = []

    def walk(node, output):
        if node.get('type') == 'output':
            output = node.get('name')
        if node.get('type') in ('con', 'floating_con') and 'pid' in node:
            found.append((node.get('name') or '', node.get('fullscreen_mode') == 1, output))
        for child in node.get('nodes', []) + node.get('floating_nodes', []):
            walk(child, output)

    walk(json.loads(swaymsg('-t', 'get_tree')), None)
    return found


def probe_sums():
    """Channel sums of the probe patch's pixels, as the compositor has them."""
    x, y, w, h = PROBE
    shot = subprocess.run(['grim', '-g', '%d,%d %dx%d' % (x, y, w, h), '-t', 'ppm',
                           '-'], check=True, capture_output=True).stdout
    # P6 header: magic, width, height, maximum, each followed by one white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while shot[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not shot[pos:pos + 1].isspace():
            pos += 1
        fields.append(shot[start:pos])
    pixels = shot[pos + 1:]
    return [sum(pixels[i:i + 3]) for i in range(0, len(pixels) - 2, 3)]


def is_dimmed(now, before):
    return all(n <= b * DIMMED for n, b in zip(now, before)) and len(now) == len(before)


def wait_for(what, condition):
    deadline = time.monotonic() + GIVE_UP_S
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.01)
    raise RuntimeError('gave up waiting for ' + what)


def overlay_full_screen():
    return any(t == TITLE and full and out == OUTPUT for t, full, out in windows())


def overlay_gone():
    return not any(t == TITLE for t, _, _ in windows())


def chooser_calls():
    with open(os.environ['CLIPNEST_TEST_CHOOSER_CALLS']) as f:
        return len(f.read().split())


class App:
    """The program with a home of its own, past its first start."""

    def __init__(self, build):
        self.home = tempfile.mkdtemp(prefix='clipnest-overlay-bench.')
        config = os.path.join(self.home, 'config')
        os.makedirs(os.path.join(config, 'clipnest.invalid'))
        runtime = os.path.join(self.home, 'runtime')
        os.makedirs(runtime, mode=0o700)
        with open(os.path.join(config, 'clipnest.invalid', 'Clipnest.conf'), 'w') as f:
            f.write('[General]\nfirst=false\n')
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=config,
                   XDG_DATA_HOME=os.path.join(self.home, 'data'), XDG_RUNTIME_DIR=runtime)
        self.log = open(os.path.join(self.home, 'app.log'), 'w')
        self.process = subprocess.Popen([os.path.join(build, 'app', 'clipnest')], env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT)

    def output(self):
        self.log.flush()
        with open(self.log.name) as f:
            return f.read()

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)


def item_of(bus, pid):
    """The tray item the program with `pid` registered with the watcher."""
    found = []

    daemon = dbus.Interface(bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus'),
                            'org.freedesktop.DBus')

    def registered():
        watcher = bus.get_object(WATCHER, '/StatusNotifierWatcher')
        for item in watcher.Get(WATCHER, 'RegisteredStatusNotifierItems',
                                dbus_interface=dbus.PROPERTIES_IFACE):
            try:
                if daemon.GetConnectionUnixProcessID(item) == pid:
                    found.append(str(item))
            except dbus.DBusException:
                pass  # an item of a program that is gone
        return bool(found)

    wait_for('the tray item', registered)
    return found[0]


def open_once(bus, item, before):
    """Milliseconds from the click to the overlay full screen with the dimmed picture."""
    start = time.monotonic()
    bus.get_object(item, '/StatusNotifierItem').Activate(0, 0, dbus_interface=ITEM)
    wait_for('the overlay full screen', overlay_full_screen)
    wait_for('the dimmed picture', lambda: is_dimmed(probe_sums(), before))
    took = (time.monotonic() - start) * 1000
    subprocess.run(['wtype', '-s', '200', '-k', 'Escape'], check=True)
    wait_for('the overlay to close', overlay_gone)
    return took


def round_of_opens(build, bus):
    app = App(build)
    try:
        item = item_of(bus, app.process.pid)
        before = probe_sums()
        times = []
        for i in range(OPENS):
            asked = chooser_calls()
            took = open_once(bus, item, before)
            times.append((took, chooser_calls() > asked))
            log('  open %d: %.0f ms%s' % (i + 1, took,
                                          ', the chooser asked' if times[-1][1] else ''))
        return times
    except Exception:
        log(app.output())
        raise
    finally:
        app.close()


def main():
    if len(sys.argv) == 2 and sys.argv[1] == '--watcher':
        watcher_main()
        return 0
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    build = os.path.abspath(sys.argv[1])
    # Every new cast waits for a change on the output: a small window blinks throughout.
    # One rule a command: sway runs a rule's commands chained by commas as commands of its own.
    for command in ('floating enable', 'resize set 120 60', 'move position 0 0'):
        swaymsg('for_window [app_id="%s"] %s' % (BLINK_APP_ID, command))
    blink = subprocess.Popen(['foot', '--app-id', BLINK_APP_ID, 'sh', '-c',
                              'while :; do printf "\\r#"; sleep 0.1; printf "\\r "; sleep 0.1; '
                              'done'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    watcher = subprocess.Popen([sys.executable, os.path.abspath(__file__), '--watcher'],
                               stdout=subprocess.PIPE, text=True)
    try:
        if watcher.stdout.readline().strip() != 'ready':
            raise RuntimeError('the watcher did not start')
        bus = dbus.SessionBus()
        wait_for('the blinking window', lambda: any(
            out == OUTPUT for t, _, out in windows()))
        without, with_token = [], []
        for r in range(ROUNDS):
            log('overlay open, home %d of %d:' % (r + 1, ROUNDS))
            times = round_of_opens(build, bus)
            for i, (took, asked) in enumerate(times):
                if asked != (i == 0):
                    log('  WARNING: open %d %s the chooser' % (i + 1, 'asked' if asked
                                                               else 'did not ask'))
            without.append(times[0][0])
            with_token.extend(t for t, _ in times[1:])
        log('overlay open, tray click to dimmed picture (median of %d / %d): without a token '
            '%.0f ms, with the token %.0f ms' % (len(without), len(with_token),
                                                 statistics.median(without),
                                                 statistics.median(with_token)))
        return 0
    except Exception as e:
        log('overlay bench failed: %s' % e)
        return 1
    finally:
        for p in (watcher, blink):
            p.send_signal(signal.SIGTERM)
            p.wait()


if __name__ == '__main__':
    sys.exit(main())
