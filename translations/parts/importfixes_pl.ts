<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ArchiveManager</name>
    <message>
        <source>The temporary folder %1 cannot take the data of the import: %2</source>
        <translation>Folder tymczasowy %1 nie może przyjąć danych importu: %2</translation>
    </message>
    <message>
        <source>The database file %1 was deleted or replaced while it was open. Nothing was written to it; open the database again.</source>
        <translation>Plik bazy danych %1 został usunięty lub zastąpiony, gdy był otwarty. Nic do niego nie zapisano; otwórz bazę ponownie.</translation>
    </message>
</context>
<context>
    <name>Framework</name>
    <message>
        <source>The whole file was imported: %1</source>
        <translation>Plik zaimportowano w całości: %1</translation>
    </message>
    <message>
        <source>%2 values of the file %1 were stored before the cancel; importing the file again completes it.</source>
        <translation>Przed anulowaniem zapisano %2 wartości z pliku %1; ponowny import pliku uzupełni resztę.</translation>
    </message>
    <message>
        <source>%2 values of the file %1 were stored before the failure; importing the file again completes it.</source>
        <translation>Przed błędem zapisano %2 wartości z pliku %1; ponowny import pliku uzupełni resztę.</translation>
    </message>
    <message>
        <source>Nothing of the file %1 was stored.</source>
        <translation>Z pliku %1 nic nie zapisano.</translation>
    </message>
    <message>
        <source>no room left</source>
        <translation>brak wolnego miejsca</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>The file &apos;%1&apos; cannot be opened as the Quorlog database: the file or its folder cannot be written.</source>
        <translation>Pliku „%1” nie można otworzyć jako bazy Quorlog: do pliku lub jego folderu nie można zapisywać.</translation>
    </message>
</context>
<context>
    <name>ZelDXPqdifParser</name>
    <message>
        <source>Samples already stored, not added again: %1</source>
        <translation>Próbki już zapisane, niedodane ponownie: %1</translation>
    </message>
</context>
</TS>
