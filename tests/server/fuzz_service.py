#!/usr/bin/env python3
"""Network fuzzer of the reference upload service, as deployed (nginx + php-fpm started by
server/run-local.sh on a free loopback port with private folders).

Sends seeded random requests to every address a client reaches: the multipart upload, the
resumable endpoints (creation, HEAD, PATCH, DELETE), the share page, its embed, oEmbed, the
raw video with ranges, the poster and the deletion address, with mutated methods, headers,
lengths, offsets, boundaries, ids and metadata. After each answer and at the end it checks:
  - an answer comes within a second (no hang), and is never 500, 502 or 504 (a PHP fault or a
    dead worker);
  - no page holds a script or anything the uploader sent unescaped;
  - the storage folder holds only the service's own names, nothing reached the web root, and
    the PHP log has no error, warning or notice.

  fuzz_service.py [--requests N] [--seed S]
A failure prints the seed and the request number, so that the run can be replayed (a run
stops after at least N requests, at the end of the sequence under way).
"""
import argparse
import base64
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SEED_VIDEO = os.path.join(ROOT, "tests/fuzz/corpus/mp4_recovery/fragmented-whole.mp4")
# A whole answer within this: an answer slower than that is a hang worth a look.
ANSWER_LIMIT_S = 1.0
# Small, so that the large-length cases are quick and the storage cap is reached too.
MAX_UPLOAD = 256 * 1024
MAX_STORAGE = 2 * 1024 * 1024
HOSTILE = '"><script>alert(1)</script><img src=x onerror=alert(2)>'
# What the storage folder may hold: the service's own names only.
STORAGE_NAMES = re.compile(
    r"^(\.lock|[0-9a-f]{32}\.mp4|incoming-[0-9a-f]+|meta|tus|posters|"
    r"meta/[0-9a-f]{32}\.json(\.tmp[0-9a-zA-Z.]*)?|tus/[0-9a-f]{32}\.(part|lock)|"
    r"posters/[0-9a-f]{32}\.jpg|[^/]*\.tmp[0-9a-zA-Z.]*)$")


class Failure(Exception):
    pass


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def start_service(work):
    port = free_port()
    storage = os.path.join(work, "storage")
    os.makedirs(storage)
    proc = subprocess.Popen(
        [os.path.join(ROOT, "server/run-local.sh"), "--dir", os.path.join(work, "run"),
         "--listen", "127.0.0.1:%d" % port, "--storage", storage,
         "--max-upload", str(MAX_UPLOAD), "--max-storage", str(MAX_STORAGE)],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
    deadline = time.time() + 60
    while time.time() < deadline:
        line = proc.stdout.readline().decode(errors="replace")
        if not line:
            break
        if line.startswith("ready"):
            return proc, port, storage
    raise Failure("the service did not start")


def stop_service(proc):
    try:
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(10)
    except Exception:
        os.killpg(proc.pid, signal.SIGKILL)


def exchange(port, raw):
    """Sends one request on its own connection; returns (status, headers, body, seconds)."""
    start = time.time()
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    try:
        s.sendall(raw)
        data = b""
        # Timed to the answer's first bytes: after an early refusal nginx may linger for the
        # rest of a body the client never sends before it closes the connection.
        answered = None
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            if answered is None:
                answered = time.time()
            data += chunk
    except socket.timeout:
        raise Failure("no whole answer within 10 s")
    finally:
        s.close()
    seconds = (answered or time.time()) - start
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.split(b"\r\n")
    m = re.match(rb"HTTP/1\.[01] (\d{3})", lines[0] if lines else b"")
    if not m:
        raise Failure("no status line: %r" % data[:80])
    headers = {}
    for line in lines[1:]:
        k, _, v = line.partition(b":")
        headers[k.strip().lower().decode(errors="replace")] = v.strip().decode(errors="replace")
    return int(m.group(1)), headers, body, seconds


# A declared body longer than the bytes sent is filled up to this, so that nginx does not wait
# for the rest; a longer one nginx refuses before reading it.
PAD_LIMIT = 1024 * 1024


def request(method, path, headers, body=b""):
    for name, value in headers:
        if name == "Content-Length" and value.isdigit() and len(body) < int(value) <= PAD_LIMIT:
            body += bytes(int(value) - len(body))
    lines = ["%s %s HTTP/1.1" % (method, path), "Host: 127.0.0.1", "Connection: close"]
    lines += ["%s: %s" % kv for kv in headers]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1", "replace") + body


class Fuzzer:
    def __init__(self, rng, port, video):
        self.rng = rng
        self.port = port
        self.video = video
        self.uploads = []  # Location paths the service gave
        self.pages = []    # share page paths
        self.deletes = []  # deletion paths

    def pick(self, seq):
        return seq[self.rng.randrange(len(seq))]

    def number(self):
        return self.pick(["0", "1", "-1", "17", str(len(self.video)), str(MAX_UPLOAD),
                          str(MAX_UPLOAD + 1), "1099511627776", "99999999999999999999999",
                          "1e3", " 12", "12 ", "0x10", "", "abc", "+5", "007",
                          str(self.rng.randrange(0, 2 * len(self.video)))])

    def mutate(self, data):
        data = bytearray(data)
        for _ in range(self.rng.randrange(0, 4)):
            kind = self.rng.randrange(4)
            if not data:
                break
            i = self.rng.randrange(len(data))
            if kind == 0:
                data[i] ^= 1 << self.rng.randrange(8)
            elif kind == 1:
                del data[i:i + self.rng.randrange(1, 64)]
            elif kind == 2:
                data[i:i] = bytes(self.rng.randrange(256) for _ in range(self.rng.randrange(1, 16)))
            else:
                data = data[:i]
        return bytes(data)

    def some_id(self):
        known = [p.rsplit("/", 1)[-1] for p in self.uploads + self.pages]
        return self.pick(known + ["0" * 32, "../../lib.php", "..%2f..%2flib.php", "%00",
                                  "a" * 300, "0123456789abcdef0123456789abcdef/../x",
                                  "%2e%2e", "../storage/.lock", "*", "x.mp4", ""])

    def tus_headers(self):
        h = []
        if self.rng.random() < 0.9:
            h.append(("Tus-Resumable", self.pick(["1.0.0", "1.0.0", "0.2.2", "", "1.0.0,1.0.0"])))
        if self.rng.random() < 0.1:
            h.append(("Origin", self.pick(["http://evil.example", "null"])))
        return h

    def metadata(self):
        pairs = []
        for key in self.rng.sample(["filename", "width", "height", "x", "", "file name"],
                                   self.rng.randrange(0, 4)):
            value = self.pick([HOSTILE, "video.mp4", "99999999", "-3", "1e9", "\u202e4pm.exe"])
            encoded = base64.b64encode(value.encode()).decode()
            if self.rng.random() < 0.2:
                encoded = self.pick(["!!!", "====", encoded[:-1]])
            pairs.append(("%s %s" % (key, encoded)).strip())
        return ",".join(pairs)

    def whole_upload(self):
        """A proper resumable upload of the seed video with hostile metadata, sent in one to
        three chunks, so that completion, the remux and the pages run too. Each request is made
        when the one before has been answered."""
        yield request("POST", "/files/", [("Tus-Resumable", "1.0.0"), ("Content-Length", "0"),
                                          ("Upload-Defer-Length", "1"),
                                          ("Upload-Metadata", self.metadata())])
        if not self.uploads:
            return
        path = self.uploads[-1]
        cuts = sorted(self.rng.sample(range(1, len(self.video)), self.rng.randrange(0, 3)))
        edges = [0] + cuts + [len(self.video)]
        for i in range(len(edges) - 1):
            h = [("Tus-Resumable", "1.0.0"), ("Content-Type", "application/offset+octet-stream"),
                 ("Upload-Offset", str(edges[i])),
                 ("Content-Length", str(edges[i + 1] - edges[i]))]
            if i == len(edges) - 2:
                h.append(("Upload-Length", str(len(self.video))))
            yield request("PATCH", path, h, self.video[edges[i]:edges[i + 1]])

    def requests(self):
        if self.rng.random() < 0.08:
            yield from self.whole_upload()
        else:
            yield self.one()

    def one(self):
        choice = self.rng.randrange(9)
        if choice == 0:
            return self.multipart()
        if choice in (1, 2):
            return self.create()
        if choice in (3, 4):
            return self.patch()
        if choice == 5:
            path = self.pick(self.uploads) if self.uploads and self.rng.random() < 0.7 else \
                "/files/" + self.some_id()
            return request(self.pick(["HEAD", "DELETE", "GET", "PUT", "OPTIONS"]), path,
                           self.tus_headers())
        if choice == 6:
            page = self.pick(self.pages) if self.pages and self.rng.random() < 0.7 else \
                "/v/" + self.some_id()
            path = self.pick([page, page.replace("/v/", "/e/"), page + "?embed=1",
                              "/oembed.php?format=json&url=http://127.0.0.1" + page,
                              "/oembed.php?url=" + self.some_id(),
                              page.replace("/v/", "/video.php/") + ".mp4",
                              "/poster.php/" + self.some_id()])
            h = []
            if "video.php" in path and self.rng.random() < 0.7:
                h.append(("Range", self.pick(["bytes=0-", "bytes=5-2", "bytes=-100",
                                              "bytes=0-0,5-9", "bytes=99999999-",
                                              "bytes=abc", "items=0-5"])))
            return request("GET", path, h)
        if choice == 7:
            path = self.pick(self.deletes) if self.deletes and self.rng.random() < 0.5 else \
                "/delete/%s/%s" % (self.some_id(), self.some_id())
            return request(self.pick(["GET", "POST", "DELETE"]), path,
                           [("Content-Length", "0")] if self.rng.random() < 0.8 else [])
        return request(self.pick(["OPTIONS", "GET", "POST"]), self.pick(
            ["/files/", "/files", "/upload.php", "/faq", "/../server/lib.php", "/lib.php",
             "/files/?id=../../x", "/v/", "/delete/"]), self.tus_headers())

    def multipart(self):
        boundary = self.pick(["Ax3WQkoke", "", "a" * 80, "x\r\ny", "--"])
        video = self.mutate(self.video) if self.rng.random() < 0.6 else self.video
        name = self.pick(["attachment", "file", ""])
        body = ("--%s\r\nContent-Disposition: form-data; name=\"%s\"; filename=\"%s\"\r\n"
                "Content-Type: video/mp4\r\n\r\n" % (boundary, name, HOSTILE)).encode() + \
            video + ("\r\n--%s--\r\n" % boundary).encode()
        body = self.mutate(body) if self.rng.random() < 0.3 else body
        length = str(len(body)) if self.rng.random() < 0.8 else self.number()
        return request("POST", "/upload.php?width=%s&height=%s" % (self.number(), self.number()),
                       [("Content-Type", "multipart/form-data; boundary=" + boundary),
                        ("Content-Length", length)], body)

    def create(self):
        h = self.tus_headers() + [("Content-Length", "0")]
        if self.rng.random() < 0.6:
            h.append(("Upload-Length", self.number()))
        if self.rng.random() < 0.5:
            h.append(("Upload-Defer-Length", self.pick(["1", "0", "2", "", "yes"])))
        if self.rng.random() < 0.7:
            h.append(("Upload-Metadata", self.metadata()))
        return request("POST", self.pick(["/files/", "/files/", "/files", "/files/x"]), h)

    def patch(self):
        path = self.pick(self.uploads) if self.uploads and self.rng.random() < 0.85 else \
            "/files/" + self.some_id()
        start = self.rng.randrange(0, len(self.video))
        chunk = self.video[start:start + self.rng.randrange(1, 64 * 1024)]
        if self.rng.random() < 0.2:
            chunk = self.mutate(chunk)
        h = self.tus_headers() + [
            ("Content-Type", self.pick(["application/offset+octet-stream"] * 4 +
                                       ["application/octet-stream", ""])),
            ("Upload-Offset", str(start) if self.rng.random() < 0.6 else self.number()),
            ("Content-Length", str(len(chunk)) if self.rng.random() < 0.9 else self.number())]
        if self.rng.random() < 0.3:
            h.append(("Upload-Length", self.number()))
        return request("PATCH", path, h, chunk)

    def learn(self, status, headers):
        loc = headers.get("location", "")
        m = re.match(r"^https?://[^/]+(/files/[0-9a-f]+)$", loc)
        if status == 201 and m:
            self.uploads.append(m.group(1))
        for key, store in (("clipnest-link", self.pages), ("clipnest-delete", self.deletes)):
            m = re.match(r"^https?://[^/]+(/\S+)$", headers.get(key, ""))
            if m:
                store.append(m.group(1))


def check_answer(status, headers, body, seconds):
    if status in (500, 502, 504):
        raise Failure("answered %d: %r" % (status, body[:200]))
    if seconds > ANSWER_LIMIT_S:
        raise Failure("took %.2f s to answer" % seconds)
    if "html" in headers.get("content-type", ""):
        lowered = body.lower()
        if b"<script" in lowered or b"<img src=x" in lowered:
            raise Failure("a page carries a script: %r" % body[:300])


def check_storage(storage, web_root_before):
    for base, dirs, files in os.walk(storage):
        for name in dirs + files:
            rel = os.path.relpath(os.path.join(base, name), storage)
            if not STORAGE_NAMES.match(rel):
                raise Failure("the storage folder holds %r" % rel)
    after = sorted(os.listdir(os.path.join(ROOT, "server/public")))
    if after != web_root_before:
        raise Failure("the web root changed: %r" % after)


def check_php_log(work):
    for base, _, files in os.walk(os.path.join(work, "run")):
        for name in files:
            if not name.endswith(".log"):
                continue
            with open(os.path.join(base, name), errors="replace") as log:
                for line in log:
                    if re.search(r"PHP (Fatal|Warning|Notice|Deprecated|Parse)", line):
                        raise Failure("%s: %s" % (name, line.strip()))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--requests", type=int, default=300)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    print("seed %d, %d requests" % (seed, args.requests), flush=True)
    rng = random.Random(seed)
    with open(SEED_VIDEO, "rb") as f:
        video = f.read()
    work = tempfile.mkdtemp(prefix="clipnest-fuzz-service-")
    web_root = sorted(os.listdir(os.path.join(ROOT, "server/public")))
    proc, port, storage = start_service(work)
    n = 0
    statuses = {}
    try:
        fuzzer = Fuzzer(rng, port, video)
        while n < args.requests:
            for raw in fuzzer.requests():
                n += 1
                status, headers, body, seconds = exchange(port, raw)
                statuses[status] = statuses.get(status, 0) + 1
                check_answer(status, headers, body, seconds)
                fuzzer.learn(status, headers)
        # What the last requests set off (a completed upload's remux) has ended by now.
        time.sleep(2)
        check_storage(storage, web_root)
        check_php_log(work)
    except Failure as failure:
        print("FAIL at request %d (replay: --seed %d --requests %d): %s"
              % (n, seed, n, failure), flush=True)
        return 1
    finally:
        stop_service(proc)
        shutil.rmtree(work, ignore_errors=True)
    print("ok: %s" % ", ".join("%d x%d" % kv for kv in sorted(statuses.items())))
    return 0


if __name__ == "__main__":
    sys.exit(main())
