<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>digitalSignPage</name>
    <message>
        <source>Digital signature verification</source>
        <translation>Weryfikacja podpisu cyfrowego</translation>
    </message>
    <message>
        <source>Data file:</source>
        <translation>Plik danych:</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>Wybierz...</translation>
    </message>
    <message>
        <source>Signature file:</source>
        <translation>Plik podpisu:</translation>
    </message>
    <message>
        <source>Import public key</source>
        <translation>Importuj klucz publiczny</translation>
    </message>
    <message>
        <source>Check signature</source>
        <translation>Sprawdź podpis</translation>
    </message>
    <message>
        <source>To verify the signature, you must have the corresponding public key in your keychain.

You can import a key at any time by clicking &apos;Import Public Key&apos; and selecting the file (for MoxB, you will find it in the &apos;MoxB\DigitalSign\&apos; folder).

!!! In case of error, try running Quorlog with administrator privileges. !!!

Next, select the signed data file and the corresponding signature file.

Finally, click &apos;Check signature&apos;. The verification result will be displayed here.</source>
        <translation>Aby zweryfikować podpis, musisz mieć odpowiedni klucz publiczny w swoim magazynie kluczy.

Klucz możesz zaimportować w każdej chwili, klikając &apos;Importuj klucz publiczny&apos; i wybierając plik (dla MoxB znajdziesz go w folderze &apos;MoxB\DigitalSign\&apos;).

!!! W razie błędu spróbuj uruchomić Quorlog z uprawnieniami administratora. !!!

Następnie wybierz podpisany plik danych i odpowiadający mu plik podpisu.

Na koniec kliknij &apos;Sprawdź podpis&apos;. Wynik weryfikacji pojawi się tutaj.</translation>
    </message>
    <message>
        <source>Select data file</source>
        <translation>Wybierz plik danych</translation>
    </message>
    <message>
        <source>Data files (*.MoxBArch.csv *.MoxBArch.sqlite3 ????????.CSV)</source>
        <translation>Pliki danych (*.MoxBArch.csv *.MoxBArch.sqlite3 ????????.CSV)</translation>
    </message>
    <message>
        <source>Select signature file</source>
        <translation>Wybierz plik podpisu</translation>
    </message>
    <message>
        <source>Signature files (*.sig *.asc *.SIG)</source>
        <translation>Pliki podpisu (*.sig *.asc *.SIG)</translation>
    </message>
    <message>
        <source>At least one label is empty!!!</source>
        <translation>Co najmniej jedno pole jest puste!!!</translation>
    </message>
    <message>
        <source>VERIFICATION PASS: The file is authentic and has not been modified. 
 Device MAC: </source>
        <translation>WERYFIKACJA POZYTYWNA: Plik jest autentyczny i nie został zmodyfikowany. 
 MAC urządzenia: </translation>
    </message>
    <message>
        <source>NEGATIVE VERIFICATION: Signature does not match or file has been modified.</source>
        <translation>WERYFIKACJA NEGATYWNA: Podpis nie pasuje lub plik został zmodyfikowany.</translation>
    </message>
    <message>
        <source>Checking signature...</source>
        <translation>Sprawdzanie podpisu...</translation>
    </message>
    <message>
        <source>Error: The gpg.exe file was not found. Make sure it is in the &apos;gpg/bin&apos; folder.</source>
        <translation>Błąd: Nie znaleziono pliku gpg.exe. Upewnij się, że znajduje się w folderze &apos;gpg/bin&apos;.</translation>
    </message>
    <message>
        <source>GnuPG could not be started: %1</source>
        <translation>Nie można uruchomić GnuPG: %1</translation>
    </message>
    <message>
        <source>GnuPG ended abnormally.</source>
        <translation>GnuPG zakończył działanie nieprawidłowo.</translation>
    </message>
    <message>
        <source>GnuPG ended with exit code %1.</source>
        <translation>GnuPG zakończył działanie z kodem %1.</translation>
    </message>
    <message>
        <source>Select public key file</source>
        <translation>Wybierz plik klucza publicznego</translation>
    </message>
    <message>
        <source>Public keys (*.asc *.pub)</source>
        <translation>Klucze publiczne (*.asc *.pub)</translation>
    </message>
    <message>
        <source>Importing public key...</source>
        <translation>Importowanie klucza publicznego...</translation>
    </message>
    <message>
        <source>The GnuPG import process did not finish within the expected time.</source>
        <translation>Proces importu GnuPG nie zakończył się w oczekiwanym czasie.</translation>
    </message>
    <message>
        <source>Failed to import the key.
</source>
        <translation>Nie udało się zaimportować klucza.
</translation>
    </message>
    <message>
        <source>The public key was successfully imported.</source>
        <translation>Klucz publiczny został pomyślnie zaimportowany.</translation>
    </message>
</context>
</TS>
