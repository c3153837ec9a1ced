<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="sr">
<context>
    <name>Tarvelo</name>
    <message>
        <source>CD nije u drajvu!</source>
        <translation>There is no disc in the drive!</translation>
    </message>
    <message>
        <source>Disk ne može da se pročita.</source>
        <translation>The disc cannot be read.</translation>
    </message>
    <message>
        <source>Fajl &apos;%1&apos; već postoji.
Da li želite da zamenite postojeći fajl?</source>
        <translation>The file &apos;%1&apos; already exists.
Do you want to replace the existing file?</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Fajl</source>
        <translation>File</translation>
    </message>
    <message>
        <source>%1 fajl</source>
        <translation>%1 file</translation>
    </message>
    <message>
        <source>Greška prilikom brisanja fajla.</source>
        <translation>The file could not be deleted.</translation>
    </message>
    <message>
        <source>Greška prilikom upisa izveštaja.</source>
        <translation>The report could not be written.</translation>
    </message>
    <message>
        <source>Izveštaj nije potpun.</source>
        <translation>The report is incomplete.</translation>
    </message>
    <message>
        <source>Nije slika diska ni folder koji može da se pročita.</source>
        <translation>This is no disc image or folder that can be read.</translation>
    </message>
    <message>
        <source>Otvori sliku diska</source>
        <translation>Open a disc image</translation>
    </message>
    <message>
        <source>Prekinuti generisanje izveštaja?</source>
        <translation>Stop writing the report?</translation>
    </message>
    <message>
        <source>Preskočeno arhiva koje ne mogu da se pročitaju: %1</source>
        <translation>Archives skipped as unreadable: %1</translation>
    </message>
    <message>
        <source>Sačuvaj izveštaj kao...</source>
        <translation>Save the report as...</translation>
    </message>
    <message>
        <source>Slike diska (*.iso)</source>
        <translation>Disc images (*.iso)</translation>
    </message>
    <message>
        <source>Svi fajlovi (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Tarvelo [Generišem... %1%]</source>
        <translation>Tarvelo [Writing... %1%]</translation>
    </message>
    <message>
        <source>Tarvelo [Generišem...]</source>
        <translation>Tarvelo [Writing...]</translation>
    </message>
    <message>
        <source>Tarvelo nije detektovao nijedan CD-ROM uređaj na vašem sistemu.</source>
        <translation>Tarvelo found no CD-ROM drive on your system.</translation>
    </message>
    <message>
        <source>Text fajlovi (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>Uspešno generisan izveštaj!</source>
        <translation>The report was written!</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>Uređaj:</source>
        <translation>Drive:</translation>
    </message>
    <message>
        <source>&amp;Izađi</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Prikaži sadržaj .zip arhiva</source>
        <translation>List .zip archive contents</translation>
    </message>
    <message>
        <source>Prikaži sadržaj .rar arhiva</source>
        <translation>List .rar archive contents</translation>
    </message>
    <message>
        <source>O programu...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>&amp;Generiši izveštaj</source>
        <translation>&amp;Generate report</translation>
    </message>
</context>
</TS>
