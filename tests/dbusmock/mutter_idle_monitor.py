'''GNOME Mutter's idle monitor on a GNOME desktop's session bus: GetIdletime answers the
milliseconds since the last input; org.tickvale.MockInput.Input() makes input.
'''

import time

import dbus

BUS_NAME = MAIN_IFACE = 'org.gnome.Mutter.IdleMonitor'
MAIN_OBJ = '/org/gnome/Mutter/IdleMonitor/Core'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.last_input = time.monotonic()


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='t')
def GetIdletime(self):
    return dbus.UInt64(int((time.monotonic() - self.last_input) * 1000))


@dbus.service.method('org.tickvale.MockInput', in_signature='', out_signature='')
def Input(self):
    self.last_input = time.monotonic()
