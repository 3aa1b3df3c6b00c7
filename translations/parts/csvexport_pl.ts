<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>CSVExportPage</name>
    <message>
        <source>Date format:</source>
        <translation>Format daty:</translation>
    </message>
    <message>
        <source>Time format:</source>
        <translation>Format czasu:</translation>
    </message>
    <message>
        <source>Date and time separation:</source>
        <translation>Rozdzielenie daty i czasu:</translation>
    </message>
    <message>
        <source>Columns separator:</source>
        <translation>Separator kolumn:</translation>
    </message>
    <message>
        <source>Decimal point:</source>
        <translation>Separator dziesiętny:</translation>
    </message>
    <message>
        <source>Decimal places:</source>
        <translation>Miejsca dziesiętne:</translation>
    </message>
    <message>
        <source>Group values by date:</source>
        <translation>Grupuj wartości według daty:</translation>
    </message>
    <message>
        <source>Incorrect values handling:</source>
        <translation>Obsługa błędnych wartości:</translation>
    </message>
    <message>
        <source>Max records per file:</source>
        <translation>Maks. liczba rekordów w pliku:</translation>
    </message>
    <message>
        <source>Limit</source>
        <translation>Limit</translation>
    </message>
    <message>
        <source>Generate CSV</source>
        <translation>Generuj CSV</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Spacja</translation>
    </message>
    <message>
        <source>Separate columns</source>
        <translation>Osobne kolumny</translation>
    </message>
    <message>
        <source>Leave unchanged</source>
        <translation>Pozostaw bez zmian</translation>
    </message>
    <message>
        <source>Empty field</source>
        <translation>Puste pole</translation>
    </message>
    <message>
        <source>Custom string</source>
        <translation>Własny tekst</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Zapisz plik</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Ostrzeżenie</translation>
    </message>
    <message>
        <source>The same column separator and decimal point.</source>
        <translation>Ten sam separator kolumn i separator dziesiętny.</translation>
    </message>
    <message>
        <source>The session has no table to export.</source>
        <translation>Sesja nie ma tabeli do wyeksportowania.</translation>
    </message>
</context>
<context>
    <name>CsvConverter</name>
    <message>
        <source>Start converting to csv</source>
        <translation>Rozpoczęto konwersję do csv</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Konwertowanie...</translation>
    </message>
    <message>
        <source>Saved %1 records in: %2 ms</source>
        <translation>Zapisano %1 rekordów w: %2 ms</translation>
    </message>
    <message>
        <source>Unable to write into a file</source>
        <translation>Nie można zapisać do pliku</translation>
    </message>
    <message>
        <source>Unable to read the table data</source>
        <translation>Nie można odczytać danych tabeli</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
</context>
</TS>
