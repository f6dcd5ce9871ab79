"""Ties the test servers' processes to the process that started them: when it ends, however it
ends (a sanitizer's halt, a time-out, SIGKILL), the kernel kills them, so that no server of a test
is left listening on the machine.
"""
import ctypes
import os
import signal

PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def die_with_parent():
    """From now on this process is killed (SIGKILL) as soon as its parent ends."""
    if _libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_PDEATHSIG)")


def tied_child():
    """A preexec_fn for subprocess.Popen: the child dies with this process. It runs after Popen's
    user= and group= (a change of user clears the setting), and leaves at once when this process
    is gone already."""
    parent = os.getpid()

    def set_up():
        die_with_parent()
        if os.getppid() != parent:
            os._exit(1)
    return set_up
