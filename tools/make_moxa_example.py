#!/usr/bin/env python3
"""Writes the built-in example of the MoxA recorder: a synthetic CSV export in
the recorder's layout (the 22-title header, then one line a second of block 1
with four channels on registers 14500-14506 and two empty groups, CR LF line
ends), 12,577 lines from 2025-03-10 17:14:43, named after its start as the
recorder names its files (eight digits, ".CSV")."""
import datetime
import math
import os

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "_resources", "examples", "MoxA")
lines_count = 12577
start = datetime.datetime(2025, 3, 10, 17, 14, 43, tzinfo=datetime.timezone.utc)


def value(channel, n):
    if channel == 0:  # a slow temperature-like swing
        return 21.5 + 3.0 * math.sin(2 * math.pi * n / 3600.0)
    if channel == 1:  # an idle input
        return 0.0
    if channel == 2:  # a counter that grows by steps
        return float(n // 60)
    return 31.47412 + (n % 7) * 0.01


def main():
    os.makedirs(root, exist_ok=True)
    header = "date,time,record index,block" + "".join(
        ",register%d,name%d,value%d" % (k, k, k) for k in range(1, 7))
    out = [header + "\r\n"]
    first_index = int(start.timestamp())
    for n in range(lines_count):
        t = start + datetime.timedelta(seconds=n)
        fields = [t.strftime("%Y-%m-%d"), t.strftime("%H:%M:%S"), str(first_index + n), "1"]
        for k in range(4):
            fields += [str(14500 + 2 * k), "Ch%d" % (k + 1), "%.6E" % value(k, n)]
        out.append(",".join(fields) + ",,,,,,\r\n")
    name = start.strftime("%d%H%M%S") + ".CSV"
    with open(os.path.join(root, name), "wb") as f:
        f.write("".join(out).encode("ascii"))


if __name__ == "__main__":
    main()
