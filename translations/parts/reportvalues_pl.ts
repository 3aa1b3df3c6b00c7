<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MyAbstractSqlModel</name>
    <message>
        <source>The table grouped by date shows the first %1 of %2 rows. The CSV export reaches all of them.</source>
        <translation>Tabela grupowana według daty pokazuje pierwsze %1 z %2 wierszy. Eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table grouped by date shows the first %1 rows only. The CSV export reaches all of them.</source>
        <translation>Tabela grupowana według daty pokazuje tylko pierwsze %1 wierszy. Eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table shows the first %1 of %2 rows. Grouped by date it has %3 rows, cut off at the same limit; the CSV export reaches all of them.</source>
        <translation>Tabela pokazuje pierwsze %1 z %2 wierszy. Pogrupowana według daty ma %3 wierszy, uciętych na tym samym limicie; eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table shows the first %1 rows only. Grouped by date it has %2 rows, cut off at the same limit; the CSV export reaches all of them.</source>
        <translation>Tabela pokazuje tylko pierwsze %1 wierszy. Pogrupowana według daty ma %2 wierszy, uciętych na tym samym limicie; eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table shows the first %1 of %2 rows. The CSV export reaches all of them.</source>
        <translation>Tabela pokazuje pierwsze %1 z %2 wierszy. Eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table shows the first %1 rows only. The CSV export reaches all of them.</source>
        <translation>Tabela pokazuje tylko pierwsze %1 wierszy. Eksport CSV obejmuje wszystkie.</translation>
    </message>
</context>
</TS>
