<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>Values of the file not written, as a later row of the file holds another value at the same date and time: %1</source>
        <translation>Wartości z pliku niezapisane, bo dalszy wiersz pliku zawiera inną wartość o tej samej dacie i godzinie: %1</translation>
    </message>
    <message>
        <source>Opening of the file %1 was cancelled.</source>
        <translation>Otwieranie pliku %1 zostało anulowane.</translation>
    </message>
</context>
<context>
    <name>QuilACsvParser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>ZelCAuditParser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>ZelCDipSwellParser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>ZelCAlarmParser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>MoxBTotalizerParser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>moxbauditparser</name>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
<context>
    <name>moxbcsvparser</name>
    <message>
        <source>Reading stopped at a NUL byte in line %1; the rest of the file was not read.</source>
        <translation>Odczyt zatrzymał się na bajcie NUL w wierszu %1; reszty pliku nie odczytano.</translation>
    </message>
</context>
</TS>
