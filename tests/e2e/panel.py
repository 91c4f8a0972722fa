"""A desktop panel on the game's private X display, made through Xlib, since this system's Xvfb
has no xrandr to shrink the screen itself."""

import ctypes


class Panel:
    """A dock along the screen's bottom edge that reserves height pixels there, as a desktop's panel
    does: the window manager takes them out of the screen's free area while it stands."""

    def __init__(self, display, height):
        self.xlib = xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XDisplayWidth.argtypes = xlib.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
        xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                         ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
        for name in ("XMapWindow", "XDestroyWindow"):
            getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.connection = xlib.XOpenDisplay(display.encode())
        width = xlib.XDisplayWidth(self.connection, 0)
        bottom = xlib.XDisplayHeight(self.connection, 0)
        self.window = xlib.XCreateSimpleWindow(self.connection, xlib.XDefaultRootWindow(self.connection), 0,
                                               bottom - height, width, height, 0, 0, 0)
        atom = lambda name: xlib.XInternAtom(self.connection, name, 0)  # noqa: E731
        xa_atom, xa_cardinal = 4, 6
        dock = (ctypes.c_ulong * 1)(atom(b"_NET_WM_WINDOW_TYPE_DOCK"))
        xlib.XChangeProperty(self.connection, self.window, atom(b"_NET_WM_WINDOW_TYPE"), xa_atom, 32, 0, dock, 1)
        # left, right, top, bottom, then the start and end of each along its edge
        strut = (ctypes.c_ulong * 12)(0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1)
        xlib.XChangeProperty(self.connection, self.window, atom(b"_NET_WM_STRUT_PARTIAL"), xa_cardinal, 32, 0,
                             strut, 12)
        xlib.XMapWindow(self.connection, self.window)
        xlib.XSync(self.connection, 0)

    def close(self):
        self.xlib.XDestroyWindow(self.connection, self.window)
        self.xlib.XCloseDisplay(self.connection)
