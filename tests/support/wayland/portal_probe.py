#!/usr/bin/python3
"""Asks the desktop portal for a screen cast, the way a recorder does, and reports what came back.

CreateSession, SelectSources (monitors, several allowed, the cursor as metadata when the portal
offers that, persistent until revoked), Start and OpenPipeWireRemote, each through the
portal's Request object and its Response signal. Prints the streams, the restore token and
whether a PipeWire file descriptor came back. Exits 0 when all of that worked, otherwise with
the portal's response code (1 cancelled by the user, 2 other failure), or 3 when the portal
could not be reached or answered without what it must.

    portal_probe.py [--restore-token TOKEN] [--save-token FILE] [--consumer CMD...]

--consumer runs CMD with the PipeWire remote's file descriptor number and the first stream's
node id appended, while the session is still open, and exits with its status.
"""

import argparse
import subprocess
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

BUS_NAME = "org.freedesktop.portal.Desktop"
OBJECT_PATH = "/org/freedesktop/portal/desktop"
SCREENCAST = "org.freedesktop.portal.ScreenCast"
REQUEST = "org.freedesktop.portal.Request"

# Generous: on a busy machine the portal, its backend and the compositor all start work on
# the first request. A working desktop answers in well under a second.
RESPONSE_TIMEOUT_S = 30

SOURCE_MONITOR = 1
CURSOR_METADATA = 4
PERSIST_UNTIL_REVOKED = 2
SOURCE_TYPE_NAMES = {1: "monitor", 2: "window", 4: "virtual"}


class PortalError(Exception):
    def __init__(self, code, message):
        super().__init__(message)
        self.code = code


class Portal:
    def __init__(self):
        dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
        self.bus = dbus.SessionBus()
        self.proxy = self.bus.get_object(BUS_NAME, OBJECT_PATH)
        self.screencast = dbus.Interface(self.proxy, SCREENCAST)
        self.sender = self.bus.get_unique_name()[1:].replace(".", "_")
        self.counter = 0

    def prop(self, name):
        return self.proxy.Get(SCREENCAST, name, dbus_interface=dbus.PROPERTIES_IFACE)

    def token(self, kind):
        self.counter += 1
        return f"probe_{kind}{self.counter}"

    def request(self, method, *args, options):
        """Calls a method that answers through a Request object and waits for its Response."""
        handle_token = self.token("request")
        options["handle_token"] = handle_token
        path = f"/org/freedesktop/portal/desktop/request/{self.sender}/{handle_token}"
        loop = GLib.MainLoop()
        answer = {}

        def on_response(code, results):
            answer["code"] = int(code)
            answer["results"] = results
            loop.quit()

        # Subscribed before the call so that a quick answer is not missed.
        match = self.bus.add_signal_receiver(
            on_response, "Response", REQUEST, BUS_NAME, path)
        try:
            handle = getattr(self.screencast, method)(*args, options)
            if str(handle) != path:
                raise PortalError(3, f"{method}: request at {handle}, expected {path}")
            GLib.timeout_add_seconds(RESPONSE_TIMEOUT_S, loop.quit)
            loop.run()
        finally:
            match.remove()
        if "code" not in answer:
            raise PortalError(3, f"{method}: no answer in {RESPONSE_TIMEOUT_S} s")
        if answer["code"] != 0:
            raise PortalError(answer["code"], f"{method}: response {answer['code']}")
        return answer["results"]

    def close(self, session):
        self.bus.get_object(BUS_NAME, session).Close(
            dbus_interface="org.freedesktop.portal.Session")


def cast(portal, args):
    version = int(portal.prop("version"))
    cursor_modes = int(portal.prop("AvailableCursorModes"))
    print(f"portal: ScreenCast version {version}, source types "
          f"{int(portal.prop('AvailableSourceTypes'))}, cursor modes {cursor_modes}")
    results = portal.request("CreateSession", options={
        "session_handle_token": portal.token("session")})
    session = str(results["session_handle"])
    print(f"session: {session}")
    select = {"types": dbus.UInt32(SOURCE_MONITOR), "multiple": True,
              "persist_mode": dbus.UInt32(PERSIST_UNTIL_REVOKED)}
    if cursor_modes & CURSOR_METADATA:
        select["cursor_mode"] = dbus.UInt32(CURSOR_METADATA)
    if args.restore_token:
        select["restore_token"] = args.restore_token
    portal.request("SelectSources", dbus.ObjectPath(session), options=select)
    results = portal.request("Start", dbus.ObjectPath(session), "", options={})
    streams = results.get("streams", [])
    for node, props in streams:
        pos = props.get("position", ("?", "?"))
        size = props.get("size", ("?", "?"))
        kind = SOURCE_TYPE_NAMES.get(int(props.get("source_type", 0)), "unknown")
        print(f"stream: node {int(node)} position {int(pos[0])},{int(pos[1])} "
              f"size {int(size[0])}x{int(size[1])} source {kind}")
    token = str(results.get("restore_token", ""))
    print(f"restore_token: {token or '(none)'}")
    if args.save_token and token:
        with open(args.save_token, "w") as out:
            out.write(token)
    fd = portal.screencast.OpenPipeWireRemote(dbus.ObjectPath(session), {}).take()
    print(f"pipewire fd: {'yes' if fd >= 0 else 'no'}")
    if not streams or fd < 0:
        raise PortalError(3, "Start gave no stream or OpenPipeWireRemote no descriptor")
    status = 0
    if args.consumer:
        status = subprocess.run(args.consumer + [str(fd), str(int(streams[0][0]))],
                                pass_fds=(fd,)).returncode
    portal.close(session)
    return status


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--restore-token")
    parser.add_argument("--save-token")
    parser.add_argument("--consumer", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    try:
        return cast(Portal(), args)
    except PortalError as error:
        print(f"portal_probe: {error}", file=sys.stderr)
        return error.code
    except dbus.DBusException as error:
        print(f"portal_probe: {error.get_dbus_name()}: {error}", file=sys.stderr)
        return 3


if __name__ == "__main__":
    sys.exit(main())
