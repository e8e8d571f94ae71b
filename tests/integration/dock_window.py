#!/usr/bin/python3
# Another program's dock window at the top edge of the screen, as a panel
# started after the bar would be: "dock_window.py HEIGHT" maps a window of type
# dock, HEIGHT pixels high and as wide as the screen, that reserves its height
# at the top edge (_NET_WM_STRUT_PARTIAL and _NET_WM_STRUT), and keeps it until
# the process is ended (the X server then destroys the window).
# Package: python3-xlib.
import sys

from Xlib import X, Xatom, display

d = display.Display()
screen = d.screen()
height = int(sys.argv[1]) if len(sys.argv) > 1 else 30
width = screen.width_in_pixels
win = screen.root.create_window(0, 0, width, height, 0, screen.root_depth, X.InputOutput, X.CopyFromParent,
                                background_pixel=screen.black_pixel)
win.set_wm_name("tkdock")
win.set_wm_class("tkdock", "tkdock")
atom = d.intern_atom
win.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32, [atom("_NET_WM_WINDOW_TYPE_DOCK")])
win.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32, [0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0])
win.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, height, 0])
win.map()
d.sync()
print("dock mapped", flush=True)
while True:
    d.next_event()
