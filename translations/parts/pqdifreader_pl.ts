<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ZelDXPqdifParser</name>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>File does not exist.</source>
        <translation>Plik nie istnieje.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>PQDIF file not found: %1</source>
        <translation>Nie znaleziono pliku PQDIF: %1</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>No file selected.</source>
        <translation>Nie wybrano pliku.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Database is not opened.</source>
        <translation>Baza danych nie jest otwarta.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Unable to initialize PQDIF controller.</source>
        <translation>Nie można zainicjować obsługi pliku PQDIF.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to read PQDIF headers.</source>
        <translation>Nie udało się odczytać nagłówków PQDIF.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Unable to start transaction.</source>
        <translation>Nie można rozpocząć transakcji.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Data import was canceled.</source>
        <translation>Import danych został anulowany.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Using data source: %1</source>
        <translation>Używane źródło danych: %1</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Observation without data source skipped.</source>
        <translation>Pominięto obserwację bez źródła danych.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to prepare data view.</source>
        <translation>Nie udało się przygotować widoku danych.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to commit transaction.</source>
        <translation>Nie udało się zatwierdzić transakcji.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Imported PQDIF samples: %1</source>
        <translation>Zaimportowane próbki PQDIF: %1</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to add device entry.</source>
        <translation>Nie udało się dodać urządzenia.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to obtain device identifier.</source>
        <translation>Nie udało się uzyskać identyfikatora urządzenia.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Invalid device identifier.</source>
        <translation>Nieprawidłowy identyfikator urządzenia.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to add parameter.</source>
        <translation>Nie udało się dodać parametru.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to obtain parameter identifier.</source>
        <translation>Nie udało się uzyskać identyfikatora parametru.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Invalid parameter identifier.</source>
        <translation>Nieprawidłowy identyfikator parametru.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to create observation wrapper.</source>
        <translation>Nie udało się utworzyć obsługi obserwacji.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Series %1/%2 has no data.</source>
        <translation>Seria %1/%2 nie zawiera danych.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Series %1/%2 has no timestamps.</source>
        <translation>Seria %1/%2 nie ma znaczników czasu.</translation>
    </message>
    <message>
        <location filename="../../readers/ZelDXPqdifParser.cpp"/>
        <source>Failed to insert measurement.</source>
        <translation>Nie udało się zapisać pomiaru.</translation>
    </message>
</context>
</TS>
