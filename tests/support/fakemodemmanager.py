'''A fake ModemManager for the tests: a python-dbusmock template.

It publishes what the modem call-UI service and the emergency-number stand-in use of
ModemManager's D-Bus API (org.freedesktop.ModemManager1, as its interface descriptions in
/usr/share/dbus-1/interfaces/org.freedesktop.ModemManager1.*.xml document it): the object
manager on /org/freedesktop/ModemManager1, modems with the Modem and Modem.Voice interfaces,
their SIM with EmergencyNumbers, and Call objects (Start, Accept, Hangup, StateChanged).

The test drives it through the interface com.velto.Test.FakeModemManager on the main object:
AddModem, RemoveModem, AddIncomingCall, AddIncomingCallAt, AddWaitingCall, AnnounceMissingCalls,
RingDuringNextListing, SetCallState, SetCallNumber, SetCallStateAndNumber, SetStartMode, Calls,
Tones (what SendDtmf got on a call).

Calls also take SendDtmf (only while active), and the modems' Voice interface HoldAndAccept and
HangupAndAccept (the active calls put on hold or ended, then a waiting call, else a held one,
made active).

    python3 -m dbusmock --session --template tests/support/fakemodemmanager.py

Parameters (-p '{"modems": 0}'): "modems", how many modems to start with (default 1).
'''

import dbus
import dbus.lowlevel

from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

CONTROL_IFACE = 'com.velto.Test.FakeModemManager'
MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
SIM_IFACE = 'org.freedesktop.ModemManager1.Sim'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'

#MMCallState, MMCallStateReason, MMCallDirection
STATE_UNKNOWN, STATE_DIALING, STATE_RINGING_OUT, STATE_RINGING_IN, STATE_ACTIVE = 0, 1, 2, 3, 4
STATE_HELD, STATE_WAITING, STATE_TERMINATED = 5, 6, 7
REASON_OUTGOING_STARTED, REASON_INCOMING_NEW, REASON_ACCEPTED, REASON_TERMINATED = 1, 2, 3, 4
DIRECTION_INCOMING, DIRECTION_OUTGOING = 1, 2
MODEM_STATE_REGISTERED = 8

#Counters for object paths, kept across modems as ModemManager does.
_counters = {'modem': 0, 'call': 0}
#What Start does : 'dial'(the call dials), 'refuse'(an error), 'silent'(nothing yet);
#'unplug-at-create' : CreateCall makes the call, then the modem is unplugged before the answer.
_start_mode = ['dial']
#Calls(modem, number) that ring while the next listing is on its way : GetManagedObjects takes
#its answer, then the calls ring(their signals go out), then the answer goes out, no longer
#holding what the signals told.
_ring_during_listing = []
#The tones each call object got through SendDtmf.
_tones = {}


def _error(name, text):
    return dbus.exceptions.DBusException(text, name='org.freedesktop.ModemManager1.Error.' + name)


def _modem_of(call_path):
    for path, obj in mockobject.objects.items():
        if VOICE_IFACE in obj.props and call_path in obj.props[VOICE_IFACE]['Calls']:
            return obj
    return None


def _set_calls(modem, calls):
    modem.UpdateProperties(VOICE_IFACE, {'Calls': dbus.Array(calls, signature='o')})


def _set_state(call, state, reason):
    old = int(call.props[CALL_IFACE]['State'])
    call.props[CALL_IFACE]['State'] = dbus.Int32(state)
    call.props[CALL_IFACE]['StateReason'] = dbus.Int32(reason)
    call.EmitSignal(CALL_IFACE, 'StateChanged', 'iiu', [old, state, reason])


def _add_call(modem, direction, number, state, reason, path=None):
    if path is None:
        path = f'/org/freedesktop/ModemManager1/Call/{_counters["call"]}'
        _counters['call'] += 1
    mockobject.objects[MAIN_OBJ].AddObject(path, CALL_IFACE, {
        'State': dbus.Int32(state),
        'StateReason': dbus.Int32(reason),
        'Direction': dbus.Int32(direction),
        'Number': dbus.String(number),
        'Multiparty': dbus.Boolean(False),
        'AudioPort': dbus.String(''),
        'AudioFormat': dbus.Dictionary({}, signature='sv'),
    }, [
        ('Start', '', '', _call_start),
        ('Accept', '', '', _call_accept),
        ('Hangup', '', '', _call_hangup),
        ('SendDtmf', 's', '', _call_send_dtmf),
    ])
    _set_calls(modem, list(modem.props[VOICE_IFACE]['Calls']) + [dbus.ObjectPath(path)])
    modem.EmitSignal(VOICE_IFACE, 'CallAdded', 'o', [dbus.ObjectPath(path)])
    return path


def _call_start(call):
    if int(call.props[CALL_IFACE]['State']) != STATE_UNKNOWN:
        raise _error('Core.WrongState', 'the call was started already')
    if _start_mode[0] == 'refuse':
        raise _error('Core.Failed', 'the modem refused the call')
    if _start_mode[0] == 'dial':
        _set_state(call, STATE_DIALING, REASON_OUTGOING_STARTED)


def _call_accept(call):
    if int(call.props[CALL_IFACE]['State']) != STATE_RINGING_IN:
        raise _error('Core.WrongState', 'the call is not ringing')
    _set_state(call, STATE_ACTIVE, REASON_ACCEPTED)


def _call_hangup(call):
    if int(call.props[CALL_IFACE]['State']) == STATE_TERMINATED:
        raise _error('Core.WrongState', 'the call has ended')
    _set_state(call, STATE_TERMINATED, REASON_TERMINATED)


def _call_send_dtmf(call, dtmf):
    if int(call.props[CALL_IFACE]['State']) != STATE_ACTIVE:
        raise _error('Core.WrongState', 'the call is not active')
    path = call.__dbus_object_path__
    _tones[path] = _tones.get(path, '') + str(dtmf)


def _calls_in(modem, states):
    return [mockobject.objects[str(c)] for c in modem.props[VOICE_IFACE]['Calls']
            if int(mockobject.objects[str(c)].props[CALL_IFACE]['State']) in states]


def _accept_next(modem):
#A waiting call first, else a held one.
    for states in ((STATE_WAITING, STATE_RINGING_IN), (STATE_HELD,)):
        calls = _calls_in(modem, states)
        if calls:
            _set_state(calls[0], STATE_ACTIVE, REASON_ACCEPTED)
            return


def _voice_hold_and_accept(modem):
    waiting = _calls_in(modem, (STATE_WAITING, STATE_RINGING_IN))
    for call in _calls_in(modem, (STATE_ACTIVE,)):
        _set_state(call, STATE_HELD, REASON_ACCEPTED)
    if waiting:
        _set_state(waiting[0], STATE_ACTIVE, REASON_ACCEPTED)
    else:
        _accept_next(modem)


def _voice_hangup_and_accept(modem):
    for call in _calls_in(modem, (STATE_ACTIVE,)):
        _set_state(call, STATE_TERMINATED, REASON_TERMINATED)
    _accept_next(modem)


def _voice_create_call(modem, properties):
    if 'number' not in properties or not str(properties['number']):
        raise _error('Core.InvalidArgs', 'a call needs a number')
    path = _add_call(modem, DIRECTION_OUTGOING, str(properties['number']), STATE_UNKNOWN, 0)
    if _start_mode[0] == 'unplug-at-create':
        RemoveModem(mockobject.objects[MAIN_OBJ], modem.__dbus_object_path__)
    return dbus.ObjectPath(path)


def _voice_list_calls(modem):
    return modem.props[VOICE_IFACE]['Calls']


def _voice_delete_call(modem, path):
    if path not in modem.props[VOICE_IFACE]['Calls']:
        raise _error('Core.NotFound', 'no such call')
    call = mockobject.objects[path]
    if int(call.props[CALL_IFACE]['State']) != STATE_TERMINATED:
        _set_state(call, STATE_TERMINATED, REASON_TERMINATED)
    _set_calls(modem, [c for c in modem.props[VOICE_IFACE]['Calls'] if c != path])
    mockobject.objects[MAIN_OBJ].RemoveObject(path)
    modem.EmitSignal(VOICE_IFACE, 'CallDeleted', 'o', [dbus.ObjectPath(path)])


def _get_managed_objects(self):
#Each interface's properties copied: a change replaces a value, so the copy keeps the old.
    listing = {dbus.ObjectPath(path): {iface: dict(props) for iface, props in obj.props.items()}
               for path, obj in mockobject.objects.items() if path.startswith(MAIN_OBJ + '/')}
    for modem, number in _ring_during_listing:
        _add_call(mockobject.objects[modem], DIRECTION_INCOMING, number, STATE_RINGING_IN,
                  REASON_INCOMING_NEW)
    _ring_during_listing.clear()
    return listing


def load(mock, parameters):
    mock.AddMethods(MAIN_IFACE, [('ScanDevices', '', '', ''), ('SetLogging', 's', '', '')])
    mock.AddMethod('org.freedesktop.DBus.ObjectManager', 'GetManagedObjects', '', 'a{oa{sa{sv}}}',
                   _get_managed_objects)
    for _ in range(int(parameters.get('modems', 1))):
        AddModem(mock, dbus.Array(['911', '112'], signature='s'))


@dbus.service.method(CONTROL_IFACE, in_signature='as', out_signature='s')
def AddModem(self, emergency_numbers):
    '''Adds a registered modem with voice calls and a SIM holding emergency_numbers.'''
    index = _counters['modem']
    _counters['modem'] += 1
    path = f'/org/freedesktop/ModemManager1/Modem/{index}'
    sim = f'/org/freedesktop/ModemManager1/SIM/{index}'
    self.AddObject(sim, SIM_IFACE, {
        'SimIdentifier': dbus.String(f'8935800000000000{index:03d}'),
        'EmergencyNumbers': dbus.Array(emergency_numbers, signature='s'),
    }, [])
    self.AddObject(path, MODEM_IFACE, {
        'Sim': dbus.ObjectPath(sim),
        'State': dbus.Int32(MODEM_STATE_REGISTERED),
        'OwnNumbers': dbus.Array([], signature='s'),
    }, [])
    modem = mockobject.objects[path]
    modem.AddProperties(VOICE_IFACE, {
        'Calls': dbus.Array([], signature='o'),
        'EmergencyOnly': dbus.Boolean(False),
    })
    modem.AddMethods(VOICE_IFACE, [
        ('CreateCall', 'a{sv}', 'o', _voice_create_call),
        ('ListCalls', '', 'ao', _voice_list_calls),
        ('DeleteCall', 'o', '', _voice_delete_call),
        ('HoldAndAccept', '', '', _voice_hold_and_accept),
        ('HangupAndAccept', '', '', _voice_hangup_and_accept),
    ])
    self.EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), modem.props])
    return path


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def RemoveModem(self, path):
    '''Unplugs a modem: its calls and SIM go with it, without a word on each.'''
    modem = mockobject.objects[path]
    for call in list(modem.props[VOICE_IFACE]['Calls']):
        self.RemoveObject(str(call))
    interfaces = list(modem.props.keys())
    sim = str(modem.props[MODEM_IFACE]['Sim'])
    self.RemoveObject(path)
    self.RemoveObject(sim)
    self.EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesRemoved', 'oas',
                    [dbus.ObjectPath(path), dbus.Array(interfaces, signature='s')])


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='s')
def AddIncomingCall(self, modem, number):
    '''A call rings on modem from number ('' for a withheld number).'''
    return _add_call(mockobject.objects[modem], DIRECTION_INCOMING, number, STATE_RINGING_IN,
                     REASON_INCOMING_NEW)


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='s')
def AddWaitingCall(self, modem, number):
    '''A second call comes in on modem from number while another runs: it waits.'''
    return _add_call(mockobject.objects[modem], DIRECTION_INCOMING, number, STATE_WAITING,
                     REASON_INCOMING_NEW)


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='s')
def Tones(self, call):
    '''The tones SendDtmf got on the call so far.'''
    return _tones.get(str(call), '')


@dbus.service.method(CONTROL_IFACE, in_signature='sos', out_signature='s')
def AddIncomingCallAt(self, modem, path, number):
    '''A call rings on modem from number, under the call object path given.'''
    return _add_call(mockobject.objects[modem], DIRECTION_INCOMING, number, STATE_RINGING_IN,
                     REASON_INCOMING_NEW, str(path))


@dbus.service.method(CONTROL_IFACE, in_signature='su', out_signature='')
def AnnounceMissingCalls(self, modem, count):
    '''Modem announces count calls (CallAdded) that it never makes: a flood of calls whose
    properties cannot be read. Sent as plain messages, for speed.'''
    for i in range(int(count)):
        message = dbus.lowlevel.SignalMessage(str(modem), VOICE_IFACE, 'CallAdded')
        message.append(dbus.ObjectPath(f'/org/freedesktop/ModemManager1/Call/missing{i}'),
                       signature='o')
        self.connection.send_message(message)


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
def RingDuringNextListing(self, modem, number):
    '''A call rings on modem from number while the next GetManagedObjects is answered.'''
    _ring_during_listing.append((str(modem), str(number)))


@dbus.service.method(CONTROL_IFACE, in_signature='siu', out_signature='')
def SetCallState(self, call, state, reason):
    '''The network moves a call on (e.g. the callee answers: 4 active, 3 accepted).'''
    _set_state(mockobject.objects[call], state, reason)


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
def SetCallNumber(self, call, number):
    '''The network gives the caller's number late.'''
    mockobject.objects[call].UpdateProperties(CALL_IFACE, {'Number': dbus.String(number)})


@dbus.service.method(CONTROL_IFACE, in_signature='sius', out_signature='')
def SetCallStateAndNumber(self, call, state, reason, number):
    '''The call's state changes, then its number, before any other request is served: a number
    that comes with the call's end, before anyone could delete the call.'''
    _set_state(mockobject.objects[call], state, reason)
    mockobject.objects[call].UpdateProperties(CALL_IFACE, {'Number': dbus.String(number)})


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def SetStartMode(self, mode):
    '''What Start does to an outgoing call: "dial", "refuse" or "silent"; or
    "unplug-at-create".'''
    if mode not in ('dial', 'refuse', 'silent', 'unplug-at-create'):
        raise _error('Core.InvalidArgs', 'no such mode')
    _start_mode[0] = str(mode)


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='as')
def Calls(self):
    '''Every call object with its state, as "path state".'''
    return [f'{p} {int(o.props[CALL_IFACE]["State"])}' for p, o in sorted(mockobject.objects.items())
            if CALL_IFACE in o.props]
