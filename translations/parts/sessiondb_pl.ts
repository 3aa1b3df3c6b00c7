<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>No application database is open: there is nothing to import into.</source>
        <translation>Nie otwarto bazy danych aplikacji: nie ma dokąd importować.</translation>
    </message>
    <message>
        <source>The application database %1 cannot be opened: %2</source>
        <translation>Nie można otworzyć bazy danych aplikacji %1: %2</translation>
    </message>
</context>
</TS>
