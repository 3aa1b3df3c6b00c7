<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>RecorderArchiveChartModel</name>
    <message>
        <source>Failed to execute query: %1</source>
        <translation>Nie udało się wykonać zapytania: %1</translation>
    </message>
</context>
</TS>
