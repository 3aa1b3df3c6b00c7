<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>DataFilterPage</name>
    <message>
        <source>  Add new device</source>
        <translation>  Dodaj urządzenie</translation>
    </message>
    <message>
        <source>  Edit devce</source>
        <translation>  Edytuj urządzenie</translation>
    </message>
    <message>
        <source>  Remove device</source>
        <translation>  Usuń urządzenie</translation>
    </message>
    <message>
        <source>  Import data</source>
        <translation>  Importuj dane</translation>
    </message>
    <message>
        <source>Download data</source>
        <translation>Pobierz dane</translation>
    </message>
    <message>
        <source>commonMenuButton</source>
        <translation>commonMenuButton</translation>
    </message>
    <message>
        <source>Time constraints</source>
        <translation>Ograniczenia czasowe</translation>
    </message>
    <message>
        <source>Start time:</source>
        <translation>Czas początkowy:</translation>
    </message>
    <message>
        <source>End time:</source>
        <translation>Czas końcowy:</translation>
    </message>
    <message>
        <source>  Load from template</source>
        <translation>  Wczytaj z szablonu</translation>
    </message>
    <message>
        <source>  Save as template</source>
        <translation>  Zapisz jako szablon</translation>
    </message>
    <message>
        <source>  Accept</source>
        <translation>  Zatwierdź</translation>
    </message>
    <message>
        <source>Database info</source>
        <translation>Informacje o bazie danych</translation>
    </message>
    <message>
        <source>Size on disk:</source>
        <translation>Rozmiar na dysku:</translation>
    </message>
    <message>
        <source>Data records:</source>
        <translation>Rekordy danych:</translation>
    </message>
    <message>
        <source>First record date:</source>
        <translation>Data pierwszego rekordu:</translation>
    </message>
    <message>
        <source>Last record date:</source>
        <translation>Data ostatniego rekordu:</translation>
    </message>
    <message>
        <source>Configured devices</source>
        <translation>Skonfigurowane urządzenia</translation>
    </message>
    <message>
        <source>Parameters device</source>
        <translation>Parametry urządzenia</translation>
    </message>
    <message>
        <source>Variable device</source>
        <translation>Zmienne urządzenia</translation>
    </message>
    <message>
        <source>Files path: </source>
        <translation>Ścieżka plików: </translation>
    </message>
    <message>
        <source>IP address: </source>
        <translation>Adres IP: </translation>
    </message>
    <message>
        <source>IP address: None</source>
        <translation>Adres IP: Brak</translation>
    </message>
    <message>
        <source>Protocol type: </source>
        <translation>Typ protokołu: </translation>
    </message>
    <message>
        <source>Protocol type: None</source>
        <translation>Typ protokołu: Brak</translation>
    </message>
    <message>
        <source>User: </source>
        <translation>Użytkownik: </translation>
    </message>
    <message>
        <source>User: None</source>
        <translation>Użytkownik: Brak</translation>
    </message>
    <message>
        <source>Password: </source>
        <translation>Hasło: </translation>
    </message>
    <message>
        <source>Password: None</source>
        <translation>Hasło: Brak</translation>
    </message>
    <message>
        <source>Select all parameters</source>
        <translation>Zaznacz wszystkie parametry</translation>
    </message>
    <message>
        <source>Unselect all parameters</source>
        <translation>Odznacz wszystkie parametry</translation>
    </message>
    <message>
        <source>Show details</source>
        <translation>Pokaż szczegóły</translation>
    </message>
    <message>
        <source>Download files from FTP</source>
        <translation>Pobierz pliki z FTP</translation>
    </message>
    <message>
        <source>Removal of the device will also delete its archived data! Continue?</source>
        <translation>Usunięcie urządzenia usunie również jego zarchiwizowane dane! Kontynuować?</translation>
    </message>
    <message>
        <source>loading information...</source>
        <translation>wczytywanie informacji...</translation>
    </message>
    <message>
        <source>Device information</source>
        <translation>Informacje o urządzeniu</translation>
    </message>
    <message>
        <source>Please select at least one parameter.</source>
        <translation>Wybierz co najmniej jeden parametr.</translation>
    </message>
    <message>
        <source>The device edit dialog is not available in this version.</source>
        <translation>Okno edycji urządzenia nie jest dostępne w tej wersji.</translation>
    </message>
    <message>
        <source>The data import dialog is not available in this version.</source>
        <translation>Okno importu danych nie jest dostępne w tej wersji.</translation>
    </message>
</context>
<context>
    <name>FiltersCfgSelectDialog</name>
    <message>
        <source>Select configuration</source>
        <translation>Wybierz konfigurację</translation>
    </message>
    <message>
        <source>Configuration name</source>
        <translation>Nazwa konfiguracji</translation>
    </message>
</context>
</TS>
