'''KDE's screen saver service on a Plasma desktop's session bus: GetSessionIdleTime answers the
milliseconds since the last input (with "supported" false, a Plasma Wayland session's error);
org.tickvale.MockInput.Input() makes input.
'''

import time

import dbus

BUS_NAME = MAIN_IFACE = 'org.freedesktop.ScreenSaver'
MAIN_OBJ = '/org/freedesktop/ScreenSaver'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.last_input = time.monotonic()
    mock.idle_time_supported = parameters.get('supported', True)


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='u')
def GetSessionIdleTime(self):
    if not self.idle_time_supported:
        raise dbus.exceptions.DBusException('GetSessionIdleTime is not supported on this platform',
                                            name='org.freedesktop.DBus.Error.NotSupported')
    return dbus.UInt32(int((time.monotonic() - self.last_input) * 1000))


@dbus.service.method('org.tickvale.MockInput', in_signature='', out_signature='')
def Input(self):
    self.last_input = time.monotonic()
