<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ZelBCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>ZelACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>QuilACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>WexACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>WexBCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>WexCCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (kolejnych takich wierszy nie wymieniono: %2)</translation>
    </message>
</context>
<context>
    <name>BrenaTableModel</name>
    <message>
        <source>File too large to load! (%1 records need %2 MB of memory)</source>
        <translation>Plik jest zbyt duży, aby go wczytać! (%1 rekordów wymaga %2 MB pamięci)</translation>
    </message>
</context>
</TS>
