<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>DataImportDialog</name>
    <message>
        <source>Actual folder: </source>
        <translation>Bieżący folder: </translation>
    </message>
    <message>
        <source>Root directory</source>
        <translation>katalog główny</translation>
    </message>
</context>
<context>
    <name>PdfConverter</name>
    <message>
        <source>The PDF report was saved as %1, but it could not be opened: no program to open PDF files was found.</source>
        <translation>Raport PDF zapisano jako %1, ale nie można go otworzyć: nie znaleziono programu do otwierania plików PDF.</translation>
    </message>
</context>
</TS>
