<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MoxAparser</name>
    <message>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
</context>
<context>
    <name>moxbauditparser</name>
    <message>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
</context>
<context>
    <name>moxbcsvparser</name>
    <message>
        <source>The header names the column %1 twice.</source>
        <translation>Nagłówek podaje kolumnę %1 dwukrotnie.</translation>
    </message>
    <message>
        <source>The header holds a column %1, the name of the table's key column.</source>
        <translation>Nagłówek zawiera kolumnę %1, nazwaną jak kolumna klucza tabeli.</translation>
    </message>
    <message>
        <source>The column %1 repeats the column %2 of the header: column names that differ only in letter case are one column.</source>
        <translation>Kolumna %1 powtarza kolumnę %2 nagłówka: nazwy kolumn różniące się tylko wielkością liter oznaczają jedną kolumnę.</translation>
    </message>
</context>
<context>
    <name>NormalDeviceParser</name>
    <message>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
<context>
    <name>ZelDXPqdifParser</name>
    <message>
        <source>Series without data: %1 more not listed.</source>
        <translation>Serie bez danych: kolejnych %1 nie wymieniono.</translation>
    </message>
    <message>
        <source>Series without timestamps: %1 more not listed.</source>
        <translation>Serie bez znaczników czasu: kolejnych %1 nie wymieniono.</translation>
    </message>
</context>
<context>
    <name>RecorderImport</name>
    <message>
        <source>Attaching the file: </source>
        <translation>Dołączanie pliku: </translation>
    </message>
    <message>
        <source>Beginning the transaction: </source>
        <translation>Rozpoczynanie transakcji: </translation>
    </message>
    <message>
        <source>Committing: </source>
        <translation>Zatwierdzanie: </translation>
    </message>
    <message>
        <source>Restoring the table of an unfinished import: </source>
        <translation>Przywracanie tabeli po niedokończonym imporcie: </translation>
    </message>
    <message>
        <source>Removing the work table of an unfinished import: </source>
        <translation>Usuwanie tabeli roboczej niedokończonego importu: </translation>
    </message>
    <message>
        <source>The database holds %1 left by an unfinished import; nothing was imported.</source>
        <translation>Baza danych zawiera %1 pozostawione przez niedokończony import; niczego nie zaimportowano.</translation>
    </message>
    <message>
        <source>Reading the instrument: </source>
        <translation>Odczyt przyrządu: </translation>
    </message>
    <message>
        <source>No instrument with the id %1.</source>
        <translation>Brak przyrządu o identyfikatorze %1.</translation>
    </message>
    <message>
        <source>Creating the table Parameters: </source>
        <translation>Tworzenie tabeli Parameters: </translation>
    </message>
    <message>
        <source>Reading the file's columns: </source>
        <translation>Odczyt kolumn pliku: </translation>
    </message>
    <message>
        <source>The file has no table %1 with date and time columns.</source>
        <translation>Plik nie zawiera tabeli %1 z kolumnami daty i czasu.</translation>
    </message>
    <message>
        <source>Looking up a parameter: </source>
        <translation>Wyszukiwanie parametru: </translation>
    </message>
    <message>
        <source>Adding a parameter: </source>
        <translation>Dodawanie parametru: </translation>
    </message>
    <message>
        <source>Creating the table: </source>
        <translation>Tworzenie tabeli: </translation>
    </message>
    <message>
        <source>Reading the table's columns: </source>
        <translation>Odczyt kolumn tabeli: </translation>
    </message>
    <message>
        <source>Adding a column: </source>
        <translation>Dodawanie kolumny: </translation>
    </message>
</context>
<context>
    <name>RecorderMerge</name>
    <message>
        <source>Reading the order of the rows: </source>
        <translation>Odczyt kolejności wierszy: </translation>
    </message>
    <message>
        <source>Reading the columns of the table: </source>
        <translation>Odczyt kolumn tabeli: </translation>
    </message>
    <message>
        <source>No columns to merge.</source>
        <translation>Brak kolumn do scalenia.</translation>
    </message>
    <message>
        <source>The table has no column </source>
        <translation>Tabela nie ma kolumny </translation>
    </message>
    <message>
        <source>Creating the date and time index: </source>
        <translation>Tworzenie indeksu daty i czasu: </translation>
    </message>
    <message>
        <source>Creating the work table: </source>
        <translation>Tworzenie tabeli roboczej: </translation>
    </message>
    <message>
        <source>Reading the new rows: </source>
        <translation>Odczyt nowych wierszy: </translation>
    </message>
    <message>
        <source>Updating the stored rows: </source>
        <translation>Aktualizacja zapisanych wierszy: </translation>
    </message>
    <message>
        <source>Sorting out the new rows: </source>
        <translation>Porządkowanie nowych wierszy: </translation>
    </message>
    <message>
        <source>Reading the stored rows: </source>
        <translation>Odczyt zapisanych wierszy: </translation>
    </message>
    <message>
        <source>Removing the rows to write again: </source>
        <translation>Usuwanie wierszy do ponownego zapisu: </translation>
    </message>
    <message>
        <source>Restarting the ids: </source>
        <translation>Ponowne numerowanie identyfikatorów: </translation>
    </message>
    <message>
        <source>Writing the rows: </source>
        <translation>Zapis wierszy: </translation>
    </message>
</context>
</TS>
