<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <location filename="../../app/Framework_session.cpp" line="84"/>
        <source>Delete tempDB fail</source>
        <translation>Nie udało się usunąć tymczasowej bazy danych</translation>
    </message>
    <message>
        <location filename="../../app/Framework_session.cpp" line="199"/>
        <source>Session closed</source>
        <translation>Sesja zamknięta</translation>
    </message>
    <message>
        <location filename="../../app/Framework_session.cpp" line="298"/>
        <location filename="../../app/Framework_session.cpp" line="316"/>
        <source>Loading Data</source>
        <translation>Ładowanie danych</translation>
    </message>
    <message>
        <location filename="../../app/OpenFileWorker.cpp" line="44"/>
        <source>Opening file: </source>
        <translation>Otwieranie pliku: </translation>
    </message>
    <message>
        <location filename="../../app/OpenFileWorker.cpp" line="158"/>
        <source>Unable to create temp Database.</source>
        <translation>Nie można utworzyć tymczasowej bazy danych.</translation>
    </message>
    <message>
        <location filename="../../app/OpenFileWorker.cpp" line="201"/>
        <source>Session opened in: </source>
        <translation>Sesja otwarta w: </translation>
    </message>
    <message>
        <location filename="../../app/ApplyFiltersWorker.cpp" line="42"/>
        <source>Filters applied in: </source>
        <translation>Filtry zastosowane w: </translation>
    </message>
</context>
</TS>
