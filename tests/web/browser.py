"""The built site served, and the browsers that open it for the page's tests
and benchmark: Chromium, and for the tests in every engine also Firefox ESR
(over WebDriver BiDi) and WebKitGTK, each behind one kind of tab."""
import base64
import functools
import http.server
import json
import os
import re
import shutil
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


class Site:
    """Serves a folder at http://127.0.0.1:PORT/ until stopped."""

    def __init__(self, folder, port=0, pages=None):
        handler = functools.partial(_QuietHandler, directory=folder, pages=pages or {})
        self.server = _Server(('127.0.0.1', port), handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self.url = f'http://127.0.0.1:{self.port}/'
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
        self.server.drop_connections()


class _Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True   # a test may stop the site and serve its port again

    def __init__(self, *args):
        self.connections = set()
        super().__init__(*args)

    def process_request(self, request, client_address):
        self.connections.add(request)
        super().process_request(request, client_address)

    def shutdown_request(self, request):
        self.connections.discard(request)
        super().shutdown_request(request)

    def handle_error(self, request, client_address):
        # A browser that leaves a page mid-answer (a test's reload, a stopped
        # site, the benchmark's audit) is no fault of the site's.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)

    def drop_connections(self):
        # A browser opens connections ahead of its requests: one accepted
        # before the stop would still be answered after it.
        for request in list(self.connections):
            try:
                request.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript'}

    def __init__(self, *args, pages, **kwargs):
        self.pages = pages   # path: HTML of the tests' own, beside the site's files
        super().__init__(*args, **kwargs)

    def do_GET(self):
        page = self.pages.get(self.path)
        if page is None:
            return super().do_GET()
        body = page.encode('utf-8')
        self.send_response(200)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


MOBILE_AGENT = 'Mozilla/5.0 (Linux; Android 13) Mobile'


def chromium(width=1280, height=800, mobile=False, headless=True, extra=()):
    """A fresh Chromium (headless unless told) with its own profile; quit()
    removes it. `extra` are further command-line options."""
    profile = tempfile.mkdtemp(prefix='tarnvale-chromium-')
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for arg in (('--headless=new',) if headless else ()) + (
                '--disable-gpu', '--no-first-run', '--disable-background-networking',
                '--disable-component-update', '--disable-sync', '--no-default-browser-check',
                f'--user-data-dir={profile}', f'--window-size={width},{height}', '--lang=ru') + tuple(extra):
        options.add_argument(arg)
    if os.geteuid() == 0:
        options.add_argument('--no-sandbox')
    if mobile:
        options.add_experimental_option('mobileEmulation', {
            'deviceMetrics': {'width': width, 'height': height, 'pixelRatio': 3.0, 'touch': True},
            'userAgent': MOBILE_AGENT})
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    if not mobile:
        # The window size includes the browser's frame: make the viewport exact.
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': False})
    quit_ = driver.quit

    def quit_and_clean():
        try:
            quit_()
        finally:
            shutil.rmtree(profile, ignore_errors=True)
    driver.quit = quit_and_clean
    return driver


def fresh_tab(driver):
    """A new tab in the driver's Chromium in place of the one it had: a
    program with no kept game and no screen pretended."""
    old = driver.current_window_handle
    driver.switch_to.new_window('tab')
    new = driver.current_window_handle
    driver.switch_to.window(old)
    driver.close()
    driver.switch_to.window(new)


def emulate(driver, width, height, mobile):
    """Chromium's tab as a screen of that size: a phone's (touch, three
    device pixels to each, a phone's browser) or a desktop's."""
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': width, 'height': height, 'deviceScaleFactor': 3 if mobile else 1,
                            'mobile': mobile})
    driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': mobile, 'maxTouchPoints': 5})
    if mobile:
        driver.execute_cdp_cmd('Emulation.setUserAgentOverride', {'userAgent': MOBILE_AGENT})


# --- One kind of tab in every engine -------------------------------------
# A tab opens the site, runs a script in it, types real keys into what has
# the keyboard, clicks at an element's middle, takes the size of a screen
# and says what went wrong on its console. Keys are selenium's Keys (the
# WebDriver key codes) or text.

class Tab:
    engine = ''
    touch = True   # whether a phone-sized screen has a coarse pointer


class SeleniumTab(Tab):
    """Chromium through chromedriver: one browser, a fresh tab per game."""
    engine = 'chromium'

    def __init__(self, driver):
        self.d = driver

    def fresh(self):
        fresh_tab(self.d)

    def open(self, url):
        self.d.get(url)

    def reload(self):
        self.d.refresh()

    def js(self, body, *args):
        return self.d.execute_script(body, *args)

    def keys(self, *keys):
        self.d.switch_to.active_element.send_keys(*keys)

    def click(self, selector):
        from selenium.webdriver.common.by import By
        self.d.find_element(By.CSS_SELECTOR, selector).click()

    def screen(self, width, height, mobile):
        emulate(self.d, width, height, mobile)

    def errors(self):
        return [e['message'] for e in self.d.get_log('browser') if e['level'] == 'SEVERE']

    def screenshot(self):
        return base64.b64decode(self.d.execute_cdp_cmd('Page.captureScreenshot', {'format': 'png'})['data'])

    def quit(self):
        self.d.quit()


class FramedTab(SeleniumTab):
    """WebKitGTK through WebKitGTK's WebDriver. Its window is never narrower
    than about 447 px, so the site opens in a frame of the screen's size on
    a page of the same origin. The frame's tab stays for the whole file:
    a fresh game gets the tab's storage emptied and the site's worker gone."""
    engine = 'webkit'
    touch = False   # WebKitGTK has no touch screen to pretend
    HOLDER = '/frame-of-the-screen.html'
    PAGE = ('<!DOCTYPE html><html lang="ru"><title>frame</title><body style="margin:0;background:#888">'
            '<iframe id="screen" style="border:0;display:block"></iframe>')

    def fresh(self):
        pass

    def wait_loaded(self, old=None):
        """Until a page has loaded that is not the one which began at `old`
        (its performance.timeOrigin), nor the empty one a frame begins with."""
        deadline = time.monotonic() + 20
        while True:
            origin, state, address = self.js('return [performance.timeOrigin, document.readyState, location.href];')
            if origin != old and state == 'complete' and address != 'about:blank':
                return
            if time.monotonic() > deadline:
                raise TimeoutError('the page did not load')
            time.sleep(0.05)

    def open(self, url):
        self.d.switch_to.default_content()
        origin = '/'.join(url.split('/')[:3])
        self.d.get(origin + self.HOLDER)
        self.d.execute_script('''sessionStorage.clear();
            const gone = navigator.serviceWorker ? navigator.serviceWorker.getRegistrations()
              .then((all) => Promise.all(all.map((r) => r.unregister()))) : null;
            return Promise.all([gone, self.caches && caches.keys().then((k) => Promise.all(k.map((n) => caches.delete(n))))]);''')
        self.d.execute_script('const f = document.getElementById("screen"); [f.width, f.height] = arguments[1]; f.src = arguments[0];',
                              url, self.size)
        self.d.switch_to.frame('screen')
        self.wait_loaded()

    def reload(self):
        before = self.js('location.reload(); return performance.timeOrigin;')
        self.wait_loaded(before)

    def keys(self, *keys):
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.d).send_keys(*keys).perform()

    size = (1280, 800)

    def screen(self, width, height, mobile):
        self.size = (width, height)
        if not self.d.current_url.endswith(self.HOLDER):
            return   # the frame opens at that size
        self.d.switch_to.default_content()
        self.d.execute_script('const f = document.getElementById("screen"); f.width = arguments[0]; f.height = arguments[1];',
                              width, height)
        self.d.switch_to.frame('screen')

    def errors(self):
        return []   # WebKitGTK's WebDriver has no console to read

    def screenshot(self):
        # The window's picture, once the frame has painted, cut to the frame
        # (WebKitGTK's picture of an element leaves parts of it unpainted).
        import io
        from PIL import Image
        self.js('return new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));')
        self.d.switch_to.default_content()
        try:
            width, height = self.d.execute_script('const f = document.getElementById("screen"); return [f.width, f.height];')
            window = Image.open(io.BytesIO(self.d.get_screenshot_as_png()))
            out = io.BytesIO()
            window.crop((0, 0, int(width), int(height))).save(out, 'PNG')
            return out.getvalue()
        finally:
            self.d.switch_to.frame('screen')


def webkit():
    """WebKitGTK's MiniBrowser on the display there is (its window is the
    desktop's size), behind a FramedTab."""
    from selenium.webdriver.webkitgtk.options import Options
    options = Options()
    options.binary_location = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'
    options.add_argument('--automation')
    driver = webdriver.WebKitGTK(executable_path='/usr/bin/WebKitWebDriver', options=options)
    driver.set_window_size(1400, 1000)
    return FramedTab(driver)


def chromium_tab():
    return SeleniumTab(chromium())


class BidiTab(Tab):
    """Firefox ESR over WebDriver BiDi: one browser, a fresh tab in a
    context of its own (its own storage and workers) per game. Its pointer
    is fine and coarse both, as on a laptop with a touch screen."""
    engine = 'firefox'

    def __init__(self):
        import websocket
        self.profile = tempfile.mkdtemp(prefix='tarnvale-firefox-')
        with open(os.path.join(self.profile, 'user.js'), 'w', encoding='utf-8') as f:
            f.write('user_pref("ui.allPointerCapabilities", 7);\n'      # coarse, fine, hover
                    'user_pref("ui.primaryPointerCapabilities", 6);\n'  # fine, hover
                    'user_pref("intl.accept_languages", "ru");\n'
                    'user_pref("browser.shell.checkDefaultBrowser", false);\n')
        self.process = subprocess.Popen(
            ['/usr/bin/firefox-esr', '--headless', '--no-remote', '--profile', self.profile,
             '--remote-debugging-port=0', 'about:blank'],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = None
        for line in self.process.stderr:
            found = re.search(r'WebDriver BiDi listening on (ws://\S+)', line)
            if found:
                address = found.group(1)
                break
        if not address:
            self.quit()
            raise RuntimeError('Firefox did not start its WebDriver BiDi')
        threading.Thread(target=self.process.stderr.read, daemon=True).start()   # keep its pipe empty
        self.ws = websocket.create_connection(address + '/session', suppress_origin=True, timeout=60)
        self.next_id = 0
        self.logged = []
        self.call('session.new', capabilities={'alwaysMatch': {'acceptInsecureCerts': True}})
        self.call('session.subscribe', events=['log.entryAdded'])
        self.context = self.call('browsingContext.getTree')['contexts'][0]['context']
        self.user_context = None

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get('method') == 'log.entryAdded':
                entry = message['params']
                if entry.get('level') == 'error':
                    self.logged.append(entry.get('text', ''))
            elif message.get('id') == self.next_id:
                if message.get('type') == 'error':
                    raise RuntimeError(f'{method}: {message.get("error")}: {message.get("message")}')
                return message['result']

    def fresh(self):
        old_tab, old_context = self.context, self.user_context
        self.user_context = self.call('browser.createUserContext')['userContext']
        self.context = self.call('browsingContext.create', type='tab',
                                 userContext=self.user_context)['context']
        self.call('browsingContext.close', context=old_tab)
        if old_context:
            self.call('browser.removeUserContext', userContext=old_context)
        self.logged.clear()

    def open(self, url):
        self.call('browsingContext.navigate', context=self.context, url=url, wait='complete')

    def reload(self):
        self.call('browsingContext.reload', context=self.context, wait='complete')

    def js(self, body, *args):
        result = self.call('script.callFunction', functionDeclaration=f'function() {{ {body}\n}}',
                           target={'context': self.context}, awaitPromise=True,
                           arguments=[_bidi_value(a) for a in args])
        if result['type'] == 'exception':
            raise RuntimeError(result['exceptionDetails']['text'])
        return _python_value(result['result'])

    def keys(self, *keys):
        actions = []
        for char in ''.join(keys):
            actions += [{'type': 'keyDown', 'value': char}, {'type': 'keyUp', 'value': char}]
        self.call('input.performActions', context=self.context,
                  actions=[{'type': 'key', 'id': 'keyboard', 'actions': actions}])

    def click(self, selector):
        r = self.js('const r = document.querySelector(arguments[0]).getBoundingClientRect();'
                    'return [r.left + r.width / 2, r.top + r.height / 2];', selector)
        self.call('input.performActions', context=self.context, actions=[{
            'type': 'pointer', 'id': 'mouse', 'parameters': {'pointerType': 'mouse'}, 'actions': [
                {'type': 'pointerMove', 'x': int(r[0]), 'y': int(r[1])},
                {'type': 'pointerDown', 'button': 0}, {'type': 'pointerUp', 'button': 0}]}])

    def screen(self, width, height, mobile):
        self.call('browsingContext.setViewport', context=self.context,
                  viewport={'width': width, 'height': height}, devicePixelRatio=2 if mobile else 1)

    def errors(self):
        return list(self.logged)

    def screenshot(self):
        return base64.b64decode(self.call('browsingContext.captureScreenshot', context=self.context)['data'])

    def quit(self):
        try:
            if getattr(self, 'ws', None):
                self.call('session.end')
                self.ws.close()
        except Exception:   # a browser already gone is quit
            pass
        finally:
            self.process.terminate()
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            shutil.rmtree(self.profile, ignore_errors=True)


def _bidi_value(value):
    if value is None:
        return {'type': 'null'}
    if isinstance(value, bool):
        return {'type': 'boolean', 'value': value}
    if isinstance(value, (int, float)):
        return {'type': 'number', 'value': value}
    if isinstance(value, str):
        return {'type': 'string', 'value': value}
    if isinstance(value, (list, tuple)):
        return {'type': 'array', 'value': [_bidi_value(v) for v in value]}
    raise TypeError(f'no script value for {value!r}')


def _python_value(remote):
    kind, value = remote['type'], remote.get('value')
    if kind in ('undefined', 'null'):
        return None
    if kind == 'number':
        return value if isinstance(value, (int, float)) else float(value)   # NaN and the infinities
    if kind in ('array', 'set'):
        return [_python_value(v) for v in value]
    if kind == 'object':
        return {k if isinstance(k, str) else _python_value(k): _python_value(v) for k, v in value}
    if kind in ('string', 'boolean'):
        return value
    return remote   # a node, a window, a function: what it is, as BiDi says


def tab(engine):
    """One browser of the engine named, behind a Tab."""
    return {'chromium': chromium_tab, 'firefox': BidiTab, 'webkit': webkit}[engine]()
