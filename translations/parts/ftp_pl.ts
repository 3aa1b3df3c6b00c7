<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ftpTreeModel</name>
    <message>
        <source>Actual folder: Root directory</source>
        <translation>Bieżący folder: katalog główny</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>Error init FTP engine</source>
        <translation>Błąd inicjalizacji mechanizmu FTP</translation>
    </message>
    <message>
        <source>Read files tree from FTP server: </source>
        <translation>Odczyt drzewa plików z serwera FTP: </translation>
    </message>
    <message>
        <source>Operation was canceled</source>
        <translation>Operacja została anulowana</translation>
    </message>
    <message>
        <source>Error: %1
Buffer: %2</source>
        <translation>Błąd: %1
Bufor: %2</translation>
    </message>
</context>
</TS>
