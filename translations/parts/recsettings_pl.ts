<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>An error occurred during settings import.</source>
        <translation>Wystąpił błąd podczas importu ustawień.</translation>
    </message>
    <message>
        <source>An error occurred during settings transaction start.</source>
        <translation>Wystąpił błąd podczas rozpoczynania transakcji ustawień.</translation>
    </message>
    <message>
        <source>An error occurred during table creation.</source>
        <translation>Wystąpił błąd podczas tworzenia tabeli.</translation>
    </message>
    <message>
        <source>The settings file holds a table named like a table of the application database: </source>
        <translation>Plik ustawień zawiera tabelę o nazwie tabeli bazy danych programu: </translation>
    </message>
    <message>
        <source>The settings file holds no parameters table.</source>
        <translation>Plik ustawień nie zawiera tabeli parametrów.</translation>
    </message>
</context>
</TS>
