<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="sr_RS@latin" sourcelanguage="en">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>U redu</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Da</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Ne</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Otkaži</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Sačuvaj</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Otvori</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zatvori</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Pomoć</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Primeni</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Poništi</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Pokušaj ponovo</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Zanemari</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Prekini</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Odbaci</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>Sačuvaj sve</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>Da za &amp;sve</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>N&amp;e za sve</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>Vrati podrazumevano</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>U redu</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Look in:</source>
        <translation>Traži u:</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>&amp;Ime fajla:</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Vrsta fajlova:</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Sačuvaj</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Otvori</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Otvori</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Sačuvaj kao</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Nazad</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Napred</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Idi nazad</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>Idi napred</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Nadređeni folder</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>Idi u nadređeni folder</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>Napravi novi folder</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>Napravi novi folder</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Novi folder</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>&amp;Novi folder</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>Spisak</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>Detalji</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>Prikaži kao spisak</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>Prikaži sa detaljima</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Preimenuj</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Obriši</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Obriši</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Ukloni</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>Prikaži &amp;skrivene fajlove</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Folderi</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fajlovi</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>Nedavna mesta</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Bočna traka</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>Spisak mesta i obeleživača</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Svi fajlovi (*)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Svi fajlovi (*)</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>&amp;Izaberi</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>Pronađi folder</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>Folder ne može da se obriše.</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>Da li sigurno želite da obrišete &apos;%1&apos;?</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; je zaštićen od upisa.
Da li ipak želite da ga obrišete?</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 već postoji.
Da li želite da ga zamenite?</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
Fajl nije pronađen.
Proverite da li je ime fajla tačno.</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
Folder nije pronađen.
Proverite da li je ime foldera tačno.</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>Ime</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Veličina</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Vrsta</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Vrsta</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Izmenjen</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Moj računar</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Računar</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>File</source>
        <translation>Fajl</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Disk</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Nepoznato</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>Prečica</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Prečica</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Opozovi</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Ponovi</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Iseci</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopiraj</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Nalepi</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Obriši</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Izaberi sve</translation>
    </message>
</context>
</TS>
