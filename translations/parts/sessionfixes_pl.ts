<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Framework</name>
    <message>
        <source>The file %1 is not a recorder archive.</source>
        <translation>Plik %1 nie jest archiwum rejestratora.</translation>
    </message>
    <message>
        <source>The file %1 is not a recorder audit log.</source>
        <translation>Plik %1 nie jest dziennikiem audytu rejestratora.</translation>
    </message>
    <message>
        <source>The file %1 is not a recorder alarm log.</source>
        <translation>Plik %1 nie jest dziennikiem alarmów rejestratora.</translation>
    </message>
    <message>
        <source>The settings file %1 has no parameters section (&quot;Parameters&quot; or &quot;Parametry&quot;).</source>
        <translation>Plik ustawień %1 nie ma sekcji parametrów (&quot;Parameters&quot; ani &quot;Parametry&quot;).</translation>
    </message>
    <message>
        <source>The file %1 is no settings file (.sqlite3 or .csv), and the database holds no settings of an earlier import (ParametersSettings) to take the units from.</source>
        <translation>Plik %1 nie jest plikiem ustawień (.sqlite3 ani .csv), a baza danych nie zawiera ustawień z wcześniejszego importu (ParametersSettings), z których można wziąć jednostki.</translation>
    </message>
</context>
</TS>
