<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractChartModel</name>
    <message>
        <source>Loading data</source>
        <translation>Ładowanie danych</translation>
    </message>
    <message>
        <source>Loaded %1 records for %2 parameters in: %3 ms</source>
        <translation>Wczytano %1 rekordów dla %2 parametrów w: %3 ms</translation>
    </message>
</context>
</TS>
