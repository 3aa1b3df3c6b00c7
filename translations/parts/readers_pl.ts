<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ZelACsvParser</name>
    <message>
        <location filename="../../readers/ZelACsvParser.cpp" line="+16"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
<context>
    <name>ZelBCsvParser</name>
    <message>
        <location filename="../../readers/ZelBCsvParser.cpp" line="+14"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
</TS>
