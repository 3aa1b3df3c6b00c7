<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>DeviceSelectDialog</name>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="8"/>
        <source>Select device type</source>
        <translation>Wybierz typ urządzenia</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="13"/>
        <source>Devices:</source>
        <translation>Urządzenia:</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="26"/>
        <source>Power network meters and analyzers</source>
        <translation>Mierniki i analizatory parametrów sieci</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="137"/>
        <source>Recorders</source>
        <translation>Rejestratory</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="235"/>
        <source>Transducers</source>
        <translation>Przetworniki</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="257"/>
        <source>WexB</source>
        <translation>WexB</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="270"/>
        <source>WexA</source>
        <translation>WexA</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="283"/>
        <source>WexC</source>
        <translation>WexC</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="296"/>
        <source>WexD</source>
        <translation>WexD</translation>
    </message>
    <message>
        <location filename="../../forms/DeviceSelectDialog.ui" line="309"/>
        <source>Ravel</source>
        <translation>Ravel</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="58"/>
        <source>Data files (*.MoxBArch*)</source>
        <translation>Pliki danych (*.MoxBArch*)</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="59"/>
        <source>Audit files (*audit.log*)</source>
        <translation>Pliki audytu (*audit.log*)</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="60"/>
        <source>Alarm files (*alarm.log*)</source>
        <translation>Pliki alarmów (*alarm.log*)</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="61"/>
        <source>Settings files (*settings.MoxBArch*)</source>
        <translation>Pliki ustawień (*settings.MoxBArch*)</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="80"/>
        <source>Invalid file</source>
        <translation>Nieprawidłowy plik</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="160"/>
        <location filename="../../app/MainWindow_open.cpp" line="165"/>
        <location filename="../../app/MainWindow_open.cpp" line="302"/>
        <source>Select file</source>
        <translation>Wybierz plik</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="163"/>
        <source>The selected file &apos;%1&apos; is a settings file and cannot be opened as a data file.</source>
        <translation>Wybrany plik &apos;%1&apos; jest plikiem ustawień i nie może zostać otwarty jako plik danych.</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="175"/>
        <location filename="../../app/MainWindow_open.cpp" line="310"/>
        <source>The selected file &apos;%1&apos; is neither a SQLite (.sqlite3) nor a CSV (.csv) file.</source>
        <translation>Wybrany plik &apos;%1&apos; nie jest ani plikiem SQLite (.sqlite3), ani plikiem CSV (.csv).</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="189"/>
        <source>Do you want to choose config files?</source>
        <translation>Czy chcesz wybrać pliki konfiguracyjne?</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="190"/>
        <source>You can select configuration files to make view more readable. (File mbd_m_rs.xml is required, units.xml is optional)</source>
        <translation>Możesz wybrać pliki konfiguracyjne, aby widok był czytelniejszy. (Plik mbd_m_rs.xml jest wymagany, units.xml jest opcjonalny)</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="222"/>
        <source>Enter new Database name</source>
        <translation>Podaj nazwę nowej bazy danych</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="231"/>
        <source>File already exists. Do you want to overwrite it?</source>
        <translation>Plik już istnieje. Czy chcesz go nadpisać?</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="240"/>
        <source>Unable to create file.</source>
        <translation>Nie można utworzyć pliku.</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="285"/>
        <source>Upload Setting File</source>
        <translation>Wczytaj plik ustawień</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="286"/>
        <source>Do you want to upload a setting file?</source>
        <translation>Czy chcesz wczytać plik ustawień?</translation>
    </message>
    <message>
        <location filename="../../app/MainWindow_open.cpp" line="305"/>
        <source>The selected file &apos;%1&apos; is not a settings file!!!</source>
        <translation>Wybrany plik &apos;%1&apos; nie jest plikiem ustawień!!!</translation>
    </message>
</context>
<context>
    <name>MoxBSourceDataSelectorDialog</name>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="49"/>
        <source>Select file type</source>
        <translation>Wybierz typ pliku</translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="50"/>
        <source>Source file</source>
        <translation>Plik źródłowy</translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="51"/>
        <source>Data file </source>
        <translation>Plik danych </translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="52"/>
        <source>Audit file </source>
        <translation>Plik audytu </translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="53"/>
        <source>Alarm file </source>
        <translation>Plik alarmów </translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="78"/>
        <source>Invalid Selection</source>
        <translation>Nieprawidłowy wybór</translation>
    </message>
    <message>
        <location filename="../../app/MoxBSourceDataSelectorDialog.cpp" line="79"/>
        <source>Please select a file type option.</source>
        <translation>Wybierz typ pliku.</translation>
    </message>
</context>
<context>
    <name>SettingFileDialog</name>
    <message>
        <location filename="../../app/SettingFileDialog.cpp" line="30"/>
        <source>Dialog</source>
        <translation>Okno dialogowe</translation>
    </message>
    <message>
        <location filename="../../app/SettingFileDialog.cpp" line="31"/>
        <source>Do you want to import settings file?</source>
        <translation>Czy chcesz zaimportować plik ustawień?</translation>
    </message>
    <message>
        <location filename="../../app/SettingFileDialog.cpp" line="32"/>
        <source>Yes</source>
        <translation>Tak</translation>
    </message>
    <message>
        <location filename="../../app/SettingFileDialog.cpp" line="33"/>
        <source>No</source>
        <translation>Nie</translation>
    </message>
</context>
<context>
    <name>SourceDataSelectorDialog</name>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="55"/>
        <source>Select file type</source>
        <translation>Wybierz typ pliku</translation>
    </message>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="56"/>
        <source>Source file</source>
        <translation>Plik źródłowy</translation>
    </message>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="57"/>
        <source>Data file</source>
        <translation>Plik danych</translation>
    </message>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="58"/>
        <source>Audit file</source>
        <translation>Plik audytu</translation>
    </message>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="59"/>
        <source>Dip and swell file</source>
        <translation>Plik zapadów i wzrostów</translation>
    </message>
    <message>
        <location filename="../../app/SourceDataSelectorDialog.cpp" line="60"/>
        <source>Alarm file</source>
        <translation>Plik alarmów</translation>
    </message>
</context>
</TS>
