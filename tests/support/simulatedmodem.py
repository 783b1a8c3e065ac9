#!/usr/bin/python3
'''A simulated AT modem for ModemManager's test mode, and the tool that drives it.

The modem is a voice-capable 3GPP modem, registered on its home network, whose SIM holds the
emergency numbers 911 and 112. It answers AT commands line by line on a Unix stream socket in
the abstract namespace (ModemManager's "abstract:NAME" port: the socket's name is the whole
string, prefix included), and a test or a person drives it through a control socket:

    simulatedmodem.py serve --port abstract:NAME --control PATH [--no-clcc]
    simulatedmodem.py send --control PATH COMMAND [ARGUMENTS...]

"serve" listens on both sockets, prints "ready" on its standard output once they listen
(ModemManager's Test.SetProfile wants the port listening already) and serves until it is
killed. ModemManager connects as often as it likes (probing, then the modem, again after a
restart); every connection is served alike and unsolicited results go to the newest.

What it knows is what ModemManager's generic plugin asks to bring up a modem with voice calls
(identity, SIM, registration, +CLIP=1, +CRC=1, +CCWA=1, ATH, +CLCC); anything else gets ERROR.
Calls: ATD<number>; dials, ATA answers, ATH and AT+CHUP end every call, AT+CHLD=1<index> ends
one, AT+VTS=<digit> sends a DTMF tone (nothing happens but the log). Without +CLCC (--no-clcc,
or "clcc off" before the modem is plugged in) ModemManager never reads the call list: an
outgoing call counts as active once ATD answers OK, an incoming one ends when RING stops.

Control commands, one line each, answered by one line "ok [...]" or "error <why>":
    ring [NUMBER]        an incoming call: RING, then +CLIP with the number (none: withheld)
    ring-crc [NUMBER]    the same announced as "+CRING: VOICE"
    caller-id NUMBER     the ringing call's number, shown only in the next +CLCC reads
    alert                the callee's phone rings (the outgoing call: alerting)
    answer               the callee answers (the outgoing call: active)
    busy                 the callee is busy: the outgoing call goes with BUSY
    hangup               the other side ends the newest call: NO CARRIER for a dialling,
                         alerting or active call; a ringing call just leaves the call list
    dial-reply ok|hold   ATD answers OK at once (the default), or holds its final result until
                         answer (OK), busy (BUSY), hangup (NO CARRIER) or dial-result
    dial-result TEXT     the held ATD's final result is TEXT (e.g. "NO ANSWER", "ERROR")
    register home|none   registered on the home network, or not registered at all
    clcc on|off          whether the modem has +CLCC (read when ModemManager probes it)
    reset                every call is gone, ATD answers OK, +CLCC on, registered: a fresh modem
    calls                the calls as "index,direction,state,number;..." (+CLCC's values)
    log                  every command received so far, as a JSON list of strings
    timeline             every command received and every RING sent so far, as a JSON list
                         of [seconds, text], seconds of CLOCK_MONOTONIC (for benchmarks)
'''

import argparse
import asyncio
import json
import socket
import sys
import time

# +CLCC <dir> and <stat> values.
MO, MT = 0, 1
ACTIVE, HELD, DIALING, ALERTING, INCOMING, WAITING = 0, 1, 2, 3, 4, 5
MAX_CALLS = 7

# Commands answered with one fixed line, then OK.
FIXED = {
    'ATI': 'Velto simulated modem',
    'AT+GMI': 'Velto',
    'AT+CGMI': 'Velto',
    'AT+GMM': 'SIM-1',
    'AT+CGMM': 'SIM-1',
    'AT+GMR': '1.0',
    'AT+CGMR': '1.0',
    'AT+GSN': '350000000000017',
    'AT+CGSN': '350000000000017',
    'AT+GCAP': '+GCAP: +CGSM,+DS,+ES',
    'AT+CPIN?': '+CPIN: READY',
    'AT+CFUN?': '+CFUN: 1',
    'AT+CIMI': '244910000000001',
    'AT+CSQ': '+CSQ: 20,99',
    'AT+COPS?': '+COPS: 0,2,"24491",2',
    'AT+CREG=?': '+CREG: (0-2)',
    'AT+CGREG=?': '+CGREG: (0-2)',
    # SIM files read with READ BINARY: the ICCID, and EF_ECC with 911 and 112.
    'AT+CRSM=176,12258,0,0,10': '+CRSM: 144,0,"98449000000000000710"',
    'AT+CRSM=176,28599,0,0,15': '+CRSM: 144,0,"19F1FF11F2FFFFFFFFFFFFFFFFFFFF"',
}
# Settings taken with a plain OK.
SETTINGS = {
    'AT', 'ATE0', 'ATE1', 'ATV1', 'ATQ0', 'ATX4', 'AT&C1', 'AT+CMEE=1', 'AT+CMEE=2', 'AT+CFUN=1',
    'AT+CREG=0', 'AT+CREG=1', 'AT+CREG=2', 'AT+CGREG=0', 'AT+CGREG=1', 'AT+CGREG=2', 'AT+COPS=0',
    'AT+COPS=3,0', 'AT+COPS=3,2', 'AT+CLIP=0', 'AT+CLIP=1', 'AT+CRC=0', 'AT+CRC=1', 'AT+CCWA=0',
    'AT+CCWA=1', 'AT+CGDCONT?',
}


def number_type(number):
    return 145 if number.startswith('+') else 129


class Call:
    def __init__(self, index, direction, state, number):
        self.index = index
        self.direction = direction
        self.state = state
        self.number = number

    def clcc(self):
        line = f'+CLCC: {self.index},{self.direction},{self.state},0,0'
        if self.number:
            line += f',"{self.number}",{number_type(self.number)}'
        return line


class Modem:
    def __init__(self, clcc):
        self.log = []
        self.timeline = []
        self.writers = []
        self.reset(clcc)

    def reset(self, clcc=True):
        self.calls = []
        self.has_clcc = clcc
        self.registration = 1  # +CREG <stat>: 1 home, 0 not registered
        self.dial_reply = 'ok'
        self.held_dial = None  # (call, writer) of an ATD whose final result waits

    # AT side ------------------------------------------------------------------------------

    def send(self, writer, results):
        writer.write(b''.join(f'\r\n{r}\r\n'.encode() for r in results))

    def unsolicited(self, text):
        if self.writers:
            self.send(self.writers[-1], [text])

    def end(self, call):
        self.calls.remove(call)

    def dial(self, number, writer):
        if not number or len(self.calls) >= MAX_CALLS or self.registration != 1:
            return ['NO CARRIER']
        used = {c.index for c in self.calls}
        call = Call(min(i for i in range(1, MAX_CALLS + 1) if i not in used), MO, DIALING, number)
        self.calls.append(call)
        if self.dial_reply == 'hold':
            self.held_dial = (call, writer)
            return []
        return ['OK']

    def answer(self, command, writer):
        '''The lines a command is answered with, its final result last.'''
        upper = command.upper()
        if upper in FIXED:
            return [FIXED[upper], 'OK']
        if upper in SETTINGS:
            return ['OK']
        if upper in ('AT+CREG?', 'AT+CGREG?'):
            return [f'{upper[2:-1]}: 2,{self.registration},"00A1","0000A1B2",2', 'OK']
        if upper == 'AT+CLCC=?':
            return ['OK' if self.has_clcc else 'ERROR']
        if upper == 'AT+CLCC':
            return [c.clcc() for c in self.calls] + ['OK'] if self.has_clcc else ['ERROR']
        if upper.startswith('ATD') and upper.endswith(';'):
            return self.dial(command[3:-1], writer)
        if upper == 'ATA':
            ringing = [c for c in self.calls if c.state in (INCOMING, WAITING)]
            if not ringing:
                return ['NO CARRIER']
            ringing[0].state = ACTIVE
            return ['OK']
        if upper in ('ATH', 'AT+CHUP'):
            self.calls.clear()
            return ['OK']
        if upper.startswith('AT+CHLD=1') and len(upper) > len('AT+CHLD=1'):
            calls = [c for c in self.calls if str(c.index) == upper[len('AT+CHLD=1'):]]
            if not calls:
                return ['ERROR']
            self.end(calls[0])
            return ['OK']
        if upper.startswith('AT+VTS=') and len(upper) > len('AT+VTS='):
            return ['OK']
        return ['ERROR']

    async def serve_port(self, reader, writer):
        self.writers.append(writer)
        buffer = b''
        try:
            while data := await reader.read(1024):
                buffer += data
                # A command ends with CR (ModemManager sends CR LF); empty lines are no command.
                lines = buffer.replace(b'\n', b'\r').split(b'\r')
                buffer = lines.pop()
                for line in lines:
                    command = line.decode(errors='replace').strip()
                    if command:
                        self.log.append(command)
                        self.timeline.append([time.monotonic(), command])
                        self.send(writer, self.answer(command, writer))
                await writer.drain()
        except ConnectionError:
            pass
        finally:
            self.writers.remove(writer)
            if self.held_dial and self.held_dial[1] is writer:
                self.held_dial = None
            writer.close()

    # Control side -------------------------------------------------------------------------

    def ring(self, number, announce='RING'):
        if any(c.state in (INCOMING, WAITING) for c in self.calls):
            return 'error a call is ringing already'
        if len(self.calls) >= MAX_CALLS:
            return 'error too many calls'
        used = {c.index for c in self.calls}
        index = min(i for i in range(1, MAX_CALLS + 1) if i not in used)
        self.calls.append(Call(index, MT, WAITING if self.calls else INCOMING, number))
        self.unsolicited(announce)
        self.timeline.append([time.monotonic(), announce])
        if number:
            self.unsolicited(f'+CLIP: "{number}",{number_type(number)},,,,0')
        return 'ok'

    def release_dial(self, call, result):
        '''Gives a held ATD for call its final result; whether there was one.'''
        if not self.held_dial or self.held_dial[0] is not call:
            return False
        self.send(self.held_dial[1], [result])
        self.held_dial = None
        return True

    def outgoing(self):
        '''The newest outgoing call not yet answered.'''
        calls = [c for c in self.calls if c.direction == MO and c.state in (DIALING, ALERTING)]
        return calls[-1] if calls else None

    def control(self, words):
        verb, args = (words[0], words[1:]) if words else ('', [])
        if verb in ('ring', 'ring-crc') and len(args) <= 1:
            return self.ring(args[0] if args else '',
                             announce='RING' if verb == 'ring' else '+CRING: VOICE')
        if verb == 'caller-id' and len(args) == 1:
            ringing = [c for c in self.calls if c.state in (INCOMING, WAITING)]
            if not ringing:
                return 'error no call is ringing'
            ringing[0].number = args[0]
            return 'ok'
        if verb in ('alert', 'answer', 'busy', 'dial-result') and (args or verb != 'dial-result'):
            call = self.outgoing()
            if not call:
                return 'error no outgoing call is being set up'
            if verb == 'alert':
                call.state = ALERTING
            elif verb == 'answer':
                call.state = ACTIVE
                self.release_dial(call, 'OK')
            elif verb == 'busy':
                self.end(call)
                if not self.release_dial(call, 'BUSY'):
                    self.unsolicited('BUSY')
            else:
                if not self.release_dial(call, ' '.join(args)):
                    return 'error no ATD is waiting for its result'
                self.end(call)
            return 'ok'
        if verb == 'hangup' and not args:
            if not self.calls:
                return 'error no call'
            call = self.calls[-1]
            self.end(call)
            if call.state not in (INCOMING, WAITING) and not self.release_dial(call, 'NO CARRIER'):
                self.unsolicited('NO CARRIER')
            return 'ok'
        if verb == 'dial-reply' and args in (['ok'], ['hold']):
            self.dial_reply = args[0]
            return 'ok'
        if verb == 'register' and args in (['home'], ['none']):
            self.registration = 1 if args[0] == 'home' else 0
            self.unsolicited(f'+CREG: {self.registration}')
            self.unsolicited(f'+CGREG: {self.registration}')
            return 'ok'
        if verb == 'clcc' and args in (['on'], ['off']):
            self.has_clcc = args[0] == 'on'
            return 'ok'
        if verb == 'reset' and not args:
            self.reset()
            return 'ok'
        if verb == 'calls' and not args:
            return 'ok ' + ';'.join(f'{c.index},{c.direction},{c.state},{c.number}'
                                    for c in self.calls)
        if verb == 'log' and not args:
            return 'ok ' + json.dumps(self.log)
        if verb == 'timeline' and not args:
            return 'ok ' + json.dumps(self.timeline)
        return 'error unknown command: ' + ' '.join(words)[:100]

    async def serve_control(self, reader, writer):
        try:
            while line := await reader.readline():
                writer.write(self.control(line.decode(errors='replace').split()).encode() + b'\n')
                await writer.drain()
        except ConnectionError:
            pass
        finally:
            writer.close()


async def serve(args):
    modem = Modem(clcc=not args.no_clcc)
    port = await asyncio.start_unix_server(modem.serve_port, path='\0' + args.port)
    control = await asyncio.start_unix_server(modem.serve_control, path=args.control)
    print('ready', flush=True)
    async with port, control:
        await asyncio.gather(port.serve_forever(), control.serve_forever())


def send(args):
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(10)
            s.connect(args.control)
            s.sendall((' '.join(args.words) + '\n').encode())
            answer = s.makefile().readline().strip() or 'error the modem did not answer'
    except OSError as e:
        answer = f'error the modem cannot be reached: {e.strerror or e}'
    print(answer)
    return 0 if answer.startswith('ok') else 1


def main():
    parser = argparse.ArgumentParser(description='A simulated AT modem for ModemManager.')
    sub = parser.add_subparsers(dest='mode', required=True)
    p = sub.add_parser('serve', help='serve the modem until killed')
    p.add_argument('--port', required=True, help='abstract:NAME, the port ModemManager opens')
    p.add_argument('--control', required=True, help='path of the control socket')
    p.add_argument('--no-clcc', action='store_true', help='a modem without +CLCC')
    p = sub.add_parser('send', help='send one control command to a serving modem')
    p.add_argument('--control', required=True, help='path of the control socket')
    p.add_argument('words', nargs='+', help='the command and its arguments')
    args = parser.parse_args()
    if args.mode == 'send':
        return send(args)
    if not args.port.startswith('abstract:'):
        parser.error('the port is abstract:NAME')
    try:
        asyncio.run(serve(args))
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == '__main__':
    sys.exit(main())
