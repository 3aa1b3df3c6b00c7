<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>Reading the file</source>
        <translation>Czytanie pliku</translation>
    </message>
    <message>
        <source>Writing into the database</source>
        <translation>Zapis do bazy danych</translation>
    </message>
    <message>
        <source>Merging the rows by date and time</source>
        <translation>Scalanie wierszy według daty i czasu</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Cancelling</source>
        <translation>Anulowanie</translation>
    </message>
</context>
</TS>
