<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ClockHands</name>
    <message>
        <source>%1 - Jotterbox</source>
        <translation>%1 - Jotterbox</translation>
    </message>
</context>
<context>
    <name>DesktopEntry</name>
    <message>
        <source>cannot make the folder of %1</source>
        <translation>der Ordner für %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot remove %1</source>
        <translation>%1 kann nicht entfernt werden</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
</context>
<context>
    <name>GnomeShortcuts</name>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>GNOME does not let programs have global hot keys of their own.

Add Ctrl+Alt+N (new note) and Ctrl+Alt+L (show or hide the list) to GNOME&apos;s keyboard shortcuts? You can change or remove them later in Settings, Keyboard, Keyboard Shortcuts, Custom Shortcuts.</source>
        <translation>GNOME erlaubt Programmen keine eigenen globalen Tastenkürzel.

Sollen Strg+Alt+N (neue Notiz) und Strg+Alt+L (Liste anzeigen oder ausblenden) zu den Tastenkürzeln von GNOME hinzugefügt werden? Sie können sie später unter Einstellungen, Tastatur, Tastaturkürzel, Eigene Tastenkürzel ändern oder entfernen.</translation>
    </message>
    <message>
        <source>The keyboard shortcuts could not be added to GNOME&apos;s settings.

%1</source>
        <translation>Die Tastenkürzel konnten nicht zu den Einstellungen von GNOME hinzugefügt werden.

%1</translation>
    </message>
</context>
<context>
    <name>JbxMessages</name>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation>Listenindex außerhalb des gültigen Bereichs (%1)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>„%1“ ist keine gültige Uhrzeit</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Fehler beim Lesen des Datenstroms</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>Fehler beim Schreiben des Datenstroms</translation>
    </message>
</context>
<context>
    <name>PasswordCommand</name>
    <message>
        <source>The password command could not be started.</source>
        <translation>Der Passwort-Befehl konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>The password command did not finish in time.</source>
        <translation>Der Passwort-Befehl ist nicht rechtzeitig fertig geworden.</translation>
    </message>
    <message>
        <source>The password command failed (exit code %1).</source>
        <translation>Der Passwort-Befehl ist fehlgeschlagen (Exit-Code %1).</translation>
    </message>
    <message>
        <source>The password command printed no password.</source>
        <translation>Der Passwort-Befehl hat kein Passwort ausgegeben.</translation>
    </message>
    <message>
        <source>The password command printed more than 64 KiB.</source>
        <translation>Der Passwortbefehl hat mehr als 64 KiB ausgegeben.</translation>
    </message>
</context>
<context>
    <name>PrintText</name>
    <message>
        <source>Unable to print: the printer could not be opened.</source>
        <translation>Drucken nicht möglich: Der Drucker konnte nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>larger than %1 MB</source>
        <translation>größer als %1 MB</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>SaveText</name>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>File already exists. Are you sure you want to overwrite it?</source>
        <translation>Die Datei ist bereits vorhanden. Möchten Sie sie wirklich überschreiben?</translation>
    </message>
</context>
<context>
    <name>TAlertNotices</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Acknowledged</source>
        <translation>Zur Kenntnis genommen</translation>
    </message>
    <message>
        <source>Snooze 5 minutes</source>
        <translation>In 5 Minuten erneut erinnern</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
</context>
<context>
    <name>TCalDavClient</name>
    <message>
        <source>The address is not an http:// or https:// address.</source>
        <translation>Die Adresse ist keine http://- oder https://-Adresse.</translation>
    </message>
    <message>
        <source>Plain http:// is allowed only to this computer; use https:// so the password is not sent in the clear.</source>
        <translation>Unverschlüsseltes http:// ist nur zu diesem Computer erlaubt; verwenden Sie https://, damit das Passwort nicht im Klartext gesendet wird.</translation>
    </message>
    <message>
        <source>The certificate file %1 holds no certificate that could be read.</source>
        <translation>Die Zertifikatsdatei %1 enthält kein lesbares Zertifikat.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is larger than %1 MiB.</source>
        <translation>Die Antwort des Servers ist größer als %1 MiB.</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>No secure connection could be made: %1</source>
        <translation>Es konnte keine sichere Verbindung hergestellt werden: %1</translation>
    </message>
    <message>
        <source>Nothing answers at %1.</source>
        <translation>Unter %1 antwortet nichts.</translation>
    </message>
    <message>
        <source>The server name %1 is not known.</source>
        <translation>Der Servername %1 ist unbekannt.</translation>
    </message>
    <message>
        <source>The server closed the connection without an answer; perhaps it wants https://.</source>
        <translation>Der Server hat die Verbindung ohne Antwort geschlossen; vielleicht erwartet er https://.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not HTTP: %1</source>
        <translation>Die Antwort des Servers ist kein HTTP: %1</translation>
    </message>
    <message>
        <source>The server could not be reached: %1</source>
        <translation>Der Server ist nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>The server refused the user name or password.</source>
        <translation>Der Server hat Benutzername oder Passwort abgelehnt.</translation>
    </message>
    <message>
        <source>The task was changed on the server meanwhile.</source>
        <translation>Die Aufgabe wurde inzwischen auf dem Server geändert.</translation>
    </message>
    <message>
        <source>The server reported an error (HTTP %1).</source>
        <translation>Der Server hat einen Fehler gemeldet (HTTP %1).</translation>
    </message>
    <message>
        <source>The server sends this address elsewhere (HTTP %1); enter the address of the task list itself.</source>
        <translation>Der Server leitet diese Adresse weiter (HTTP %1); geben Sie die Adresse der Aufgabenliste selbst ein.</translation>
    </message>
    <message>
        <source>The server gave an unexpected answer (HTTP %1).</source>
        <translation>Der Server hat unerwartet geantwortet (HTTP %1).</translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be read: %1</source>
        <translation>Die Antwort des Servers konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>There is nothing at this address on the server.</source>
        <translation>Unter dieser Adresse gibt es auf dem Server nichts.</translation>
    </message>
    <message>
        <source>The server answers, but not as a CalDAV server.</source>
        <translation>Der Server antwortet, aber nicht als CalDAV-Server.</translation>
    </message>
    <message>
        <source>This address is an item, not a task list.</source>
        <translation>Diese Adresse ist ein Eintrag, keine Aufgabenliste.</translation>
    </message>
    <message>
        <source>This address is a folder, not a calendar.</source>
        <translation>Diese Adresse ist ein Ordner, kein Kalender.</translation>
    </message>
    <message>
        <source>This calendar does not hold tasks.</source>
        <translation>Dieser Kalender enthält keine Aufgaben.</translation>
    </message>
    <message>
        <source>The server no longer knows the last sync; all tasks are compared again.</source>
        <translation>Der Server kennt den letzten Abgleich nicht mehr; alle Aufgaben werden neu verglichen.</translation>
    </message>
    <message>
        <source>the server does not take this task (HTTP %1)</source>
        <translation>der Server nimmt diese Aufgabe nicht an (HTTP %1)</translation>
    </message>
    <message>
        <source>not allowed to change this task</source>
        <translation>keine Berechtigung, diese Aufgabe zu ändern</translation>
    </message>
    <message>
        <source>the task is too large for the server</source>
        <translation>die Aufgabe ist zu groß für den Server</translation>
    </message>
    <message>
        <source>the server has no room left</source>
        <translation>der Server hat keinen Platz mehr</translation>
    </message>
</context>
<context>
    <name>TConnectionTest</name>
    <message>
        <source>Type the address of the task list first.</source>
        <translation>Geben Sie zuerst die Adresse der Aufgabenliste ein.</translation>
    </message>
    <message>
        <source>The address must start with https:// and name a server, as in https://cloud.example.org/remote.php/dav/calendars/me/tasks/.</source>
        <translation>Die Adresse muss mit https:// beginnen und einen Server nennen, etwa https://cloud.example.org/remote.php/dav/calendars/me/tasks/.</translation>
    </message>
    <message>
        <source>Connected: the task list is there.</source>
        <translation>Verbunden: Die Aufgabenliste ist da.</translation>
    </message>
</context>
<context>
    <name>TDataStore</name>
    <message>
        <source>Cannot copy %1 to %2: %3</source>
        <translation>%1 kann nicht nach %2 kopiert werden: %3</translation>
    </message>
    <message>
        <source>%1

Your tasks were saved to %2 instead.</source>
        <translation>%1

Ihre Aufgaben wurden stattdessen in %2 gespeichert.</translation>
    </message>
    <message>
        <source>%1

Your tasks could not be saved anywhere else either (%2). Free some space or make the folder writable.</source>
        <translation>%1

Ihre Aufgaben konnten auch sonst nirgends gespeichert werden (%2). Schaffen Sie Platz oder machen Sie den Ordner beschreibbar.</translation>
    </message>
</context>
<context>
    <name>TFontColorDialog</name>
    <message>
        <source>Font</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>&amp;Color:</source>
        <translation>&amp;Farbe:</translation>
    </message>
    <message>
        <source>Choose the colour of the text</source>
        <translation>Farbe des Textes wählen</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
</context>
<context>
    <name>TFormAbout</name>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>© 2026 The Jotterbox authors</source>
        <translation>© 2026 Die Autoren von Jotterbox</translation>
    </message>
    <message>
        <source>Click to visit the Web site.</source>
        <translation>Klicken Sie hier, um die Website zu besuchen.</translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation>O&amp;K</translation>
    </message>
    <message>
        <source>Click to close this dialog box.</source>
        <translation>Klicken Sie hier, um dieses Fenster zu schließen.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Learn how to use Jotterbox.</source>
        <translation>Erfahren Sie, wie Sie Jotterbox verwenden.</translation>
    </message>
    <message>
        <source>Jotterbox
Version %1
Task List and Notes Software</source>
        <translation>Jotterbox
Version %1
Aufgabenliste und Notizzettel</translation>
    </message>
    <message>
        <source>Your tasks as sticky notes on the desktop, with due dates and reminders that sound and blink until you answer them.

Everything Jotterbox keeps is in its folder:
%1</source>
        <translation>Ihre Aufgaben als Haftnotizen auf dem Desktop, mit Fälligkeitsdaten und Erinnerungen, die klingen und blinken, bis Sie sie beantworten.

Alles, was Jotterbox aufbewahrt, liegt in seinem Ordner:
%1</translation>
    </message>
</context>
<context>
    <name>TFormMain</name>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>The data file holds %1 bytes after the %2 tasks it says it holds.</source>
        <translation>Die Datendatei enthält nach den %2 Aufgaben, die sie angibt, noch %1 weitere Bytes.</translation>
    </message>
    <message>
        <source>

The data file could not be read completely. It was kept unchanged as %1.</source>
        <translation>

Die Datendatei konnte nicht vollständig gelesen werden. Sie wurde unverändert als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>

The data file could not be read completely, and it could not be kept aside (%1), so it will not be saved over. The tasks of this session are saved to %2.</source>
        <translation>

Die Datendatei konnte weder vollständig gelesen noch beiseitegelegt werden (%1); sie wird deshalb nicht überschrieben. Die Aufgaben dieser Sitzung werden in %2 gespeichert.</translation>
    </message>
    <message>
        <source>New &amp;Note</source>
        <translation>&amp;Neue Notiz</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>Show &amp;List</source>
        <translation>&amp;Liste anzeigen</translation>
    </message>
    <message>
        <source>Show Toolbar</source>
        <translation>Symbolleiste anzeigen</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Optionen...</translation>
    </message>
    <message>
        <source>&amp;About Jotterbox...</source>
        <translation>Ü&amp;ber Jotterbox...</translation>
    </message>
    <message>
        <source>Jotterbox &amp;Help</source>
        <translation>Jotterbox-&amp;Hilfe</translation>
    </message>
    <message>
        <source>Print List...</source>
        <translation>Liste drucken...</translation>
    </message>
    <message>
        <source>Export List...</source>
        <translation>Liste exportieren...</translation>
    </message>
    <message>
        <source>Hide &amp;List</source>
        <translation>&amp;Liste ausblenden</translation>
    </message>
    <message>
        <source>Hide Toolbar</source>
        <translation>Symbolleiste ausblenden</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>You have changed the setting of &quot;Stay on top of all windows&quot; for Jotterbox. This will not take effect until you restart the program. Would you like to restart Jotterbox now?</source>
        <translation>Sie haben die Einstellung „Immer über allen anderen Fenstern“ von Jotterbox geändert. Die Änderung wird erst nach einem Neustart des Programms wirksam. Möchten Sie Jotterbox jetzt neu starten?</translation>
    </message>
    <message>
        <source>The help file %1 was not found.</source>
        <translation>Die Hilfedatei %1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The help file %1 could not be opened: no program to show it was found.</source>
        <translation>Die Hilfedatei %1 konnte nicht geöffnet werden: Es wurde kein Programm gefunden, das sie anzeigen kann.</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Synchronisation</translation>
    </message>
    <message>
        <source>The server and this computer no longer agree on %1 tasks: the next round would delete them. Delete them?</source>
        <translation>Server und dieser Computer sind sich bei %1 Aufgaben nicht mehr einig: Der nächste Abgleich würde sie löschen. Löschen?</translation>
    </message>
    <message>
        <source>Sync: %1

Jotterbox goes on with the tasks on this computer and tries again later.</source>
        <translation>Synchronisation: %1

Jotterbox arbeitet mit den Aufgaben auf diesem Computer weiter und versucht es später erneut.</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Jetzt synchronisieren</translation>
    </message>
    <message>
        <source>%1

Until it can be written, your tasks are saved to a file of their own in %2, named when the first change is saved.</source>
        <translation>%1

Bis er beschreibbar ist, werden Ihre Aufgaben in einer eigenen Datei in %2 gespeichert, deren Name bei der ersten gespeicherten Änderung genannt wird.</translation>
    </message>
    <message>
        <source>%1

The changes since the last save will be lost. End Jotterbox all the same?</source>
        <translation>%1

Die Änderungen seit dem letzten Speichern gehen verloren. Jotterbox trotzdem beenden?</translation>
    </message>
</context>
<context>
    <name>TFormNote</name>
    <message>
        <source>&amp;Acknowledged</source>
        <translation>&amp;Zur Kenntnis genommen</translation>
    </message>
    <message>
        <source>Remind Me Again in 15 Minutes</source>
        <translation>In 15 Minuten erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 1 Hour</source>
        <translation>In 1 Stunde erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 4 Hours</source>
        <translation>In 4 Stunden erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 1 Day</source>
        <translation>In 1 Tag erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 1 Week</source>
        <translation>In 1 Woche erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 1 Month</source>
        <translation>In 1 Monat erneut erinnern</translation>
    </message>
    <message>
        <source>Remind Me Again in 1 Year</source>
        <translation>In 1 Jahr erneut erinnern</translation>
    </message>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Date/Time</source>
        <translation>Datum/Uhrzeit</translation>
    </message>
    <message>
        <source>C: %1   M: %2</source>
        <extracomment>Created and Modified, shortened to fit the bottom line</extracomment>
        <translation>E: %1   G: %2</translation>
    </message>
    <message>
        <source>Created: %1
Modified: %2</source>
        <translation>Erstellt: %1
Geändert: %2</translation>
    </message>
    <message>
        <source>Content</source>
        <translation>Inhalt</translation>
    </message>
</context>
<context>
    <name>TFormOptions</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Sound Files (*.wav)</source>
        <translation>Klangdateien (*.wav)</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>Vorschau:</translation>
    </message>
    <message>
        <source>Preview of %1:</source>
        <translation>Vorschau von %1:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Enable &quot;One-Line Mode&quot;.</source>
        <translation>„Einzeilenmodus“ einschalten.</translation>
    </message>
    <message>
        <source>Show tips at startup</source>
        <translation>Tipps beim Start anzeigen</translation>
    </message>
    <message>
        <source>Start Jotterbox when I log in</source>
        <translation>Jotterbox bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Sound file for the reminder:</source>
        <translation>Klangdatei für die Erinnerung:</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Set a due date for new tasks on day %1 (1 = today).</source>
        <extracomment>The check box&apos;s words come before %1, the number of days; the rest after it.</extracomment>
        <translation>Fälligkeitsdatum neuer Aufgaben automatisch auf Tag %1 setzen (1 = heute).</translation>
    </message>
    <message>
        <source>Set reminder automatically for new tasks %1 at due date.</source>
        <extracomment>The check box&apos;s words come before %1, the time of day; the rest after it.</extracomment>
        <translation>Erinnerung für neue Aufgaben automatisch um %1 am Fälligkeitstag setzen.</translation>
    </message>
    <message>
        <source>Color &amp;&amp; Font</source>
        <translation>Farbe &amp;&amp; Schrift</translation>
    </message>
    <message>
        <source>Default Colors for Open Tasks and Notes (Click to Change)</source>
        <translation>Standardfarben offener Aufgaben und Notizen (zum Ändern klicken)</translation>
    </message>
    <message>
        <source>Default Font for Open Tasks and Notes (Click to Change)</source>
        <translation>Standardschrift offener Aufgaben und Notizen (zum Ändern klicken)</translation>
    </message>
    <message>
        <source>Sample Font</source>
        <translation>Beispieltext</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Klang</translation>
    </message>
    <message>
        <source>Stay on top of all windows</source>
        <translation>Immer über allen anderen Fenstern</translation>
    </message>
    <message>
        <source>Display column &quot;Due Date&quot; in task list.</source>
        <translation>Spalte „Fällig am“ in der Aufgabenliste anzeigen.</translation>
    </message>
    <message>
        <source>Delete tasks automatically %1 days after finished</source>
        <extracomment>The check box&apos;s words come before %1, the number of days; the rest after it.</extracomment>
        <translation>Erledigte Aufgaben nach %1 Tagen automatisch löschen</translation>
    </message>
    <message>
        <source>Skin</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Select a skin:</source>
        <translation>Design auswählen:</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Synchronisation</translation>
    </message>
    <message>
        <source>Sync with a CalDAV server</source>
        <translation>Mit einem CalDAV-Server synchronisieren</translation>
    </message>
    <message>
        <source>Interval in minutes:</source>
        <translation>Abstand in Minuten:</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>https://server/path/to/the/task/list/</source>
        <translation>https://server/pfad/zur/aufgabenliste/</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>Benutzer:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Password command:</source>
        <translation>Passwort-Befehl:</translation>
    </message>
    <message>
        <source>instead of the keyring, e.g. pass show dav</source>
        <translation>statt des Schlüsselbunds, z. B. pass show dav</translation>
    </message>
    <message>
        <source>Certificate file:</source>
        <translation>Zertifikatsdatei:</translation>
    </message>
    <message>
        <source>only for a self-signed server</source>
        <translation>nur für einen selbst signierten Server</translation>
    </message>
    <message>
        <source>Test connection</source>
        <translation>Verbindung testen</translation>
    </message>
    <message>
        <source>Sync now</source>
        <translation>Jetzt synchronisieren</translation>
    </message>
    <message>
        <source>The sync password was not stored: %1</source>
        <translation>Das Passwort für die Synchronisation wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Certificates (*.pem *.crt *.cer);;All Files (*)</source>
        <translation>Zertifikate (*.pem *.crt *.cer);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Testing the connection...</source>
        <translation>Die Verbindung wird getestet...</translation>
    </message>
    <message>
        <source>A sync round is running...</source>
        <translation>Ein Abgleich läuft...</translation>
    </message>
    <message>
        <source>No sync round has run yet.</source>
        <translation>Es lief noch kein Abgleich.</translation>
    </message>
    <message>
        <source>Last round %1: %2</source>
        <translation>Letzter Abgleich %1: %2</translation>
    </message>
    <message>
        <source>Last round %1 failed: %2</source>
        <translation>Letzter Abgleich %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>No keyring</source>
        <translation>Kein Schlüsselbund</translation>
    </message>
    <message>
        <source>No keyring is running here: use a password command.</source>
        <translation>Hier läuft kein Schlüsselbund: Verwenden Sie einen Passwort-Befehl.</translation>
    </message>
    <message>
        <source>Stored</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>A password is stored in the keyring; type a new one to replace it, or empty the box to remove it.</source>
        <translation>Im Schlüsselbund ist ein Passwort gespeichert; geben Sie ein neues ein, um es zu ersetzen, oder leeren Sie das Feld, um es zu entfernen.</translation>
    </message>
    <message>
        <source>The sync password was not removed from the keyring: %1</source>
        <translation>Das Passwort für die Synchronisation wurde nicht aus dem Schlüsselbund entfernt: %1</translation>
    </message>
    <message>
        <source>Removed on OK</source>
        <translation>Wird mit OK entfernt</translation>
    </message>
    <message>
        <source>Also as a desktop notification</source>
        <translation>Auch als Desktop-Benachrichtigung</translation>
    </message>
    <message>
        <source>A reminder for a note that is not on screen also shows as a desktop notification while the tray icon cycles (without a tray it always does).</source>
        <translation>Eine Erinnerung für eine Notiz, die nicht auf dem Bildschirm ist, erscheint auch als Desktop-Benachrichtigung, während das Symbol im Infobereich blinkt (ohne Infobereich immer).</translation>
    </message>
</context>
<context>
    <name>TFormTaskList</name>
    <message>
        <source>New &amp;Note</source>
        <translation>&amp;Neue Notiz</translation>
    </message>
    <message>
        <source>&amp;Open Selected Note</source>
        <translation>Ausgewählte Notiz ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Delete Selected Note</source>
        <translation>Ausgewählte Notiz &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation>&amp;Liste</translation>
    </message>
    <message>
        <source>Large &amp;Icons</source>
        <translation>&amp;Große Symbole</translation>
    </message>
    <message>
        <source>Finished Items</source>
        <translation>Erledigte Einträge</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>Are you sure that you want to delete the selected note?</source>
        <translation>Möchten Sie die ausgewählte Notiz wirklich löschen?</translation>
    </message>
    <message>
        <source>Input your search string here.</source>
        <translation>Geben Sie hier Ihren Suchbegriff ein.</translation>
    </message>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
</context>
<context>
    <name>TFormTip</name>
    <message>
        <source>Tip of the Day</source>
        <translation>Tipp des Tages</translation>
    </message>
    <message>
        <source>Did you know...</source>
        <translation>Schon gewusst?</translation>
    </message>
    <message>
        <source>&amp;Show tips at startup</source>
        <translation>&amp;Tipps beim Start anzeigen</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Nächster</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
</context>
<context>
    <name>TFormToolBar</name>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>New Note</source>
        <translation>Neue Notiz</translation>
    </message>
    <message>
        <source>Show/Hide List</source>
        <translation>Liste anzeigen/ausblenden</translation>
    </message>
    <message>
        <source>Hide Toolbar</source>
        <translation>Symbolleiste ausblenden</translation>
    </message>
</context>
<context>
    <name>TKeyring</name>
    <message>
        <source>No keyring is running on this desktop to keep the password. Set a password command instead: a command that prints the password.</source>
        <translation>Auf diesem Desktop läuft kein Schlüsselbund, der das Passwort aufbewahren könnte. Legen Sie stattdessen einen Passwort-Befehl fest: einen Befehl, der das Passwort ausgibt.</translation>
    </message>
    <message>
        <source>No password is stored in the keyring for %1.</source>
        <translation>Im Schlüsselbund ist kein Passwort für %1 gespeichert.</translation>
    </message>
    <message>
        <source>The keyring did not give out the password: it is locked, or access was refused.</source>
        <translation>Der Schlüsselbund hat das Passwort nicht herausgegeben: Er ist gesperrt, oder der Zugriff wurde verweigert.</translation>
    </message>
    <message>
        <source>The keyring failed: %1</source>
        <translation>Fehler im Schlüsselbund: %1</translation>
    </message>
</context>
<context>
    <name>TListSkinFrame</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Shrink/Expand</source>
        <translation>Verkleinern/Vergrößern</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>New Note</source>
        <translation>Neue Notiz</translation>
    </message>
    <message>
        <source>Delete Selected Note</source>
        <translation>Ausgewählte Notiz löschen</translation>
    </message>
</context>
<context>
    <name>TNoteInfoPanel</name>
    <message>
        <source>Due Date:</source>
        <translation>Fällig am:</translation>
    </message>
    <message>
        <source>Reminder:</source>
        <translation>Erinnerung:</translation>
    </message>
    <message>
        <source>Priority:</source>
        <translation>Priorität:</translation>
    </message>
    <message>
        <source>Finished:</source>
        <translation>Erledigt:</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
</context>
<context>
    <name>TNoteMenu</name>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Change Color            </source>
        <translation>Farbe ändern            </translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>E&amp;infügen</translation>
    </message>
    <message>
        <source>Select &amp;All     </source>
        <translation>Alles &amp;markieren     </translation>
    </message>
    <message>
        <source>Change &amp;Font...</source>
        <translation>Schri&amp;ftart ändern...</translation>
    </message>
    <message>
        <source>Jotterbox</source>
        <translation>Jotterbox</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>Are you sure that you want to delete this note?</source>
        <translation>Möchten Sie diese Notiz wirklich löschen?</translation>
    </message>
</context>
<context>
    <name>TSkinImage</name>
    <message>
        <source>Bitmap image is not valid: %1</source>
        <translation>Das Bitmap-Bild ist ungültig: %1</translation>
    </message>
</context>
<context>
    <name>TSkinPreview</name>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Due Date</source>
        <translation>Fällig am</translation>
    </message>
</context>
<context>
    <name>TSyncRound</name>
    <message>
        <source>Conflicting copy</source>
        <translation>Konfliktkopie</translation>
    </message>
    <message>
        <source>%1 sent, %2 received, %3 deleted on the server, %4 deleted here, %5 conflicts</source>
        <translation>%1 gesendet, %2 empfangen, %3 auf dem Server gelöscht, %4 hier gelöscht, %5 Konflikte</translation>
    </message>
</context>
<context>
    <name>TSyncRunner</name>
    <message>
        <source>Waiting: the round would delete %1 tasks.</source>
        <translation>Wartet: Der Abgleich würde %1 Aufgaben löschen.</translation>
    </message>
</context>
<context>
    <name>TTaskListModel</name>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Due Date</source>
        <translation>Fällig am</translation>
    </message>
</context>
<context>
    <name>TZELDatePicker2</name>
    <message>
        <source>None</source>
        <translation>Keins</translation>
    </message>
</context>
<context>
    <name>TZELMonthCalendar</name>
    <message>
        <source>January</source>
        <translation>Januar</translation>
    </message>
    <message>
        <source>February</source>
        <translation>Februar</translation>
    </message>
    <message>
        <source>March</source>
        <translation>März</translation>
    </message>
    <message>
        <source>April</source>
        <translation>April</translation>
    </message>
    <message>
        <source>May</source>
        <translation>Mai</translation>
    </message>
    <message>
        <source>June</source>
        <translation>Juni</translation>
    </message>
    <message>
        <source>July</source>
        <translation>Juli</translation>
    </message>
    <message>
        <source>August</source>
        <translation>August</translation>
    </message>
    <message>
        <source>September</source>
        <translation>September</translation>
    </message>
    <message>
        <source>October</source>
        <translation>Oktober</translation>
    </message>
    <message>
        <source>November</source>
        <translation>November</translation>
    </message>
    <message>
        <source>December</source>
        <translation>Dezember</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keins</translation>
    </message>
</context>
</TS>
