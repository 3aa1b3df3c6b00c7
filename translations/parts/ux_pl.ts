<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MainWindow</name>
    <message>
        <source>Quorlog · measurement archives of electrical and environmental instruments</source>
        <translation>Quorlog · archiwa pomiarów przyrządów elektrycznych i środowiskowych</translation>
    </message>
    <message>
        <source>Quorlog Database (*.qdb)</source>
        <translation>Baza danych Quorlog (*.qdb)</translation>
    </message>
    <message>
        <source>Open database</source>
        <translation>Otwórz bazę danych</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; cannot be read.</source>
        <translation>Nie można odczytać pliku &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; is not a Quorlog database: it is no SQLite database.</source>
        <translation>Plik &apos;%1&apos; nie jest bazą danych Quorlog: nie jest to baza SQLite.</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; is an SQLite database without the tables of a Quorlog database. It was not opened and is left unchanged.</source>
        <translation>Plik &apos;%1&apos; jest bazą SQLite bez tabel bazy danych Quorlog. Nie został otwarty i pozostaje niezmieniony.</translation>
    </message>
</context>
<context>
    <name>Framework</name>
    <message>
        <source>Open database</source>
        <translation>Otwórz bazę danych</translation>
    </message>
</context>
<context>
    <name>MyAbstractSqlModel</name>
    <message>
        <source>The table shows the first %1 of %2 rows. Grouping by date or the CSV export reaches all of them.</source>
        <translation>Tabela pokazuje pierwsze %1 z %2 wierszy. Grupowanie według daty lub eksport CSV obejmuje wszystkie.</translation>
    </message>
    <message>
        <source>The table shows the first %1 rows only. Grouping by date or the CSV export reaches all of them.</source>
        <translation>Tabela pokazuje tylko pierwsze %1 wierszy. Grupowanie według daty lub eksport CSV obejmuje wszystkie.</translation>
    </message>
</context>
</TS>
