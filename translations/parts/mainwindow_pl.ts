<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Quorlog</source>
        <translation>O programie Quorlog</translation>
    </message>
    <message>
        <source>© 2026 The Quorlog developers. All rights reserved.</source>
        <translation>© 2026 Twórcy Quorlog. Wszelkie prawa zastrzeżone.</translation>
    </message>
    <message>
        <source>This application runs on the framework Qt %1 (LGPL Version 3)</source>
        <translation>Aplikacja działa na bibliotece Qt %1 (LGPL w wersji 3)</translation>
    </message>
    <message>
        <source>Some of the icons from: &lt;a href=&quot;https://quorlog.example.org/icons&quot;&gt;the Quorlog icon set&lt;/a&gt;</source>
        <translation>Część ikon pochodzi z: &lt;a href=&quot;https://quorlog.example.org/icons&quot;&gt;zestawu ikon Quorlog&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Version: </source>
        <translation>Wersja: </translation>
    </message>
</context>
<context>
    <name>ConsoleWidget</name>
    <message>
        <source>Console</source>
        <translation>Konsola</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Wyczyść</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>  SELECT DEVICE</source>
        <translation>  WYBÓR URZĄDZENIA</translation>
    </message>
    <message>
        <source>  NEW DATABASE</source>
        <translation>  NOWA BAZA DANYCH</translation>
    </message>
    <message>
        <source>  OPEN DATABASE</source>
        <translation>  OTWÓRZ BAZĘ</translation>
    </message>
    <message>
        <source>  DATA FILTER</source>
        <translation>  FILTR DANYCH</translation>
    </message>
    <message>
        <source>  TABLE VIEW</source>
        <translation>  WIDOK TABELI</translation>
    </message>
    <message>
        <source>  CHART VIEW</source>
        <translation>  WIDOK WYKRESU</translation>
    </message>
    <message>
        <source>  REPORT VIEW</source>
        <translation>  WIDOK RAPORTU</translation>
    </message>
    <message>
        <source>  LOGS VIEW</source>
        <translation>  WIDOK LOGÓW</translation>
    </message>
    <message>
        <source>  SETTINGS VIEW</source>
        <translation>  WIDOK USTAWIEŃ</translation>
    </message>
    <message>
        <source>  CSV EXPORT</source>
        <translation>  EKSPORT CSV</translation>
    </message>
    <message>
        <source>  DIGITAL SIGN CHECK</source>
        <translation>  SPRAWDŹ PODPIS</translation>
    </message>
    <message>
        <source>Console</source>
        <translation>Konsola</translation>
    </message>
    <message>
        <source>SHOW CONSOLE</source>
        <translation>POKAŻ KONSOLĘ</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Plik</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Pomoc</translation>
    </message>
    <message>
        <source>Open device</source>
        <translation>Otwórz urządzenie</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Wyjście</translation>
    </message>
    <message>
        <source>New database</source>
        <translation>Nowa baza danych</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O programie</translation>
    </message>
    <message>
        <source>Guide</source>
        <translation>Przewodnik</translation>
    </message>
    <message>
        <source>Examples</source>
        <translation>Przykłady</translation>
    </message>
    <message>
        <source>Loading Welcome Page...</source>
        <translation>Wczytywanie strony powitalnej...</translation>
    </message>
    <message>
        <source>Opening Database...</source>
        <translation>Otwieranie bazy danych...</translation>
    </message>
    <message>
        <source>Loading Table View...</source>
        <translation>Wczytywanie widoku tabeli...</translation>
    </message>
    <message>
        <source>Loading Chart View...</source>
        <translation>Wczytywanie widoku wykresu...</translation>
    </message>
    <message>
        <source>Loading Report View...</source>
        <translation>Wczytywanie widoku raportu...</translation>
    </message>
    <message>
        <source>Loading CSV Export View...</source>
        <translation>Wczytywanie widoku eksportu CSV...</translation>
    </message>
    <message>
        <source>Loading Settings View...</source>
        <translation>Wczytywanie widoku ustawień...</translation>
    </message>
    <message>
        <source>Loading Digital Sign View...</source>
        <translation>Wczytywanie widoku sprawdzania podpisu...</translation>
    </message>
    <message>
        <source>To apply the changes it is necessary to reload the program.
Do you want to do this now?</source>
        <translation>Aby zastosować zmiany, trzeba przeładować program.
Czy zrobić to teraz?</translation>
    </message>
    <message>
        <source>HIDE CONSOLE</source>
        <translation>UKRYJ KONSOLĘ</translation>
    </message>
</context>
<context>
    <name>WelcomePage</name>
    <message>
        <source>Version </source>
        <translation>Wersja </translation>
    </message>
</context>
</TS>
