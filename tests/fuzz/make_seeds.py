#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (small, hand-made inputs that reach
each handler). Run from anywhere; it rewrites the files named seed-*. Inputs the
fuzzers found later live beside them under other names and are kept."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def text(s, width):
    b = s.encode('latin-1')[:width]
    return b + b'\0' * (width - len(b))


# --- Receive path: stage byte, server key, then records (control, u16 length, datagram) ---

def record(datagram, ticks=1, raw=False):
    if ticks >= 120:
        t = 119 + (ticks + 799) // 800
    else:
        t = ticks
    return bytes([(t << 1) | (1 if raw else 0)]) + u16(len(datagram)) + datagram


def reliable(n, payload):
    return b'\x00\x03' + u32(n) + payload


def chat(kind, sender, s):
    return bytes([0x07, kind, 0]) + u16(sender) + s.encode('latin-1') + b'\0'


def entering(pid, name, squad='', ship=8, freq=0):
    r = bytearray(64)
    r[0] = 0x03
    r[1] = ship
    r[3:23] = text(name, 20)
    r[23:43] = text(squad, 20)
    r[43:47] = u32(100)
    r[47:51] = u32(5)
    r[51:53] = u16(pid)
    r[53:55] = u16(freq)
    r[55:57] = u16(3)
    r[57:59] = u16(4)
    return bytes(r)


def cluster(*members):
    return b'\x00\x0e' + b''.join(bytes([len(m)]) + m for m in members)


def big_chunks(payload):
    return [b'\x00\x0a' + u32(len(payload)) + payload[i:i + 500] for i in range(0, len(payload), 500)]


def arena_settings(interval=25, reliable_chat=1):
    s = bytearray((i * 37 + 11) & 0xFF for i in range(1428))
    s[0] = 0x0F
    s[1256:1258] = u16(interval)
    s[1378] = reliable_chat
    return bytes(s)


def receive_path_seeds():
    key = u32(0x1234ABCD)
    seeds = {}
    # From the key request on: handshake, login, arena entry over the wire.
    login = [record(b'\x00\x02' + key, raw=True),
             record(reliable(0, b'\x0a\x00' + u32(134) + bytes(30))),
             record(reliable(1, b'\x01' + u16(9))),
             record(reliable(2, entering(9, 'Fuzz Pilot') + entering(4, 'Other One', 'Sq', 1, 2)))]
    login += [record(reliable(3 + i, piece)) for i, piece in enumerate(big_chunks(arena_settings()))]
    login.append(record(reliable(6, b'\x02'), ticks=120))
    seeds['seed-login'] = b'\x00' + b''.join(login)
    # In an arena: every chat kind, from known, ignored, own and unknown senders.
    chats = [chat(k, s, 'hello %d' % k) for k in range(11) for s in (300, 3, 7, 600)]
    chats += [chat(7, 0, ':Someone:psst'), chat(9, 0, '1;Channel:hi'), chat(9, 0, '2;Other:hey'), chat(2, 300, '')]
    mixed = b'\x08' + key + b''.join(record(reliable(i, c)) for i, c in enumerate(chats[:30]))
    seeds['seed-chat-muted'] = mixed
    seeds['seed-chat'] = b'\x12' + key + b''.join(record(reliable(i, c)) for i, c in enumerate(chats))
    # The roster: entering, leaving, death, frequency and ship changes.
    roster = [entering(42, 'New Guy', 'NG', 2, 5), b'\x04' + u16(300),
              b'\x06\x00' + u16(3) + u16(42) + u16(50) + bytes(2), b'\x0d' + u16(42) + u16(1),
              b'\x1d\x08' + u16(42) + u16(7), b'\x01' + u16(42), b'\x0d' + u16(7) + u16(9)]
    seeds['seed-roster'] = b'\x06' + key + b''.join(record(r) for r in roster)
    # Nesting: clusters, small chunks, big chunks, reliable packets out of order and twice.
    nested = [cluster(chat(2, 300, 'in a cluster'), b'\x00\x05' + u32(77), b'\x04' + u16(3)),
              b'\x00\x08' + chat(2, 300, 'small')[:4], b'\x00\x09' + chat(2, 300, 'small')[4:],
              reliable(2, chat(2, 300, 'second')), reliable(1, chat(2, 300, 'first')),
              reliable(0, cluster(reliable(5, b'\x02'), chat(0, 0, 'arena'))), reliable(1, b'\x2c')]
    nested += big_chunks(chat(2, 300, 'x' * 1200))
    seeds['seed-nested'] = b'\x02' + key + b''.join(record(n) for n in nested)
    # Core packets: synchronisation both ways, acknowledgements, the client check.
    core = [b'\x00\x05' + u32(1000), b'\x00\x06' + u32(99995) + u32(5), b'\x00\x04' + u32(0),
            b'\x00\x04' + u32(12345), b'\x2c', b'\x00\x02' + u32(0x55AA55AA), b'\x00\x0b', b'\x00']
    seeds['seed-core'] = b'\x01' + key + b''.join(record(c, ticks=15) for c in core)
    # Maps and files: information with a wrong checksum, the map, a pushed file, a request.
    tiles = b''.join(u32((x & 0xFFF) | ((x & 0xFFF) << 12) | (((x % 190) + 1) << 24)) for x in range(60))
    compressed = zlib.compress(tiles, 9)
    files = [b'\x29' + text('fuzz.lvl', 16) + u32(0x1111) + u32(len(compressed)),
             b'\x2a' + text('fuzz.lvl', 16) + compressed,
             b'\x29' + text('fuzz.lvl', 16) + u32(zlib.crc32(tiles)) + u32(len(compressed)),
             b'\x10' + text('news.txt', 16) + b'Welcome to the arena\r\n',
             b'\x10' + text('', 16) + b'default name',
             b'\x10' + text('../escape.txt', 16) + b'refused',
             b'\x19' + text('news.txt', 256) + text('sent.txt', 16),
             b'\x2f' + u16(0) + b'Public 0\0' + u16(0xFFFF) + b'Duel\0',
             b'\x2a' + text('bad.lvl', 16) + b'not zlib at all']
    seeds['seed-files'] = b'\x02' + key + b''.join(record(reliable(i, f), ticks=10) for i, f in enumerate(files))
    # Server disconnect, then the reconnect countdown; then silence until the watchdog.
    seeds['seed-disconnect'] = (b'\x02' + key + record(b'\x00\x07', ticks=3100) +
                                record(b'\x00\x02' + key, raw=True, ticks=1) + record(b'', ticks=3200))
    # Raw bytes that only decrypt to something.
    seeds['seed-raw'] = b'\x01' + key + record(bytes(range(40)), raw=True) + record(b'\x07' + bytes(519), raw=True)
    return seeds


# --- Map files: zlib streams and raw tile files ---

def map_file_seeds():
    tiles = b''.join(u32(x | (x << 12) | (((x % 190) + 1) << 24)) for x in range(0, 1024, 7))
    bitmap = b'BM' + u32(54) + bytes(48) + tiles
    return {
        'seed-tiles-zlib': zlib.compress(tiles, 9),
        'seed-bitmap-zlib': zlib.compress(bitmap, 6),
        'seed-tiles-raw': tiles,
        'seed-bitmap-raw': b'BM' + u32(0xFFFFFFF0) + tiles[:40],
        'seed-truncated': zlib.compress(tiles)[:30],
        'seed-name': b'arena.lvl\0' + zlib.compress(b'\x01\x02\x03\x04'),
    }


# --- Ignore.txt ---

def ignore_file_seeds():
    return {
        'seed-crlf': b'Muted Mike\r\nquiet quinn\r\n',
        'seed-lf-cr': b'one\ntwo\r\n\r\nthree\rfour\n\n',
        'seed-twins': b'Same\r\nSAME\r\nsame\r\n',
        'seed-binary': b'\x00name\xff\r\n\xe9l\xe8ve\r\nno end',
    }


# --- Local commands: one per line ---

def local_command_seeds():
    return {
        'seed-toggles': b'?nopubchat\n?NoTeamChat\n?noarenachat\n?nowarnings\n?nleave\n?nenter\n?ndeath\n?nopubchat\n',
        'seed-channels': b'?nochat\n?nochat 3\n?nochat 12\n?nochat x\n?nochat 3\n?nochat1\n',
        'seed-away': b'?away brb\n?away\n?away\n?away again\n',
        'seed-ignore': b'?ignore Talker\n?ignore\n?pignore Edge Case\n?pignore\n?ignore talker\n?pignore  \n',
        'seed-log': b'?log\n?logbuffer other.log\n?log\n?logbuffer\n?log sub/dir.txt\n',
        'seed-go': b'?go\n?go 3\n?go duel\n?go -1\n?go averyveryverylongarenaname\n?arena\n',
        'seed-help': b'?cmdhelp\n?help\n?nopubchatx\n?lag\n',
    }


# --- Input routing: names of recent private senders, then lines (selection byte first) ---

def input_routing_seeds():
    return {
        'seed-kinds': b'\x00' + b'\n'.join(b'\x00' + l for l in [
            b"'team", b'"freq', b'/private', b':name:remote', b':public', b';hello', b';2;hi',
            b'=5', b'=abc', b'?nopubchat', b'?lag', b'plain', b"'", b'x']) + b'\n',
        'seed-selected': b'\x00' + b'\x01"to the team of Mike\n\x02/psst talker\n\x04/nobody there\n\x03"edge\n',
        'seed-completion': b'\x02Alice\x00Bob\x00' + b'\x00::\n\x00::x\n\x00:Bob:hi\n\x00:\n',
    }


def write(target, seeds):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if name.startswith('seed-'):
            os.remove(os.path.join(folder, name))
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    write('receive_path', receive_path_seeds())
    write('map_file', map_file_seeds())
    write('ignore_file', ignore_file_seeds())
    write('local_command', local_command_seeds())
    write('input_routing', input_routing_seeds())
