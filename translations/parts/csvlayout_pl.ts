<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>CsvConverter</name>
    <message>
        <source>Start converting to csv for MoxB</source>
        <translation>Rozpoczęto konwersję do csv dla MoxB</translation>
    </message>
    <message>
        <source>Start converting to csv for MoxA</source>
        <translation>Rozpoczęto konwersję do csv dla MoxA</translation>
    </message>
    <message>
        <source>Saved %1 records in: %2 ms for MoxB</source>
        <translation>Zapisano %1 rekordów w: %2 ms dla MoxB</translation>
    </message>
    <message>
        <source>Saved %1 records in: %2 ms for MoxA</source>
        <translation>Zapisano %1 rekordów w: %2 ms dla MoxA</translation>
    </message>
</context>
</TS>
