<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ArchiveManager</name>
    <message>
        <location filename="../../database/ArchiveManager.cpp" line="93"/>
        <source>Database is not opened.</source>
        <translation>Baza danych nie jest otwarta.</translation>
    </message>
    <message>
        <location filename="../../database/ArchiveManager.cpp" line="199"/>
        <source>The Quorlog database has been updated.</source>
        <translation>Baza danych Quorlog została zaktualizowana.</translation>
    </message>
</context>
</TS>
