#!/usr/bin/env python3
"""Whether the game in a tmux pane has taken every key sent to it.

A key sent with tmux reaches the game some time later, and Esc followed too
soon by a letter is Alt and that letter, so a test waits for the game to have
read what was sent, left nothing unread, and gone back to waiting for the
next key (blocked in a read of its terminal), not for a fixed time.

    taken.py count SOCKET         the bytes the game has read so far
    taken.py wait SOCKET BEFORE   until it has read more than BEFORE bytes and
                                  waits for the next key (or has ended)
"""

import fcntl
import os
import struct
import subprocess
import sys
import termios
import time


def tmux(socket, *args):
    return subprocess.run(['tmux', '-u', '-L', socket, '-f', '/dev/null'] + list(args),
                          capture_output=True, text=True).stdout


def children(pid):
    try:
        with open('/proc/%d/task/%d/children' % (pid, pid)) as f:
            return [int(p) for p in f.read().split()]
    except OSError:
        return []


def comm(pid):
    try:
        with open('/proc/%d/comm' % pid) as f:
            return f.read().strip()
    except OSError:
        return ''


def game_pid(socket):
    """The game's process in the pane, or None."""
    pane = tmux(socket, 'display-message', '-p', '#{pane_pid}').strip()
    if not pane.isdigit():
        return None
    todo = [int(pane)]
    while todo:
        pid = todo.pop(0)
        if comm(pid) == 'tarnvale':
            return pid
        todo += children(pid)
    return None


def read_so_far(pid):
    try:
        with open('/proc/%d/io' % pid) as f:
            for line in f:
                if line.startswith('rchar:'):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def waiting_for_a_key(pid):
    """Blocked in a read of standard input with nothing left unread there."""
    try:
        with open('/proc/%d/syscall' % pid) as f:
            call = f.read().split()
        tty = os.readlink('/proc/%d/fd/0' % pid)
    except OSError:
        return False
    if len(call) < 2 or call[0] != '0' or int(call[1], 16) != 0:
        return False
    fd = os.open(tty, os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY)
    try:
        unread = struct.unpack('i', fcntl.ioctl(fd, termios.FIONREAD, b'\0\0\0\0'))[0]
    finally:
        os.close(fd)
    return unread == 0


def wait(socket, before, timeout=60):
    """Until the game has read more than `before` bytes and waits for the next key."""
    pid = game_pid(socket)
    deadline = time.monotonic() + timeout
    while pid is not None and time.monotonic() < deadline:
        now = read_so_far(pid)
        if now is None:
            return   # the game has ended
        if now > before and waiting_for_a_key(pid):
            return
        time.sleep(0.005)
    if pid is not None:
        raise RuntimeError('the game did not take the keys sent to it')


def count(socket):
    pid = game_pid(socket)
    n = read_so_far(pid) if pid is not None else None
    return -1 if n is None else n


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'count':
        print(count(sys.argv[2]))
    elif len(sys.argv) == 4 and sys.argv[1] == 'wait':
        try:
            wait(sys.argv[2], int(sys.argv[3]))
        except RuntimeError as e:
            sys.exit(str(e))
    else:
        sys.exit(__doc__)
