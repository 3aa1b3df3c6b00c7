<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractReportModel</name>
    <message>
        <source>Creating report...</source>
        <translation>Tworzenie raportu...</translation>
    </message>
    <message>
        <source>Report created in: %1 ms. Number of selected parameters: %2.</source>
        <translation>Raport utworzono w: %1 ms. Liczba wybranych parametrów: %2.</translation>
    </message>
    <message>
        <source>Loading data...</source>
        <translation>Wczytywanie danych...</translation>
    </message>
    <message>
        <source>Error during loading records!</source>
        <translation>Błąd podczas wczytywania rekordów!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
    <message>
        <source> MIN</source>
        <translation> MIN</translation>
    </message>
    <message>
        <source> AVG</source>
        <translation> ŚR</translation>
    </message>
    <message>
        <source> MAX</source>
        <translation> MAX</translation>
    </message>
    <message>
        <source> INC</source>
        <translation> PRZYR</translation>
    </message>
    <message>
        <source>Start date</source>
        <translation>Data początkowa</translation>
    </message>
    <message>
        <source>End date</source>
        <translation>Data końcowa</translation>
    </message>
    <message>
        <source>Error: No records found!</source>
        <translation>Błąd: nie znaleziono rekordów!</translation>
    </message>
    <message>
        <source>Error: No parameters selected!</source>
        <translation>Błąd: nie wybrano parametrów!</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>MIN</translation>
    </message>
    <message>
        <source>AVG</source>
        <translation>ŚR</translation>
    </message>
    <message>
        <source>MAX</source>
        <translation>MAX</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Czas początkowy</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Czas końcowy</translation>
    </message>
</context>
</TS>
