'''A stand-in for callaudiod in the tests: a python-dbusmock template.

callaudiod (Debian's callaudiod) answers SelectMode only once the audio routing is done, which
never happens without a sound card; the tests use this stand-in instead. It answers as the
interface file says (/usr/share/dbus-1/interfaces/org.mobian_project.CallAudio.xml):
SelectMode(u mode) -> b (mode 0 or 1, else org.freedesktop.DBus.Error.InvalidArgs),
EnableSpeaker(b) -> b, MuteMic(b) -> b, and the properties AudioMode, SpeakerState and MicState
(0 off, 1 on), changed with PropertiesChanged.

The test drives it through com.velto.Test.FakeCallAudio on the main object:
SetDelay(method, seconds) makes a method answer that much later (the whole stand-in waits, as a
daemon stuck on its sound server would), SetRefuse(method, refuse) makes it answer false and
change nothing. The calls it got are in dbusmock's log (org.freedesktop.DBus.Mock.GetMethodCalls).

    python3 -m dbusmock --session --template tests/support/fakecallaudio.py
'''

import time

import dbus

BUS_NAME = 'org.mobian_project.CallAudio'
MAIN_OBJ = '/org/mobian_project/CallAudio'
MAIN_IFACE = 'org.mobian_project.CallAudio'
SYSTEM_BUS = False

CONTROL_IFACE = 'com.velto.Test.FakeCallAudio'

_delays = {}
_refused = set()


def _answer(mock, method, properties):
    if method in _delays:
        time.sleep(_delays[method])
    if method in _refused:
        return False
    mock.UpdateProperties(MAIN_IFACE, properties)
    return True


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {
        'AudioMode': dbus.UInt32(0),
        'SpeakerState': dbus.UInt32(0),
        'MicState': dbus.UInt32(1),
    })
    mock.select_mode = select_mode
    mock.enable_speaker = enable_speaker
    mock.mute_mic = mute_mic
    mock.AddMethods(MAIN_IFACE, [
        ('SelectMode', 'u', 'b', 'ret = self.select_mode(self, args[0])'),
        ('EnableSpeaker', 'b', 'b', 'ret = self.enable_speaker(self, args[0])'),
        ('MuteMic', 'b', 'b', 'ret = self.mute_mic(self, args[0])'),
    ])
    mock.set_delay = set_delay
    mock.set_refuse = set_refuse
    mock.AddMethods(CONTROL_IFACE, [
        ('SetDelay', 'sd', '', 'self.set_delay(args[0], args[1])'),
        ('SetRefuse', 'sb', '', 'self.set_refuse(args[0], args[1])'),
    ])


def select_mode(mock, mode):
    if mode not in (0, 1):
        raise dbus.exceptions.DBusException('mode must be 0 or 1',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    return _answer(mock, 'SelectMode', {'AudioMode': dbus.UInt32(mode)})


def enable_speaker(mock, enable):
    return _answer(mock, 'EnableSpeaker', {'SpeakerState': dbus.UInt32(1 if enable else 0)})


def mute_mic(mock, mute):
    return _answer(mock, 'MuteMic', {'MicState': dbus.UInt32(0 if mute else 1)})


def set_delay(method, seconds):
    if seconds > 0:
        _delays[method] = seconds
    else:
        _delays.pop(method, None)


def set_refuse(method, refuse):
    if refuse:
        _refused.add(method)
    else:
        _refused.discard(method)
