#!/usr/bin/env python3
"""Opens a share page in Debian's chromium, headless, and reports what a viewer would get.

Drives the browser through the DevTools protocol over --remote-debugging-pipe (JSON messages
separated by NUL bytes; the browser reads fd 3 and writes fd 4). Prints one JSON object:
the page's meta tags, the video's duration as the browser reports it, whether it played,
where it landed after a seek to the middle, or {"error": ...}.

    page_in_browser.py URL
    page_in_browser.py --confirm URL   (a deletion address: presses its button, reports the
                                        page that answers: {"title", "heading"})
"""
import json
import os
import subprocess
import sys
import tempfile
import threading

# The whole visit may take this long on a machine busy with builds; past it the browser is
# stopped and the visit reported as failed, rather than hanging the test.
VISIT_LIMIT_S = 120

# Runs in the page: plays the video muted, seeks to its middle and waits for each state by its
# event. Reads the preview tags on the way.
VISIT_SCRIPT = r"""
(async () => {
  const once = (target, name) => new Promise(resolve =>
      target.addEventListener(name, resolve, {once: true}));
  const metas = {};
  for (const m of document.querySelectorAll('meta[property], meta[name]'))
    metas[m.getAttribute('property') || m.getAttribute('name')] = m.getAttribute('content');
  const oembed = document.querySelector('link[rel="alternate"][type="application/json+oembed"]');
  const video = document.querySelector('video');
  const report = {metas, oembed: oembed ? oembed.href : null, title: document.title,
                  scripts: document.scripts.length, hasVideo: !!video};
  if (!video) return JSON.stringify(report);
  video.muted = true;
  if (video.readyState < 1) await once(video, 'loadedmetadata');
  report.duration = video.duration;
  report.videoWidth = video.videoWidth;
  report.videoHeight = video.videoHeight;
  const playing = once(video, 'playing');
  await video.play();
  await playing;
  report.played = true;
  const seeked = once(video, 'seeked');
  video.currentTime = video.duration / 2;
  await seeked;
  report.afterSeek = video.currentTime;
  if (video.paused) { const p = once(video, 'playing'); await video.play(); await p; }
  // Plays on from the middle: wait until the picture clock moves.
  const from = video.currentTime;
  while (video.currentTime <= from) await once(video, 'timeupdate');
  report.playsOnFrom = from;
  report.playedTo = video.currentTime;
  report.error = video.error ? video.error.message || String(video.error.code) : null;
  return JSON.stringify(report);
})()
"""


class Browser:
    def __init__(self, profile):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        args = ['chromium', '--headless=new', '--remote-debugging-pipe', '--mute-audio',
                '--autoplay-policy=no-user-gesture-required', '--no-first-run',
                '--disable-gpu', '--user-data-dir=' + profile, 'about:blank']
        if os.geteuid() == 0:
            # Chromium's sandbox refuses to run as root; only then.
            args.insert(1, '--no-sandbox')

        def plumb():
            # Through spare numbers first: a pipe may already sit on 3 or 4, and dup2 onto
            # itself would leave it close-on-exec.
            reading, writing = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(args, preexec_fn=plumb,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                        close_fds=False)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.next_id = 0
        self.buffer = b''
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params or {}}
        if session:
            message['sessionId'] = session
        os.write(self.to_browser, json.dumps(message).encode() + b'\0')
        return self.next_id

    def receive(self):
        while b'\0' not in self.buffer:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError('the browser closed its pipe: '
                                   + self.process.stderr.read().decode(errors='replace')[-2000:])
            self.buffer += chunk
        raw, self.buffer = self.buffer.split(b'\0', 1)
        return json.loads(raw)

    def call(self, method, params=None, session=None):
        wanted = self.send(method, params, session)
        while True:
            message = self.receive()
            if message.get('id') == wanted:
                if 'error' in message:
                    raise RuntimeError(f'{method}: {message["error"]}')
                return message['result']
            self.events.append(message)

    def wait_event(self, method, session):
        while True:
            for i, message in enumerate(self.events):
                if message.get('method') == method and message.get('sessionId') == session:
                    return self.events.pop(i)
            self.events.append(self.receive())

    def close(self):
        try:
            self.send('Browser.close')
            self.process.wait(timeout=20)
        except Exception:
            self.process.kill()
            self.process.wait()


CONFIRM_SCRIPT = "document.querySelector('form button').click(); 'pressed'"
RESULT_SCRIPT = ("JSON.stringify({title: document.title, "
                 "heading: (document.querySelector('h1') || {}).textContent || null})")


def visit(url, confirm=False):
    with tempfile.TemporaryDirectory(prefix='clipnest-browser-') as profile:
        browser = Browser(profile)
        timer = threading.Timer(VISIT_LIMIT_S, browser.process.kill)
        timer.start()
        try:
            target = browser.call('Target.createTarget', {'url': 'about:blank'})['targetId']
            session = browser.call('Target.attachToTarget',
                                   {'targetId': target, 'flatten': True})['sessionId']
            browser.call('Page.enable', session=session)
            # The page allows no script; the test's own reading of it must still run.
            browser.call('Page.setBypassCSP', {'enabled': True}, session=session)
            answer = browser.call('Page.navigate', {'url': url}, session=session)
            if answer.get('errorText'):
                return {'error': answer['errorText']}
            browser.wait_event('Page.loadEventFired', session)
            if confirm:
                browser.call('Runtime.evaluate', {'expression': CONFIRM_SCRIPT}, session=session)
                browser.wait_event('Page.loadEventFired', session)
            result = browser.call('Runtime.evaluate', {'expression': RESULT_SCRIPT if confirm
                                                       else VISIT_SCRIPT,
                                                       'awaitPromise': True,
                                                       'returnByValue': True}, session=session)
            if 'exceptionDetails' in result:
                return {'error': json.dumps(result['exceptionDetails'])[:2000]}
            return json.loads(result['result']['value'])
        finally:
            timer.cancel()
            browser.close()


def main():
    args = sys.argv[1:]
    confirm = args[:1] == ['--confirm']
    if confirm:
        args = args[1:]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        print(json.dumps(visit(args[0], confirm)))
    except Exception as e:  # reported to the test as its failure
        print(json.dumps({'error': str(e)}))
    return 0


if __name__ == '__main__':
    sys.exit(main())
