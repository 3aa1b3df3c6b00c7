<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>DeviceEditDialog</name>
    <message>
        <source>Device name:</source>
        <translation>Nazwa urządzenia:</translation>
    </message>
    <message>
        <source>Enter device name</source>
        <translation>Wpisz nazwę urządzenia</translation>
    </message>
    <message>
        <source>Device type:</source>
        <translation>Typ urządzenia:</translation>
    </message>
    <message>
        <source>Local device files</source>
        <translation>Lokalne pliki urządzenia</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Przeglądaj</translation>
    </message>
    <message>
        <source>Online parametrs</source>
        <translation>Parametry online</translation>
    </message>
    <message>
        <source>IP addres:</source>
        <translation>Adres IP:</translation>
    </message>
    <message>
        <source>Protocol:</source>
        <translation>Protokół:</translation>
    </message>
    <message>
        <source>FTP - File Transfer Protocol</source>
        <translation>FTP - protokół przesyłania plików</translation>
    </message>
    <message>
        <source>FTPS - Encypted FTP File Transfer Protocol</source>
        <translation>FTPS - szyfrowany protokół przesyłania plików FTP</translation>
    </message>
    <message>
        <source>SFTP - SSH File Transfer Protocol</source>
        <translation>SFTP - protokół przesyłania plików SSH</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>Użytkownik:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Hasło:</translation>
    </message>
    <message>
        <source>Default tekst on red that will be later changed and displayed...</source>
        <translation>Domyślny czerwony tekst, który zostanie później zmieniony i wyświetlony...</translation>
    </message>
    <message>
        <source>Editing device</source>
        <translation>Edycja urządzenia</translation>
    </message>
    <message>
        <source>Adding new device</source>
        <translation>Dodawanie nowego urządzenia</translation>
    </message>
    <message>
        <source>This device cannot be added
 because of incompatible files in the database.</source>
        <translation>Tego urządzenia nie można dodać
 z powodu niezgodnych plików w bazie danych.</translation>
    </message>
    <message>
        <source>Please enter device name.</source>
        <translation>Wpisz nazwę urządzenia.</translation>
    </message>
    <message>
        <source>Path to local files is empty.</source>
        <translation>Ścieżka do plików lokalnych jest pusta.</translation>
    </message>
    <message>
        <source>Path to long!.</source>
        <translation>Ścieżka jest za długa!</translation>
    </message>
    <message>
        <source>Invalid IP address.</source>
        <translation>Nieprawidłowy adres IP.</translation>
    </message>
    <message>
        <source>User name not exits.</source>
        <translation>Brak nazwy użytkownika.</translation>
    </message>
    <message>
        <source>Password empty.</source>
        <translation>Hasło jest puste.</translation>
    </message>
    <message>
        <source>SFTP is not supported. Please choose FTP or FTPS.</source>
        <translation>SFTP nie jest obsługiwany. Wybierz FTP lub FTPS.</translation>
    </message>
    <message>
        <source>Please choose Brena's configuration files.</source>
        <translation>Wybierz pliki konfiguracyjne miernika Brena.</translation>
    </message>
    <message>
        <source>File mbd_m_rs.xml is required, units.xml is optional</source>
        <translation>Plik mbd_m_rs.xml jest wymagany, units.xml jest opcjonalny</translation>
    </message>
</context>
<context>
    <name>DataImportDialog</name>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>Local files</source>
        <translation>Pliki lokalne</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importuj</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Pobierz</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>FTP source</source>
        <translation>Źródło FTP</translation>
    </message>
    <message>
        <source>Local folders source</source>
        <translation>Źródło: foldery lokalne</translation>
    </message>
    <message>
        <source>Importing data</source>
        <translation>Import danych</translation>
    </message>
    <message>
        <source>File </source>
        <translation>Plik </translation>
    </message>
    <message>
        <source>from</source>
        <translation>z</translation>
    </message>
    <message>
        <source>Download files</source>
        <translation>Pobierz pliki</translation>
    </message>
    <message>
        <source>Delete files</source>
        <translation>Usuń pliki</translation>
    </message>
    <message>
        <source>Download files from FTP server </source>
        <translation>Pobieranie plików z serwera FTP </translation>
    </message>
    <message>
        <source>Download files from FTP server:  </source>
        <translation>Pobieranie plików z serwera FTP:  </translation>
    </message>
    <message>
        <source>Operation was canceled</source>
        <translation>Operacja została anulowana</translation>
    </message>
    <message>
        <source>Error: %1
Buffer: %2</source>
        <translation>Błąd: %1
Bufor: %2</translation>
    </message>
    <message>
        <source>The file: </source>
        <translation>Plik: </translation>
    </message>
    <message>
        <source> was not saved, because file exist</source>
        <translation> nie został zapisany, ponieważ plik istnieje</translation>
    </message>
    <message>
        <source> was not saved, because its name is not valid</source>
        <translation> nie został zapisany, ponieważ jego nazwa jest nieprawidłowa</translation>
    </message>
    <message>
        <source> was not deleted, because its name is not valid</source>
        <translation> nie został usunięty, ponieważ jego nazwa jest nieprawidłowa</translation>
    </message>
    <message>
        <source>Error writing to the file. Download was break!!!</source>
        <translation>Błąd zapisu do pliku. Pobieranie zostało przerwane!</translation>
    </message>
    <message>
        <source> was saved, OK</source>
        <translation> został zapisany, OK</translation>
    </message>
    <message>
        <source> was deleted, OK</source>
        <translation> został usunięty, OK</translation>
    </message>
    <message>
        <source>Download operation was canceled</source>
        <translation>Pobieranie zostało anulowane</translation>
    </message>
    <message>
        <source>Delete operation was canceled</source>
        <translation>Usuwanie zostało anulowane</translation>
    </message>
    <message>
        <source>Delete files in FTP server: </source>
        <translation>Usuwanie plików na serwerze FTP: </translation>
    </message>
    <message>
        <source>Delete %1 file(s) on the server?</source>
        <translation>Usunąć %1 plik(ów) na serwerze?</translation>
    </message>
    <message>
        <source>The local folder of the device is not set. Files cannot be downloaded.</source>
        <translation>Folder lokalny urządzenia nie jest ustawiony. Nie można pobrać plików.</translation>
    </message>
</context>
</TS>
