<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>The settings file %1 could not be read; the data stay open.</source>
        <translation>Nie udało się odczytać pliku ustawień %1; dane pozostają otwarte.</translation>
    </message>
</context>
</TS>
