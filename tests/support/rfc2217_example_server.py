#!/usr/bin/python3
# Runs the RFC 2217 example server that Debian's python3-serial ships among its documentation,
# as shipped, with two things of its surroundings changed for a test: it listens on 127.0.0.1
# only, and the modem lines, which a pseudo-terminal does not have, read as off and set as
# nothing. Arguments are the example's own: SERIALPORT -p TCPPORT.
import runpy
import socket
import sys

import serial
import serial.serialposix

EXAMPLE = '/usr/share/doc/python3-serial/examples/rfc2217_server.py'

_bind = socket.socket.bind


def bind_loopback(self, address):
    return _bind(self, ('127.0.0.1', address[1]))


socket.socket.bind = bind_loopback

off = property(lambda self: False)
for line in ('cts', 'dsr', 'ri', 'cd'):
    setattr(serial.serialposix.Serial, line, off)
serial.serialposix.Serial._update_dtr_state = lambda self: None
serial.serialposix.Serial._update_rts_state = lambda self: None

sys.argv = [EXAMPLE] + sys.argv[1:]
runpy.run_path(EXAMPLE, run_name='__main__')
