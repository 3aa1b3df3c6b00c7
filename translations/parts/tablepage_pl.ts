<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>BrenaTableModel</name>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="21"/>
        <source>Date</source>
        <translation>Data</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="21"/>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="21"/>
        <source>Channel No</source>
        <translation>Nr kanału</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="21"/>
        <source>Flag</source>
        <translation>Flaga</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="42"/>
        <source>Unable to open file!</source>
        <translation>Nie można otworzyć pliku!</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="49"/>
        <source>Unable to parse file! (File corrupted or not Brena file)</source>
        <translation>Nie można przetworzyć pliku! (Plik uszkodzony lub nie jest plikiem Brena)</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="55"/>
        <source>Error while reading data! (File corrupted)</source>
        <translation>Błąd podczas odczytu danych! (Plik uszkodzony)</translation>
    </message>
    <message>
        <location filename="../../tables/BrenaTableModel.cpp" line="79"/>
        <source>Read records:</source>
        <translation>Odczytane rekordy:</translation>
    </message>
</context>
<context>
    <name>TableViewPage</name>
    <message>
        <location filename="../../forms/TableViewPage.ui" line="7"/>
        <source>Form</source>
        <translation>Formularz</translation>
    </message>
    <message>
        <location filename="../../forms/TableViewPage.ui" line="35"/>
        <location filename="../../tables/TableViewPage.cpp" line="77"/>
        <source>Group by date</source>
        <translation>Grupuj według daty</translation>
    </message>
    <message>
        <location filename="../../forms/TableViewPage.ui" line="48"/>
        <source>ADJUST TO WIDTH</source>
        <translation>DOPASUJ DO SZEROKOŚCI</translation>
    </message>
    <message>
        <location filename="../../forms/TableViewPage.ui" line="59"/>
        <source>  Load all data</source>
        <translation>  Wczytaj wszystkie dane</translation>
    </message>
    <message>
        <location filename="../../tables/TableViewPage.cpp" line="77"/>
        <source>Disable grouping</source>
        <translation>Wyłącz grupowanie</translation>
    </message>
    <message>
        <location filename="../../tables/TableViewPage.cpp" line="79"/>
        <source>Adjust to contents</source>
        <translation>Dopasuj do zawartości</translation>
    </message>
    <message>
        <location filename="../../tables/TableViewPage.cpp" line="79"/>
        <source>Adjust to width</source>
        <translation>Dopasuj do szerokości</translation>
    </message>
    <message>
        <location filename="../../tables/TableViewPage.cpp" line="133"/>
        <source>Loading...</source>
        <translation>Wczytywanie...</translation>
    </message>
</context>
<context>
    <name>ZelCEventTableModel</name>
    <message>
        <location filename="../../tables/ZelCEventTableModel.cpp" line="13"/>
        <source>Date</source>
        <translation>Data</translation>
    </message>
    <message>
        <location filename="../../tables/ZelCEventTableModel.cpp" line="13"/>
        <source>Entry</source>
        <translation>Wpis</translation>
    </message>
</context>
<context>
    <name>ZelCTableModel</name>
    <message>
        <location filename="../../tables/ZelCTableModel.cpp" line="73"/>
        <source>No parameters to group by date.</source>
        <translation>Brak parametrów do grupowania według daty.</translation>
    </message>
    <message>
        <location filename="../../tables/ZelCTableModel.cpp" line="116"/>
        <source>Table data query time: </source>
        <translation>Czas zapytania o dane tabeli: </translation>
    </message>
</context>
</TS>
