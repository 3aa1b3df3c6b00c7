<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractChartModel</name>
    <message>
        <source>Failed to execute query: %1</source>
        <translation>Nie udało się wykonać zapytania: %1</translation>
    </message>
</context>
<context>
    <name>AbstractReportModel</name>
    <message>
        <source>INC</source>
        <translation>PRZYR</translation>
    </message>
    <message>
        <source>Error: SQL Query Failed!</source>
        <translation>Błąd: zapytanie SQL nie powiodło się!</translation>
    </message>
</context>
</TS>
