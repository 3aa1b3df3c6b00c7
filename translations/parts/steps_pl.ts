<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Parser</name>
    <message>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
</context>
<context>
    <name>QuilxCsvParser</name>
    <message>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
</context>
<context>
    <name>FileWorkerStrategy</name>
    <message>
        <source>Reading stopped by an unexpected error: </source>
        <translation>Odczyt przerwany przez nieoczekiwany błąd: </translation>
    </message>
    <message>
        <source>Reading stopped by an unexpected error.</source>
        <translation>Odczyt przerwany przez nieoczekiwany błąd.</translation>
    </message>
</context>
</TS>
