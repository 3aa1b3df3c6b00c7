<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>The file %1 is not an analyser archive.</source>
        <translation>Plik %1 nie jest archiwum analizatora.</translation>
    </message>
</context>
</TS>
