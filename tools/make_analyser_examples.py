#!/usr/bin/env python3
"""Writes the built-in example archives of the ZelC and ZelD network
analysers and, beside them, a set of their event logs: small and synthetic.
An archive is the analysers' SQLite file: Devices, Parameters, Data (times in
milliseconds since 1970 UTC) and Events, with the DataConnected view that
gives each measurement its text time, parameter name and unit. The logs are
TAB-separated lines of date, time and event text with CR LF ends."""
import datetime
import math
import os
import sqlite3

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "_resources", "examples")

SCHEMA = [
    "CREATE TABLE Devices (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, name VARCHAR(50), "
    "type SMALLINT DEFAULT(0))",
    "CREATE TABLE Parameters (id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, idDevices INTEGER, "
    "name VARCHAR(80), unit VARCHAR(10), "
    "FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE)",
    "CREATE TABLE Data (id integer PRIMARY KEY, idParameters INTEGER, value DOUBLE, flag SMALLINT, "
    "dateTime INT8, observationId INT8, "
    "FOREIGN KEY(idParameters) REFERENCES Parameters(id) ON DELETE CASCADE ON UPDATE CASCADE)",
    "CREATE TABLE Events (id integer PRIMARY KEY, idDevices INTEGER, name VARCHAR(200), dateTime INT8, "
    "eventType CHAR, "
    "FOREIGN KEY(idDevices) REFERENCES Devices(id) ON DELETE CASCADE ON UPDATE CASCADE)",
    "CREATE INDEX idx_Data_idParameters_dateTime ON Data(idParameters, dateTime)",
    "CREATE VIEW DataConnected AS SELECT strftime('%Y-%m-%d %H:%M:%f', Data.dateTime / 1000.0, 'unixepoch') "
    "AS dateTime, Devices.name AS deviceName, Parameters.name AS name, Data.value AS value, "
    "Parameters.unit AS unit, Data.flag AS flag, Data.observationId AS observationId FROM Data "
    "LEFT JOIN Parameters ON Data.idParameters = Parameters.id "
    "LEFT JOIN Devices ON Parameters.idDevices = Devices.id",
]

PARAMETERS = [("U1", "V"), ("U2", "V"), ("U3", "V"), ("I1", "A"), ("I2", "A"), ("I3", "A"),
              ("P", "W"), ("Q", "var"), ("f", "Hz"), ("THD U1", "%")]

# Flags the analysers write: 128 while the averaging window is not full yet,
# 1 for an interval the instrument marks invalid.
NOT_READY = 128
INVALID = 1


def values(step, scale):
    a = 2 * math.pi * step / 144
    u = [230 + 2.5 * math.sin(a + k * 0.4) for k in range(3)]
    i = [scale * (10 + 4 * math.cos(a + k * 0.3)) for k in range(3)]
    p = sum(u[k] * i[k] for k in range(3)) * 0.93
    q = sum(u[k] * i[k] for k in range(3)) * 0.36
    f = 50 + 0.03 * math.sin(5 * a)
    thd = 2.1 + 0.6 * math.sin(2 * a)
    return [round(v, 3) for v in u + i + [p, q, f, thd]]


def archive(model, type_code, file_name, start, steps, scale):
    path = os.path.join(root, model, file_name)
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    for s in SCHEMA:
        db.execute(s)
    db.execute("INSERT INTO Devices (id, name, type) VALUES (1, ?, ?)", (model, type_code))
    for n, (name, unit) in enumerate(PARAMETERS, start=1):
        db.execute("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (?, 1, ?, ?)", (n, name, unit))
    epoch = datetime.datetime(1970, 1, 1, tzinfo=datetime.timezone.utc)
    rows = []
    for step in range(steps):
        t = start + datetime.timedelta(minutes=10 * step)
        ms = int((t - epoch).total_seconds() * 1000)
        for n, v in enumerate(values(step, scale), start=1):
            flag = 0
            if step == 0:
                flag = NOT_READY
            elif step in (40, 41) and n <= 3:
                flag = INVALID
            rows.append((n, v, flag, ms, step + 1))
    db.executemany("INSERT INTO Data (idParameters, value, flag, dateTime, observationId) VALUES (?, ?, ?, ?, ?)",
                   rows)
    db.commit()
    db.execute("VACUUM")
    db.close()


def log(model, file_name, lines):
    folder = os.path.join(root, model, "logs")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, file_name), "wb") as f:
        f.write("".join("%s\t%s\t%s\r\n" % l for l in lines).encode("utf-8"))


def logs(model, day):
    log(model, "%s_audit.csv" % model, [
        (day, "08:00:00", "Power on"),
        (day, "08:00:05", "Recording started"),
        (day, "09:12:40", "Configuration changed: averaging 10 min"),
        (day, "09:12:41", "Clock synchronised"),
        (day, "17:45:00", "Recording stopped"),
    ])
    log(model, "%s_alarm.csv" % model, [
        (day, "10:20:00", "U1 above 253 V"),
        (day, "10:30:00", "U1 back in range"),
        (day, "14:05:00", "THD U1 above 8 %"),
        (day, "14:15:00", "THD U1 back in range"),
    ])
    log(model, "dipswell_%s.csv" % model, [
        (day, "11:02:17.125", "Dip U2 187.4 V 0.120 s"),
        (day, "11:02:17.5", "Dip U3 192.0 V 0.080 s"),
        (day, "15:40:03.250", "Swell U1 258.9 V 0.040 s"),
    ])


def main():
    start = datetime.datetime(2023, 5, 8, 0, 0, tzinfo=datetime.timezone.utc)
    archive("ZelC", 3, "ZelC_2023_05.ZelCArch", start, 288, 1.0)
    archive("ZelD", 2, "ZelD_2023_05.ZelDArch", start, 288, 2.5)
    logs("ZelC", "2023-05-08")
    logs("ZelD", "2023-05-08")


if __name__ == "__main__":
    main()
