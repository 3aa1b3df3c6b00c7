<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ArchiveManager</name>
    <message>
        <source>Device &quot;%1&quot; already exists. Names that differ only in letter case would share its data columns.</source>
        <translation>Urządzenie &quot;%1&quot; już istnieje. Nazwy różniące się tylko wielkością liter dzieliłyby jego kolumny danych.</translation>
    </message>
    <message>
        <source>The name &quot;%1&quot; cannot be used beside device &quot;%2&quot;: when a name ends in &quot; (&quot; and another device&apos;s name, their data columns cannot be told apart.</source>
        <translation>Nazwy &quot;%1&quot; nie można użyć obok urządzenia &quot;%2&quot;: gdy nazwa kończy się na &quot; (&quot; i nazwę innego urządzenia, ich kolumn danych nie da się rozróżnić.</translation>
    </message>
    <message>
        <source>Device &quot;%1&quot; cannot be renamed to &quot;%2&quot;: one of its data columns would take the name of the column &quot;%3&quot; in %4, which holds other data.</source>
        <translation>Nie można zmienić nazwy urządzenia &quot;%1&quot; na &quot;%2&quot;: jedna z jego kolumn danych przyjęłaby nazwę kolumny &quot;%3&quot; w %4, która zawiera inne dane.</translation>
    </message>
</context>
<context>
    <name>MyAbstractTableModel</name>
    <message>
        <source>The data cannot be read: %1</source>
        <translation>Nie można odczytać danych: %1</translation>
    </message>
</context>
<context>
    <name>RecorderImport</name>
    <message>
        <source>The column &quot;%1&quot; of device &quot;%2&quot; would be the column &quot;%3&quot; of parameter &quot;%4&quot; of device &quot;%5&quot;. Nothing was imported.</source>
        <translation>Kolumna &quot;%1&quot; urządzenia &quot;%2&quot; byłaby kolumną &quot;%3&quot; parametru &quot;%4&quot; urządzenia &quot;%5&quot;. Niczego nie zaimportowano.</translation>
    </message>
</context>
</TS>
