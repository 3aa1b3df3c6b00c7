<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ReportViewPage</name>
    <message>
        <source>Energy report</source>
        <translation>Raport energii</translation>
    </message>
    <message>
        <source>Energy report options</source>
        <translation>Opcje raportu energii</translation>
    </message>
    <message>
        <source>REMOVE TARIFF</source>
        <translation>USUŃ TARYFĘ</translation>
    </message>
    <message>
        <source>Summer tariff period:</source>
        <translation>Okres taryfy letniej:</translation>
    </message>
    <message>
        <source>Summer tariff peaks list:</source>
        <translation>Lista szczytów taryfy letniej:</translation>
    </message>
    <message>
        <source>Winter tariff period:</source>
        <translation>Okres taryfy zimowej:</translation>
    </message>
    <message>
        <source>Winter tariff peaks list:</source>
        <translation>Lista szczytów taryfy zimowej:</translation>
    </message>
    <message>
        <source>SAVE DATA AS NEW TARIFF</source>
        <translation>ZAPISZ DANE JAKO NOWĄ TARYFĘ</translation>
    </message>
    <message>
        <source>Energy report parameters selection</source>
        <translation>Wybór parametrów raportu energii</translation>
    </message>
    <message>
        <source>RESTORE
PARAMETERS</source>
        <translation>PRZYWRÓĆ
PARAMETRY</translation>
    </message>
    <message>
        <source>CLEAR SELECTED
PARAMETERS</source>
        <translation>WYCZYŚĆ WYBRANE
PARAMETRY</translation>
    </message>
    <message>
        <source>ADJUST TO WIDTH</source>
        <translation>DOPASUJ DO SZEROKOŚCI</translation>
    </message>
    <message>
        <source>EXPORT TO PDF</source>
        <translation>EKSPORTUJ DO PDF</translation>
    </message>
    <message>
        <source>ADD FUNCTION ROW</source>
        <translation>DODAJ WIERSZ FUNKCJI</translation>
    </message>
    <message>
        <source>REMOVE FUNCTION ROW</source>
        <translation>USUŃ WIERSZ FUNKCJI</translation>
    </message>
    <message>
        <source>PN-EN-50160</source>
        <translation>PN-EN-50160</translation>
    </message>
    <message>
        <source>Exclude data</source>
        <translation>Wyklucz dane</translation>
    </message>
    <message>
        <source>Interruptions</source>
        <translation>Przerwy</translation>
    </message>
    <message>
        <source>Dip/swell</source>
        <translation>Zapady/wzrosty</translation>
    </message>
    <message>
        <source>Overvoltages</source>
        <translation>Przepięcia</translation>
    </message>
    <message>
        <source>Connection type</source>
        <translation>Rodzaj połączenia</translation>
    </message>
    <message>
        <source>Synchronous</source>
        <translation>Synchroniczne</translation>
    </message>
    <message>
        <source>No synchronous</source>
        <translation>Niesynchroniczne</translation>
    </message>
    <message>
        <source>Analyzed period</source>
        <translation>Analizowany okres</translation>
    </message>
    <message>
        <source>Start date:</source>
        <translation>Data początkowa:</translation>
    </message>
    <message>
        <source>End date:</source>
        <translation>Data końcowa:</translation>
    </message>
    <message>
        <source>No tariffs found in cfg file!</source>
        <translation>Nie znaleziono taryf w pliku konfiguracyjnym!</translation>
    </message>
    <message>
        <source>Tariff name duplicated!</source>
        <translation>Nazwa taryfy już istnieje!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
    <message>
        <source>Empty tariffs peaks!</source>
        <translation>Puste szczyty taryf!</translation>
    </message>
    <message>
        <source>Empty tariff name!</source>
        <translation>Pusta nazwa taryfy!</translation>
    </message>
    <message>
        <source>No data! Please generate energy report first!</source>
        <translation>Brak danych! Najpierw wygeneruj raport energii!</translation>
    </message>
    <message>
        <source>Price for energy unit parameter error!</source>
        <translation>Błędna cena jednostki energii!</translation>
    </message>
</context>
<context>
    <name>AddEnergyTariffDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Tariff name:</source>
        <translation>Nazwa taryfy:</translation>
    </message>
    <message>
        <source>SAVE TARIFF</source>
        <translation>ZAPISZ TARYFĘ</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ANULUJ</translation>
    </message>
    <message>
        <source>My example tariff 1</source>
        <translation>Moja przykładowa taryfa 1</translation>
    </message>
</context>
<context>
    <name>EnergyReportExtraRowSelectDialog</name>
    <message>
        <source>Energy report functions</source>
        <translation>Funkcje raportu energii</translation>
    </message>
    <message>
        <source>ADD ROW WITH RESULT</source>
        <translation>DODAJ WIERSZ Z WYNIKIEM</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ANULUJ</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Suma</translation>
    </message>
    <message>
        <source>Cost</source>
        <translation>Koszt</translation>
    </message>
    <message>
        <source>0.01</source>
        <translation>0,01</translation>
    </message>
</context>
</TS>
