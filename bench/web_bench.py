"""The browser's build measured: the site's size, the dialog's first paint, a
keystroke with completion in the page, and Lighthouse's scores against a
server that compresses as a real host does.

    /usr/bin/python3 bench/web_bench.py [SITE_DIR]     (default build-web/site)

Lighthouse (pinned) is installed with npm into build-bench/lighthouse on the
first run; Debian's Chromium runs it.
"""
import functools
import gzip
import http.server
import json
import os
import socketserver
import statistics
import subprocess
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
import browser  # noqa: E402

SITE = sys.argv[1] if len(sys.argv) > 1 else 'build-web/site'
LOADS = 21
KEYSTROKES = 2000


LIGHTHOUSE = '12.2.3'
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')


def site_size():
    """Every file a visit can fetch (all but the face's licence)."""
    total = gzipped = 0
    for name in sorted(os.listdir(SITE)):
        if name.endswith('.txt'):
            continue
        with open(os.path.join(SITE, name), 'rb') as f:
            data = f.read()
        total += len(data)
        gzipped += len(gzip.compress(data, 9))
    return total, gzipped


def first_paints(site):
    """From navigation to the dialog's first contentful paint, in a fresh browser each time."""
    paints = []
    for i in range(LOADS):
        d = browser.chromium(1280, 800)
        try:
            d.get(site.url)
            fcp = d.execute_script('''return new Promise(done => {
                const look = () => { const p = performance.getEntriesByName('first-contentful-paint')[0];
                                     p ? done(p.startTime) : setTimeout(look, 20); };
                look(); });''')
            if i:   # the first load warms the disk cache
                paints.append(fcp)
        finally:
            d.quit()
    return paints


def keystrokes(site):
    """An easy game's command box: a character typed, the engine's completion, the page shown."""
    d = browser.chromium(1280, 800)
    try:
        d.get(site.url)
        return d.execute_script('''const n = arguments[0];
            return new Promise(done => {
              const f = document.getElementById('frmNew');
              const press = (name) => f.querySelector(`[data-name="${name}"]`).click();
              setTimeout(() => { press('lblEasy'); press('lblStart'); }, 600);
              const wait = () => {
                if (document.getElementById('frmTargame').hidden) return setTimeout(wait, 20);
                const box = document.querySelector('[data-name="txtCon"]');
                const times = [];
                const batches = [];
                let batchStart = performance.now();
                const esc = new KeyboardEvent('keydown', {key: 'Escape', bubbles: true, cancelable: true});
                for (let i = 0; i < n; ++i) {
                  const c = 'осмотреть урну'[i % 14];
                  if (i % 14 === 0) box.dispatchEvent(esc);
                  const at = box.selectionStart;
                  const t0 = performance.now();
                  box.setRangeText(c, at, box.selectionEnd, 'end');
                  box.dispatchEvent(new InputEvent('input', {inputType: 'insertText', data: c, bubbles: true}));
                  const t1 = performance.now();
                  times.push(t1 - t0);
                  if (i % 100 === 99) { batches.push((t1 - batchStart) / 100); batchStart = performance.now(); }
                }
                done({times, batches, last: box.value});
              };
              wait();
            });''', KEYSTROKES)
    finally:
        d.quit()


class _CompressingHandler(http.server.SimpleHTTPRequestHandler):
    """Answers as a static host would: gzip for whatever compresses, and the
    files cached for an hour (the service worker itself always asked anew)."""
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript', '.woff2': 'font/woff2'}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        if not os.path.isfile(path):
            self.send_error(404)
            return None
        with open(path, 'rb') as f:
            body = f.read()
        kind = self.guess_type(path)
        self.send_response(200)
        self.send_header('Content-Type', kind + ('; charset=utf-8' if kind.startswith('text/') else ''))
        if 'gzip' in self.headers.get('Accept-Encoding', '') and not path.endswith(('.woff2', '.png')):
            body = gzip.compress(body, 9)
            self.send_header('Content-Encoding', 'gzip')
        self.send_header('Cache-Control', 'no-cache' if path.endswith('sw.js') else 'max-age=3600')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        return _Body(body)

    def log_message(self, *args):
        pass


class _Body:
    def __init__(self, data):
        self.data = data

    def read(self, *args):
        data, self.data = self.data, b''
        return data

    def close(self):
        pass


def lighthouse():
    """Lighthouse's four scores on its mobile and desktop profiles, and the
    audits that failed."""
    folder = os.path.join(ROOT, 'build-bench', 'lighthouse')
    cli = os.path.join(folder, 'node_modules', '.bin', 'lighthouse')
    if not os.path.exists(cli):
        os.makedirs(folder, exist_ok=True)
        subprocess.run(['npm', 'install', '--silent', '--prefix', folder, '-E', f'lighthouse@{LIGHTHOUSE}'], check=True)
    server = socketserver.ThreadingTCPServer(('127.0.0.1', 0), functools.partial(_CompressingHandler, directory=SITE))
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f'http://127.0.0.1:{server.server_address[1]}/'
    results = {}
    try:
        for profile in ('mobile', 'desktop'):
            report = os.path.join(folder, f'report-{profile}.json')
            command = [cli, url, '--quiet', '--output=json', f'--output-path={report}',
                       '--only-categories=performance,accessibility,best-practices,seo',
                       '--chrome-flags=--headless=new --no-sandbox --disable-gpu']
            if profile == 'desktop':
                command.append('--preset=desktop')
            subprocess.run(command, check=True, env={**os.environ, 'CHROME_PATH': '/usr/bin/chromium'})
            with open(report, encoding='utf-8') as f:
                data = json.load(f)
            scores = {k: round(v['score'] * 100) for k, v in data['categories'].items()}
            failed = sorted(a['id'] for a in data['audits'].values()
                            if a.get('score') is not None and a['score'] < 0.9
                            and a.get('scoreDisplayMode') in ('binary', 'numeric', 'metricSavings'))
            metrics = {k: data['audits'][k]['displayValue'] for k in
                       ('first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time',
                        'cumulative-layout-shift', 'speed-index')}
            results[profile] = (scores, failed, metrics)
    finally:
        server.shutdown()
        server.server_close()
    return results


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]


def main():
    site = browser.Site(SITE)
    try:
        total, gzipped = site_size()
        print(f'the whole site: {total / 1024:.1f} KiB, gzipped {gzipped / 1024:.1f} KiB (goal 100 KB)')
        paints = first_paints(site)
        print(f'first paint of the dialog: median {statistics.median(paints):.0f} ms, '
              f'max {max(paints):.0f} ms over {len(paints)} loads (goal 300 ms)')
        result = keystrokes(site)
        if not result['last'].startswith('осмотреть ур'):
            raise SystemExit(f'the keystrokes did not reach the game: {result["last"]!r}')
        times, batches = result['times'], result['batches']
        # The page's clock ticks in steps of 100 µs: single keystrokes are
        # counted in those steps, batches of 100 give the mean more finely.
        print(f'keystroke with completion: 99th percentile {percentile(times, 99) * 1000:.0f} µs, '
              f'max {max(times) * 1000:.0f} µs over {len(times)} (goal 1 ms); '
              f'mean per batch of 100: median {statistics.median(batches) * 1000:.0f} µs')
    finally:
        site.stop()
    for profile, (scores, failed, metrics) in lighthouse().items():
        print(f'Lighthouse {LIGHTHOUSE}, {profile}: ' + ', '.join(f'{k} {v}' for k, v in scores.items()))
        print('  ' + ', '.join(f'{k} {v}' for k, v in metrics.items()))
        print('  audits below 90: ' + (', '.join(failed) or 'none'))


if __name__ == '__main__':
    main()
