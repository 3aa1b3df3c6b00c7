<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractReportModel</name>
    <message>
        <source>Creating report...</source>
        <translation>Tworzenie raportu...</translation>
    </message>
    <message>
        <source>Report created in: %1 ms. Number of selected parameters: %2.</source>
        <translation>Raport utworzono w: %1 ms. Liczba wybranych parametrów: %2.</translation>
    </message>
    <message>
        <source>Loading data...</source>
        <translation>Wczytywanie danych...</translation>
    </message>
    <message>
        <source>Error during loading records!</source>
        <translation>Błąd podczas wczytywania rekordów!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
    <message>
        <source> MIN</source>
        <translation> MIN</translation>
    </message>
    <message>
        <source> AVG</source>
        <translation> ŚR</translation>
    </message>
    <message>
        <source> MAX</source>
        <translation> MAX</translation>
    </message>
    <message>
        <source> INC</source>
        <translation> PRZYR</translation>
    </message>
    <message>
        <source>Start date</source>
        <translation>Data początkowa</translation>
    </message>
    <message>
        <source>End date</source>
        <translation>Data końcowa</translation>
    </message>
    <message>
        <source>Error: No records found!</source>
        <translation>Błąd: nie znaleziono rekordów!</translation>
    </message>
    <message>
        <source>Error: No parameters selected!</source>
        <translation>Błąd: nie wybrano parametrów!</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>MIN</translation>
    </message>
    <message>
        <source>AVG</source>
        <translation>ŚR</translation>
    </message>
    <message>
        <source>MAX</source>
        <translation>MAX</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Czas początkowy</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Czas końcowy</translation>
    </message>
</context>
<context>
    <name>ReportViewPage</name>
    <message>
        <source>Basic report</source>
        <translation>Raport podstawowy</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Opcje</translation>
    </message>
    <message>
        <source>Time groups:</source>
        <translation>Grupy czasowe:</translation>
    </message>
    <message>
        <source>Every n minutes:</source>
        <translation>Co n minut:</translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation>Co godzinę</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Dziennie</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Tygodniowo</translation>
    </message>
    <message>
        <source>Report type:</source>
        <translation>Typ raportu:</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Średnia</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Maksimum</translation>
    </message>
    <message>
        <source>Incremental</source>
        <translation>Przyrostowy</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>Parametry</translation>
    </message>
    <message>
        <source>  Check all</source>
        <translation>  Zaznacz wszystkie</translation>
    </message>
    <message>
        <source>  Uncheck all</source>
        <translation>  Odznacz wszystkie</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Generuj</translation>
    </message>
    <message>
        <source>Adjust to width</source>
        <translation>Dopasuj do szerokości</translation>
    </message>
    <message>
        <source>Export to PDF</source>
        <translation>Eksport do PDF</translation>
    </message>
    <message>
        <source>Adjust to contents</source>
        <translation>Dopasuj do zawartości</translation>
    </message>
    <message>
        <source>Data model unknown.</source>
        <translation>Nieznany model danych.</translation>
    </message>
    <message>
        <source>No parameters selected! Report can't be created.</source>
        <translation>Nie wybrano parametrów! Nie można utworzyć raportu.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Ostrzeżenie</translation>
    </message>
    <message>
        <source>Report parameters limit (20) reached.</source>
        <translation>Osiągnięto limit parametrów raportu (20).</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Raport</translation>
    </message>
    <message>
        <source>Exporting as PDF</source>
        <translation>Eksport do PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Pliki PDF (*.pdf)</translation>
    </message>
</context>
<context>
    <name>PdfConverter</name>
    <message>
        <source>Report created on: </source>
        <translation>Raport utworzony: </translation>
    </message>
    <message>
        <source>Report starts at: </source>
        <translation>Początek raportu: </translation>
    </message>
    <message>
        <source>Report ends at: </source>
        <translation>Koniec raportu: </translation>
    </message>
    <message>
        <source>Exporting to PDF...</source>
        <translation>Eksport do PDF...</translation>
    </message>
    <message>
        <source>PDF printer state error.</source>
        <translation>Błąd drukarki PDF.</translation>
    </message>
    <message>
        <source>PDF printer state ok.</source>
        <translation>Drukarka PDF: OK.</translation>
    </message>
    <message>
        <source>PDF report file containing %1 records created succesfully in: %2 ms.</source>
        <translation>Plik raportu PDF zawierający %1 rekordów utworzono pomyślnie w: %2 ms.</translation>
    </message>
</context>
<context>
    <name>PdfConverterDialog</name>
    <message>
        <source>PDF Report options</source>
        <translation>Opcje raportu PDF</translation>
    </message>
    <message>
        <source>PDF report parameters colored</source>
        <translation>Kolorowe parametry w raporcie PDF</translation>
    </message>
    <message>
        <source>Report title:</source>
        <translation>Tytuł raportu:</translation>
    </message>
    <message>
        <source>PDF report alternate rows colored</source>
        <translation>Naprzemienne kolorowanie wierszy w raporcie PDF</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Eksportuj</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
</context>
</TS>
