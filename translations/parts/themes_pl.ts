<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>ThemeWindow</name>
    <message>
        <source>Form</source>
        <translation>Formularz</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Ciemny</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Jasny</translation>
    </message>
    <message>
        <source>Pale Olive</source>
        <translation>Blada oliwka</translation>
    </message>
    <message>
        <source>Chocolate Red</source>
        <translation>Czekoladowa czerwień</translation>
    </message>
    <message>
        <source>Pale Blue</source>
        <translation>Blady błękit</translation>
    </message>
    <message>
        <source>User theme</source>
        <translation>Motyw użytkownika</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edytuj</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Usuń</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Akceptuj</translation>
    </message>
</context>
<context>
    <name>ThemeEditWindow</name>
    <message>
        <source>Form</source>
        <translation>Formularz</translation>
    </message>
    <message>
        <source>Standard window colors for theme</source>
        <translation>Standardowe kolory okien motywu</translation>
    </message>
    <message>
        <source>Background 1: </source>
        <translation>Tło 1: </translation>
    </message>
    <message>
        <source>Background 2: </source>
        <translation>Tło 2: </translation>
    </message>
    <message>
        <source>Table border 1: </source>
        <translation>Obramowanie tabeli 1: </translation>
    </message>
    <message>
        <source>Background 3: </source>
        <translation>Tło 3: </translation>
    </message>
    <message>
        <source>Disabled text: </source>
        <translation>Tekst nieaktywny: </translation>
    </message>
    <message>
        <source>Background 4: </source>
        <translation>Tło 4: </translation>
    </message>
    <message>
        <source>Table border 2: </source>
        <translation>Obramowanie tabeli 2: </translation>
    </message>
    <message>
        <source>Highlight 1: </source>
        <translation>Wyróżnienie 1: </translation>
    </message>
    <message>
        <source>Highlight 2: </source>
        <translation>Wyróżnienie 2: </translation>
    </message>
    <message>
        <source>Text: </source>
        <translation>Tekst: </translation>
    </message>
    <message>
        <source>Text 2: </source>
        <translation>Tekst 2: </translation>
    </message>
    <message>
        <source>Chart back: </source>
        <translation>Tło wykresu: </translation>
    </message>
    <message>
        <source>Additional colors (dataFilter, calendar, digitalSignPage)</source>
        <translation>Kolory dodatkowe (filtr danych, kalendarz, strona podpisu)</translation>
    </message>
    <message>
        <source>Icon color: </source>
        <translation>Kolor ikon: </translation>
    </message>
    <message>
        <source>DataFilter text: </source>
        <translation>Tekst filtra: </translation>
    </message>
    <message>
        <source>DataFilter text 2: </source>
        <translation>Tekst filtra 2: </translation>
    </message>
    <message>
        <source>Weekend text: </source>
        <translation>Tekst weekendu: </translation>
    </message>
    <message>
        <source>Calendar text: </source>
        <translation>Tekst kalendarza: </translation>
    </message>
    <message>
        <source>Weekend text 2: </source>
        <translation>Tekst weekendu 2: </translation>
    </message>
    <message>
        <source>Calendar back: </source>
        <translation>Tło kalendarza: </translation>
    </message>
    <message>
        <source>Console info: </source>
        <translation>Konsola – informacja: </translation>
    </message>
    <message>
        <source>Console warning: </source>
        <translation>Konsola – ostrzeżenie: </translation>
    </message>
    <message>
        <source>Console critical: </source>
        <translation>Konsola – błąd: </translation>
    </message>
    <message>
        <source>Palette brightness for trends and reportView colors</source>
        <translation>Jasność palety kolorów wykresów i raportów</translation>
    </message>
    <message>
        <source>Bright</source>
        <translation>Jasna</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Akceptuj</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Odrzuć</translation>
    </message>
    <message>
        <source>Select a color</source>
        <translation>Wybierz kolor</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Ciemna</translation>
    </message>
</context>
</TS>
