<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MyAbstractSqlModel</name>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="99"/>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="100"/>
        <source>Device name</source>
        <translation>Nazwa urządzenia</translation>
    </message>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="101"/>
        <source>Name</source>
        <translation>Nazwa</translation>
    </message>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="102"/>
        <source>Value</source>
        <translation>Wartość</translation>
    </message>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="103"/>
        <source>Unit</source>
        <translation>Jednostka</translation>
    </message>
    <message>
        <location filename="../../tables/MyAbstractSqlModel.cpp" line="104"/>
        <source>Flag</source>
        <translation>Flaga</translation>
    </message>
</context>
<context>
    <name>MyAbstractTableModel</name>
    <message>
        <location filename="../../tables/MyAbstractTableModel.cpp" line="38"/>
        <source>Loading Data</source>
        <translation>Ładowanie danych</translation>
    </message>
</context>
<context>
    <name>TempDatabaseTableModel</name>
    <message>
        <location filename="../../tables/TempDatabaseTableModel.cpp" line="174"/>
        <source>Table data query time: </source>
        <translation>Czas zapytania o dane tabeli: </translation>
    </message>
</context>
</TS>
