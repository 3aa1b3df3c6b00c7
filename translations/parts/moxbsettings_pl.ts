<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MoxBLogTable</name>
    <message>
        <source>Table data query time: </source>
        <translation>Czas zapytania o dane tabeli: </translation>
    </message>
</context>
<context>
    <name>moxbsettingtable</name>
    <message>
        <source>Table data query time: </source>
        <translation>Czas zapytania o dane tabeli: </translation>
    </message>
</context>
<context>
    <name>SettingsMoxBPage</name>
    <message>
        <source>General settings</source>
        <translation>Ustawienia ogolne</translation>
    </message>
    <message>
        <source>Instrument information</source>
        <translation>Informacje systemowe</translation>
    </message>
    <message>
        <source>Archivisation information</source>
        <translation>Archiwizacja</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>Parametry</translation>
    </message>
    <message>
        <source>Analog inputs information</source>
        <translation>Wejscia analogowe</translation>
    </message>
    <message>
        <source>Binary inputs information</source>
        <translation>Wejscia binarne</translation>
    </message>
    <message>
        <source>Temperature information</source>
        <translation>Temperatura</translation>
    </message>
    <message>
        <source>Math functions</source>
        <translation>Funkcje matematyczne</translation>
    </message>
    <message>
        <source>Modbus master inputs</source>
        <translation>Wejscia modbus master</translation>
    </message>
    <message>
        <source>Totalizer information</source>
        <translation>Totalizer</translation>
    </message>
    <message>
        <source>Output information</source>
        <translation>Output information</translation>
    </message>
    <message>
        <source>Relays information</source>
        <translation>Relays information</translation>
    </message>
</context>
</TS>
