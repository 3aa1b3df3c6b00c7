<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>An error occurred during database import.</source>
        <translation>Wystąpił błąd podczas importu bazy danych.</translation>
    </message>
    <message>
        <source>An error occurred during transaction start.</source>
        <translation>Wystąpił błąd podczas rozpoczynania transakcji.</translation>
    </message>
    <message>
        <source>Imported into %1: %2 rows in the table, %3 of them written, %4 new parameters, in: %5 ms</source>
        <translation>Zaimportowano do %1: %2 wierszy w tabeli, zapisano z nich %3, nowych parametrów: %4, w: %5 ms</translation>
    </message>
</context>
</TS>
