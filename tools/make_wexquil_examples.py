#!/usr/bin/env python3
"""Writes the built-in example archives of the WexB and WexC transducers and
the QuilA recorder: small, synthetic, in the instruments' layout (TAB
separators, CR LF line ends, decimal commas, padded names)."""
import math
import os
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "_resources", "examples")


def wex_value(v):
    if v == 0:
        return "0e+00"
    return ("%.6e" % v).replace(".", ",")


def wex_archive(path, names, start_day, rows, values_of):
    lines = ["date\ttime\t\t" + "\t".join("     %s  " % n for n in names) + "\t \r\n", "\r\n"]
    for r in range(rows):
        day = start_day + r // 24
        hour = r % 24
        vals = values_of(r)
        lines.append("%s-%02d\t%02d:00:00\t\t" % (path[1], day, hour) + "\t".join(wex_value(v) for v in vals) + "\r\n")
    with open(os.path.join(root, path[0]), "wb") as f:
        f.write("".join(lines).encode("utf-8"))


def wexb_values(r):
    a = 2 * math.pi * r / 24
    u = 230 + 3 * math.sin(a)
    i = 12 + 4 * math.cos(a)
    p = u * i * 0.92
    q = u * i * 0.39
    s = u * i
    vals = [u, i, p, q, s, 0.92, q / p, 50 + 0.02 * math.sin(3 * a), p * 1.01, s * 1.01, i * 1.01,
            0.93, 1.8 + 0.2 * math.sin(a), 6.5 + math.cos(a), 21.5 + 2 * math.sin(a), 0.0]
    if r == 7:
        vals[13] = -1e20  # no THD I for this hour
    return vals


def wexc_values(r):
    a = 2 * math.pi * r / 24
    u = 24.1 + 0.4 * math.sin(a)
    i = -1.149271e-03 if r % 5 == 0 else 3.2 + math.cos(a)
    vals = [u, i, u * i, 0.4 * math.sin(a), 0.1 * math.cos(a), 3600.0 * (r + 1), 1.02 + r / 100.0,
            3.884297e+04 + 12.5 * r, u * i * 0.98, u * 0.99, i * 0.99, 19.0 + math.sin(a), 0.0]
    if r == 11:
        vals[6] = 1e20
    return vals


def quil_archive(path, rows):
    names = [" T [^C]", " RH [%]", " DP [^C]", "AH[g/m3]"]
    lines = ["#dev:QuilA;filever:1.00;firm:0.82;name:5;serial:15090417\r\n",
             "idx\tdate\ttime\t\t" + "".join(n.ljust(16) + "\t" for n in names) + "\r\n",
             "\r\n"]
    for r in range(rows):
        a = 2 * math.pi * r / 48
        t = 22.43 + 1.5 * math.sin(a)
        rh = 45.1 + 6 * math.cos(a)
        dp = t - (100 - rh) / 5
        ah = 216.7 * (rh / 100 * 6.112 * math.exp(17.62 * t / (243.12 + t))) / (273.15 + t)
        vals = ["%.2f" % t, "%.1f" % rh, "%.2f" % dp, "%.2f" % ah]
        if r == 20:
            vals[1] = "*"
        cells = [("    " if len(v) >= 5 else "     ") + v.replace(".", ",") for v in vals]
        minute = r * 30
        lines.append("%d\t2015-09-%02d\t%02d:%02d:00\t\t" % (r + 1, 1 + minute // 1440, (minute // 60) % 24, minute % 60)
                     + "\t".join(cells) + "\r\n")
    with open(os.path.join(root, path), "wb") as f:
        f.write("".join(lines).encode("utf-8"))


names_b = ["U", "I", "P", "Q", "S", "PF", "tg", "F", "PDM", "SDM", "IDM", "cos", "THD U", "THD I", "Temper.", "2-ga war"]
names_c = ["U", "I", "P", "dU", "dI", "t  s", "t GG,MM", "C  Ah", "PAV", "UAV", "IAV", "Temper.", "2-ga war"]
wex_archive(("WexB/2018_02.d00", "2018-02"), names_b, 1, 48, wexb_values)
wex_archive(("WexC/2017_12.d00", "2017-12"), names_c, 4, 36, wexc_values)
quil_archive("QuilA/2015_09.d00", 96)
sys.exit(0)
