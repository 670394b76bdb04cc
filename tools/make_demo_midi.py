#!/usr/bin/env python3
"""Writes the demo song twinkle.mid (called by make_demo.sh): "Twinkle, twinkle, little star"
(traditional), the melody on the piano and a bass of fifths on strings, about 9.5 s.

Usage: make_demo_midi.py OUTPUT. Standard library only; every run gives the same bytes.
"""
import struct
import sys


def vlq(n):
    out = [n & 0x7F]
    while n > 0x7F:
        n >>= 7
        out.append(n & 0x7F | 0x80)
    return bytes(reversed(out))


def song():
    q, ev = 96, [(0, b"\xC0\x00"), (0, b"\xC1\x30")]  # piano, strings

    def note(ch, start, length, key, vel):
        ev.extend([(start, bytes([0x90 | ch, key, vel])), (start + length, bytes([0x80 | ch, key, 64]))])

    melody = [60, 60, 67, 67, 69, 69, 67, None, 65, 65, 64, 64, 62, 62, 60, None]
    for i, k in enumerate(melody):
        if k is not None:  # a note before a rest lasts two beats
            note(0, i * q, (2 * q if i + 1 < len(melody) and melody[i + 1] is None else q) - 8, k, 90)
    for bar, k in [(0, 48), (2, 48), (4, 53), (6, 48), (8, 53), (10, 48), (12, 43), (14, 48)]:
        note(1, bar * q, 2 * q - 8, k, 60)
        note(1, bar * q, 2 * q - 8, k + 7, 50)
    name = b"Twinkle (Vistrel demo)"
    track = (b"\0\xFF\x03" + vlq(len(name)) + name + b"\0\xFF\x51\x03" + (600000).to_bytes(3, "big")
             + b"\0\xFF\x58\x04\x04\x02\x18\x08")
    last = 0
    # At one tick: note-offs first, note-ons last, so a repeated key is released before it sounds again.
    for tick, e in sorted(ev, key=lambda t: (t[0], {0x80: 0, 0x90: 2}.get(t[1][0] & 0xF0, 1), t[1])):
        track, last = track + vlq(tick - last) + e, tick
    track += b"\0\xFF\x2F\0"
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, q) + b"MTrk" + struct.pack(">I", len(track)) + track


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    with open(sys.argv[1], "wb") as f:
        f.write(song())
