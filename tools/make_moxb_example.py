#!/usr/bin/env python3
"""Writes the built-in example of the MoxB recorder: a small, synthetic data
CSV in the recorder's layout (record, date, time, six columns per channel,
a trailing comma and CR LF on every line; odd records carry the analog
inputs, even ones the totalizers)."""
import datetime
import math
import os

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "_resources", "examples", "MoxB")
quantities = ["value", "valueRaw", "avg", "min", "max", "flag"]
analogs = ["AI%d: Analog input" % i for i in range(1, 7)]
totalizers = ["TOT%d: Totalizer" % i for i in range(3, 7)]
records = 720  # six minutes at two records a second


def main():
    os.makedirs(root, exist_ok=True)
    titles = ["record", "date", "time"] + ["%s - %s" % (c, q) for c in analogs + totalizers for q in quantities]
    lines = [",".join(titles) + ",\r\n"]
    start = datetime.datetime(2026, 1, 14, 3, 30, 36, 500000)
    totals = [0.0] * len(totalizers)
    for n in range(1, records + 1):
        t = start + datetime.timedelta(milliseconds=500 * (n - 1))
        fields = [str(n), t.strftime("%Y-%m-%d"), t.strftime("%H:%M:%S.") + "%03d" % (t.microsecond // 1000)]
        analog = n % 2 == 1
        for i in range(len(analogs)):
            if analog:
                base = 4.0 + 16.0 * (0.5 + 0.45 * math.sin(2 * math.pi * (n / 240.0 + i / 6.0)))
                value = base * (25.0 * (i + 1))
                fields += ["%.3f" % value, "%.3f" % base, "%.3f" % value, "%.3f" % (value * 0.98),
                           "%.3f" % (value * 1.02), "0"]
            else:
                fields += [""] * 6
        for i in range(len(totalizers)):
            if not analog:
                totals[i] += 0.5 * (i + 1) * (1.0 + 0.2 * math.sin(n / 50.0))
                fields += ["%.3f" % totals[i], "%.3f" % totals[i], "", "", "", "0"]
            else:
                fields += [""] * 6
        lines.append(",".join(fields) + ",\r\n")
    with open(os.path.join(root, "2026-01-14_03_30_53.MoxBArch.csv"), "wb") as f:
        f.write("".join(lines).encode("utf-8"))


if __name__ == "__main__":
    main()
