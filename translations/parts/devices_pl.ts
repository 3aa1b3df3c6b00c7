<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ArchiveManager</name>
    <message>
        <source>Failed to add device.</source>
        <translation>Nie udało się dodać urządzenia.</translation>
    </message>
    <message>
        <source>Device with this name already exists.</source>
        <translation>Urządzenie o tej nazwie już istnieje.</translation>
    </message>
    <message>
        <source>Failed to edit device.</source>
        <translation>Nie udało się zmienić urządzenia.</translation>
    </message>
    <message>
        <source>Failed to remove device.</source>
        <translation>Nie udało się usunąć urządzenia.</translation>
    </message>
    <message>
        <source>Failed to start transaction.</source>
        <translation>Nie udało się rozpocząć transakcji.</translation>
    </message>
</context>
<context>
    <name>BrenaConfigParser</name>
    <message>
        <source>Unable to open file: </source>
        <translation>Nie można otworzyć pliku: </translation>
    </message>
    <message>
        <source>Unable to open MBD_M_RS.XML file</source>
        <translation>Nie można otworzyć pliku MBD_M_RS.XML</translation>
    </message>
    <message>
        <source>Invalid channels file</source>
        <translation>Nieprawidłowy plik kanałów</translation>
    </message>
    <message>
        <source>Invalid units file</source>
        <translation>Nieprawidłowy plik jednostek</translation>
    </message>
    <message>
        <source>Active parameters: </source>
        <translation>Aktywne parametry: </translation>
    </message>
    <message>
        <source>Converting data</source>
        <translation>Konwersja danych</translation>
    </message>
    <message>
        <source>Records with an invalid date or time skipped: </source>
        <translation>Pominięte rekordy z nieprawidłową datą lub czasem: </translation>
    </message>
</context>
<context>
    <name>Framework</name>
    <message>
        <source>Unable to create temporary file</source>
        <translation>Nie można utworzyć pliku tymczasowego</translation>
    </message>
    <message>
        <source>Error while processing config file.</source>
        <translation>Błąd podczas przetwarzania pliku konfiguracyjnego.</translation>
    </message>
    <message>
        <source>Importing Data from file: </source>
        <translation>Importowanie danych z pliku: </translation>
    </message>
    <message>
        <source>An error occurred</source>
        <translation>Wystąpił błąd</translation>
    </message>
    <message>
        <source>Unable to open temp Database.</source>
        <translation>Nie można otworzyć tymczasowej bazy danych.</translation>
    </message>
    <message>
        <source>Unable to open file: </source>
        <translation>Nie można otworzyć pliku: </translation>
    </message>
    <message>
        <source>Database is not opened.</source>
        <translation>Baza danych nie jest otwarta.</translation>
    </message>
    <message>
        <source>Unsupported file type: </source>
        <translation>Nieobsługiwany typ pliku: </translation>
    </message>
    <message>
        <source>Import is not supported for this device type.</source>
        <translation>Import nie jest obsługiwany dla tego typu urządzenia.</translation>
    </message>
    <message>
        <source>Unable to read the archive&apos;s records.</source>
        <translation>Nie można odczytać rekordów archiwum.</translation>
    </message>
    <message>
        <source>Target device is missing from the database.</source>
        <translation>Brak urządzenia docelowego w bazie danych.</translation>
    </message>
    <message>
        <source>No channel configuration is stored for this device.</source>
        <translation>Dla tego urządzenia nie zapisano konfiguracji kanałów.</translation>
    </message>
    <message>
        <source>Data import was canceled.</source>
        <translation>Import danych został przerwany.</translation>
    </message>
    <message>
        <source>Imported parameters: </source>
        <translation>Zaimportowane parametry: </translation>
    </message>
    <message>
        <source> in: </source>
        <translation> w: </translation>
    </message>
    <message>
        <source>added: </source>
        <translation>dodano: </translation>
    </message>
    <message>
        <source>skipped: </source>
        <translation>pominięto: </translation>
    </message>
</context>
</TS>
