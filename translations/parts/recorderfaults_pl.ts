<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>The file was imported, but not whole: %1</source>
        <translation>Plik zaimportowano, ale nie w całości: %1</translation>
    </message>
    <message>
        <source>Values of the file not written, as the table already holds other values at their date and time: %1</source>
        <translation>Wartości z pliku niezapisane, bo tabela zawiera już inne wartości o tej samej dacie i godzinie: %1</translation>
    </message>
</context>
<context>
    <name>RecorderMerge</name>
    <message>
        <source>Comparing the new rows with the table: </source>
        <translation>Porównywanie nowych wierszy z tabelą: </translation>
    </message>
</context>
<context>
    <name>MoxAparser</name>
    <message>
        <source>The column %1 repeats the column %2 of the file: column names that differ only in letter case are one column.</source>
        <translation>Kolumna %1 powtarza kolumnę %2 z pliku: nazwy kolumn różniące się tylko wielkością liter oznaczają jedną kolumnę.</translation>
    </message>
    <message>
        <source>it holds a NUL byte</source>
        <translation>zawiera bajt NUL</translation>
    </message>
    <message>
        <source>it has fewer than 4 fields</source>
        <translation>ma mniej niż 4 pola</translation>
    </message>
    <message>
        <source>its date and time &quot;%1 %2&quot; cannot be read</source>
        <translation>nie można odczytać jego daty i godziny &quot;%1 %2&quot;</translation>
    </message>
    <message>
        <source>Line %1 was skipped: %2.</source>
        <translation>Pominięto wiersz %1: %2.</translation>
    </message>
    <message>
        <source>%1 more skipped lines are not listed.</source>
        <translation>Nie wymieniono kolejnych pominiętych wierszy: %1.</translation>
    </message>
    <message>
        <source>Lines of the file that cannot be read, skipped: %1</source>
        <translation>Wiersze pliku, których nie można odczytać, pominięte: %1</translation>
    </message>
</context>
</TS>
