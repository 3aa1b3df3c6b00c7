<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
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
