"""Headless Chromium over the built site, for the page's tests and benchmark."""
import functools
import http.server
import os
import shutil
import socket
import socketserver
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


class Site:
    """Serves a folder at http://127.0.0.1:PORT/ until stopped."""

    def __init__(self, folder, port=0):
        handler = functools.partial(_QuietHandler, directory=folder)
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

    def log_message(self, *args):
        pass


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
            'userAgent': 'Mozilla/5.0 (Linux; Android 13) Mobile'})
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
