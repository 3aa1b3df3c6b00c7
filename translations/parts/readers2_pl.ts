<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ZelBCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>ZelACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>QuilACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>WexACsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>WexBCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>WexCCsvParser</name>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>BrenaTableModel</name>
    <message>
        <source>File too large to load! (%1 records need %2 MB of memory)</source>
        <translation>Plik jest zbyt duży, aby go wczytać! (%1 rekordów wymaga %2 MB pamięci)</translation>
    </message>
</context>
<context>
    <name>ZelCAuditParser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <source>Line skipped, wrong number of fields</source>
        <translation>Pominięto linię o nieprawidłowej liczbie pól</translation>
    </message>
    <message>
        <source>Line skipped, invalid date or time</source>
        <translation>Pominięto linię o nieprawidłowej dacie lub godzinie</translation>
    </message>
    <message>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>ZelCAlarmParser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <source>Line skipped, wrong number of fields</source>
        <translation>Pominięto linię o nieprawidłowej liczbie pól</translation>
    </message>
    <message>
        <source>Line skipped, invalid date or time</source>
        <translation>Pominięto linię o nieprawidłowej dacie lub godzinie</translation>
    </message>
    <message>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>ZelCDipSwellParser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <source>Line skipped, wrong number of fields</source>
        <translation>Pominięto linię o nieprawidłowej liczbie pól</translation>
    </message>
    <message>
        <source>Line skipped, invalid date or time</source>
        <translation>Pominięto linię o nieprawidłowej dacie lub godzinie</translation>
    </message>
    <message>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>MoxBTotalizerParser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <source>Line skipped, wrong number of fields</source>
        <translation>Pominięto linię o nieprawidłowej liczbie pól</translation>
    </message>
    <message>
        <source>Line skipped, invalid date or time</source>
        <translation>Pominięto linię o nieprawidłowej dacie lub godzinie</translation>
    </message>
    <message>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>moxbauditparser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <source>Skipping line (not exactly 3 parts): </source>
        <translation>Pominięto linię (liczba części różna od 3): </translation>
    </message>
    <message>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
    <message>
        <source>%1 (%2 more lines like this not listed)</source>
        <translation>%1 (nie wymieniono kolejnych takich linii: %2)</translation>
    </message>
</context>
<context>
    <name>moxbdatabasecsvsetting</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Invalid section title in file</source>
        <translation>Nieprawidłowy tytuł sekcji w pliku</translation>
    </message>
    <message>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
</context>
<context>
    <name>moxbeventcsv</name>
    <message>
        <source>date</source>
        <translation>data</translation>
    </message>
    <message>
        <source>time</source>
        <translation>czas</translation>
    </message>
    <message>
        <source>event</source>
        <translation>zdarzenie</translation>
    </message>
</context>
</TS>
