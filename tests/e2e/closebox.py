"""The window's close box. Without a window manager nobody draws one, so this
sends what a window manager sends when it is clicked: WM_DELETE_WINDOW."""

import ctypes

_CLIENT_MESSAGE = 33


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def close(display_name, window_id):
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(_Event)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = x.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open the display {display_name}")
    try:
        event = _Event()
        message = event.xclient
        message.type = _CLIENT_MESSAGE
        message.window = window_id
        message.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", False)
        message.format = 32
        message.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", False)
        message.data[1] = 0  # CurrentTime
        if not x.XSendEvent(display, window_id, False, 0, ctypes.byref(event)):
            raise RuntimeError("the close request could not be sent")
        x.XFlush(display)
    finally:
        x.XCloseDisplay(display)
