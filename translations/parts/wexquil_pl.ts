<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>QuilACsvParser</name>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="17"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="18"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="19"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="20"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="21"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="22"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="25"/>
        <source>Invalid header format!</source>
        <translation>Nieprawidłowy format nagłówka!</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="26"/>
        <source>Line skipped, wrong number of values</source>
        <translation>Pominięto linię o nieprawidłowej liczbie wartości</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="27"/>
        <source>Line skipped, invalid date or time</source>
        <translation>Pominięto linię o nieprawidłowej dacie lub godzinie</translation>
    </message>
    <message>
        <location filename="../../readers/QuilACsvParser.cpp" line="28"/>
        <source>Line skipped, too long</source>
        <translation>Pominięto zbyt długą linię</translation>
    </message>
</context>
<context>
    <name>WexACsvParser</name>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="12"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="13"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="14"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="15"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="16"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location filename="../../readers/WexACsvParser.cpp" line="17"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
<context>
    <name>WexBCsvParser</name>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="12"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="13"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="14"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="15"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="16"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location filename="../../readers/WexBCsvParser.cpp" line="17"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
<context>
    <name>WexCCsvParser</name>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="12"/>
        <source>Unable to open file</source>
        <translation>Nie można otworzyć pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="13"/>
        <source>File has invalid format!</source>
        <translation>Plik ma nieprawidłowy format!</translation>
    </message>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="14"/>
        <source>Empty line in file</source>
        <translation>Pusta linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="15"/>
        <source>Invalid line in file</source>
        <translation>Nieprawidłowa linia w pliku</translation>
    </message>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="16"/>
        <source>Parser work was canceled in: </source>
        <translation>Praca parsera została przerwana po: </translation>
    </message>
    <message>
        <location filename="../../readers/WexCCsvParser.cpp" line="17"/>
        <source>Parse table data in: </source>
        <translation>Dane tabeli przetworzono w: </translation>
    </message>
</context>
</TS>
