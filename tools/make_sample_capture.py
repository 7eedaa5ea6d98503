#!/usr/bin/env python3
"""Writes data.txt, a sample detector capture for the replay and the README.

Five frames with bytes between them as a real line carries them: the 16 trailer
digits after each frame, a burst of noise holding stray pieces of the marker,
a frame with 0xFF bytes (which the decoder reads as spaces), and a frame broken
by a burst of line noise, which the decoder cuts at 179 bytes like any other
and which then has too few fields to be a record.
"""
import sys


def field(text, width):
    data = text.encode("gbk")
    assert len(data) <= width
    return data + b" " * (width - len(data))


def frame(time, channel, rate, temp, second, control, result, sample,
          place="", unit="", inspector="", tested="", standard="50.0"):
    parts = [field(time, 12), field(channel, 2), field(rate, 4), field(temp, 4),
             field(second, 4), field(control, 5), field(result, 1), field(place, 20),
             b"000000000000", b"000000000000", field(unit, 20), field(inspector, 20),
             field(tested, 20), field(sample, 20), field(standard, 4)]
    data = b":NC" + b"+".join(parts) + b"\r\n"
    assert len(data) == 179, len(data)
    return data


TRAILER = b"3A5F0C1E9B7D2468"

first = frame("261205083015", "01", "12.4", "22.1", "38.2", "1.000", "1", "青菜",
              unit="城东农贸市场", inspector="张敏", tested="李记蔬菜")
sample = frame("190305151604", "04", "99.9", "21.6", "40.6", "1.000", "0", "毛豆")
with_ff = bytearray(frame("261205084502", "02", "08.7", "22.3", "41.0", "1.000", "1", "菠菜"))
with_ff[50] = 0xFF
with_ff[51] = 0xFF
broken = frame("261205090110", "03", "67.5", "22.4", "39.9", "1.000", "0", "韭菜")
last = frame("261205091544", "05", "21.0", "22.6", "40.2", "1.000", "1", "黄瓜",
             place="一号摊位")
noise = b"\x00\x13ERR:N\r\nNC:" + b"\x11\x7f:NNC"

out = (b"\r\n" + first + TRAILER + sample + TRAILER + noise + bytes(with_ff) + TRAILER
       + broken[:100] + b"\x00\x00#LINE-NOISE#" + broken[100:] + TRAILER + last + TRAILER)
with open(sys.argv[1] if len(sys.argv) > 1 else "data.txt", "wb") as f:
    f.write(out)
