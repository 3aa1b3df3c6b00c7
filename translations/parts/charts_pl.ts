<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractChartModel</name>
    <message>
        <source>Loading data</source>
        <translation>Ładowanie danych</translation>
    </message>
    <message>
        <source>Loaded %1 records for %2 parameters in: %3 ms</source>
        <translation>Wczytano %1 rekordów dla %2 parametrów w: %3 ms</translation>
    </message>
</context>
<context>
    <name>ChartViewPage</name>
    <message>
        <source>Previous</source>
        <translation>Poprzednia</translation>
    </message>
    <message>
        <source>1/1</source>
        <translation>1/1</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Następna</translation>
    </message>
    <message>
        <source>Draw lines between dots</source>
        <translation>Łącz punkty liniami</translation>
    </message>
    <message>
        <source>Group parameters by unit</source>
        <translation>Grupuj wg jednostek</translation>
    </message>
    <message>
        <source>Max indicator</source>
        <translation>Wskaźnik maks.</translation>
    </message>
    <message>
        <source>Min indicator</source>
        <translation>Wskaźnik min.</translation>
    </message>
    <message>
        <source> Save</source>
        <translation> Zapisz</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Zapisz</translation>
    </message>
    <message>
        <source>chart</source>
        <translation>wykres</translation>
    </message>
    <message>
        <source>The chart image could not be saved to %1.</source>
        <translation>Nie udało się zapisać obrazu wykresu do %1.</translation>
    </message>
</context>
</TS>
