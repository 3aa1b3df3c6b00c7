<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <location filename="../../app/DatabaseIndexes.cpp" line="22"/>
        <source>Preparing the database %1: building the indexes it lacks. This is done once and may take a while for a large database.</source>
        <translation>Przygotowanie bazy danych %1: budowa brakujących indeksów. Odbywa się to jednorazowo i przy dużej bazie może potrwać.</translation>
    </message>
    <message>
        <location filename="../../app/DatabaseIndexes.cpp" line="31"/>
        <source>Building the database indexes (%1 of %2)...</source>
        <translation>Budowa indeksów bazy danych (%1 z %2)...</translation>
    </message>
    <message>
        <location filename="../../app/DatabaseIndexes.cpp" line="45"/>
        <source>Opening the database was canceled while its indexes were being built; the file %1 is left as it was.</source>
        <translation>Otwieranie bazy danych anulowano podczas budowy jej indeksów; plik %1 pozostał bez zmian.</translation>
    </message>
    <message>
        <location filename="../../app/DatabaseIndexes.cpp" line="52"/>
        <source>The indexes of the database %1 could not be built: %2. It opens without them; look-ups in it may be slow.</source>
        <translation>Nie udało się zbudować indeksów bazy danych %1: %2. Baza zostanie otwarta bez nich; wyszukiwanie w niej może być wolne.</translation>
    </message>
</context>
</TS>
