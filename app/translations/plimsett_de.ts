<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>plimsett::AppModel</name>
    <message>
        <source>Built-in</source>
        <translation>Integriert</translation>
    </message>
    <message>
        <source>Welcome to Plimsett</source>
        <translation>Willkommen bei Plimsett</translation>
    </message>
    <message>
        <source>Plimsett Settings</source>
        <translation>Plimsett-Einstellungen</translation>
    </message>
    <message>
        <source>Exclude Apps</source>
        <translation>Apps ausschließen</translation>
    </message>
</context>
<context>
    <name>plimsett::ExcludeAppsView</name>
    <message>
        <source>Plimsett won&apos;t save or move windows of the apps you check here.</source>
        <translation>Plimsett speichert und verschiebt keine Fenster der Apps, die Sie hier ankreuzen.</translation>
    </message>
</context>
<context>
    <name>plimsett::LayoutRow</name>
    <message>
        <source>Connected now</source>
        <translation>Jetzt angeschlossen</translation>
    </message>
    <message>
        <source>Forget</source>
        <translation>Vergessen</translation>
    </message>
    <message>
        <source>Forget layout for %1</source>
        <translation>Layout für %1 vergessen</translation>
    </message>
    <message>
        <source>%1 windows · saved %2</source>
        <translation>%1 Fenster · gespeichert am %2</translation>
    </message>
</context>
<context>
    <name>plimsett::OnboardingView</name>
    <message>
        <source>Plimsett needs Accessibility access</source>
        <translation>Plimsett braucht Zugriff auf die Bedienungshilfen</translation>
    </message>
    <message>
        <source>When a display is unplugged or your Mac wakes up, macOS moves windows to another screen. To put them back, Plimsett reads where each app&apos;s windows are and moves them. macOS allows this only for apps you turn on in Accessibility settings.</source>
        <translation>Wenn ein Bildschirm getrennt wird oder Ihr Mac aus dem Ruhezustand aufwacht, verschiebt macOS Fenster auf einen anderen Bildschirm. Um sie zurückzuholen, liest Plimsett, wo die Fenster jeder App liegen, und verschiebt sie. macOS erlaubt das nur Apps, die Sie in den Einstellungen unter „Bedienungshilfen“ einschalten.</translation>
    </message>
    <message>
        <source>Plimsett reads window positions, sizes and titles. That information stays on this Mac.</source>
        <translation>Plimsett liest Position, Größe und Titel der Fenster. Diese Angaben verlassen diesen Mac nicht.</translation>
    </message>
    <message>
        <source>Click Open Accessibility Settings.</source>
        <translation>Klicken Sie auf „Bedienungshilfen-Einstellungen öffnen“.</translation>
    </message>
    <message>
        <source>Turn on Plimsett in the list.</source>
        <translation>Schalten Sie Plimsett in der Liste ein.</translation>
    </message>
    <message>
        <source>Come back here. This window updates by itself.</source>
        <translation>Kommen Sie hierher zurück. Dieses Fenster aktualisiert sich von selbst.</translation>
    </message>
    <message>
        <source>Waiting for access…</source>
        <translation>Warten auf Zugriff…</translation>
    </message>
    <message>
        <source>Open Accessibility Settings</source>
        <translation>Bedienungshilfen-Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Access is on. Plimsett is saving your window layout.</source>
        <translation>Der Zugriff ist eingeschaltet. Plimsett speichert Ihr Fensterlayout.</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Plimsett needs an X11 window manager</source>
        <translation>Plimsett braucht einen X11-Fenstermanager</translation>
    </message>
    <message>
        <source>When a display is unplugged or your computer wakes up, the desktop moves windows to another screen. To put them back, Plimsett reads where each app&apos;s windows are and moves them. It can do this only in an X11 session whose window manager follows the EWMH standard.</source>
        <translation>Wenn ein Bildschirm getrennt wird oder Ihr Computer aus dem Ruhezustand aufwacht, verschiebt die Arbeitsumgebung Fenster auf einen anderen Bildschirm. Um sie zurückzuholen, liest Plimsett, wo die Fenster jeder App liegen, und verschiebt sie. Das geht nur in einer X11-Sitzung, deren Fenstermanager dem EWMH-Standard folgt.</translation>
    </message>
    <message>
        <source>Plimsett reads window positions, sizes and titles. That information stays on this computer.</source>
        <translation>Plimsett liest Position, Größe und Titel der Fenster. Diese Angaben verlassen diesen Computer nicht.</translation>
    </message>
    <message>
        <source>Run a window manager that follows EWMH, such as Openbox, Xfwm, KWin or Mutter.</source>
        <translation>Starten Sie einen Fenstermanager, der EWMH folgt, etwa Openbox, Xfwm, KWin oder Mutter.</translation>
    </message>
    <message>
        <source>Waiting for a window manager…</source>
        <translation>Warten auf einen Fenstermanager…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Plimsett needs its GNOME Shell extension</source>
        <translation>Plimsett braucht seine GNOME-Shell-Erweiterung</translation>
    </message>
    <message>
        <source>When a display is unplugged or your computer wakes up, GNOME moves windows to another screen. To put them back, Plimsett reads where each app&apos;s windows are and moves them. On Wayland only GNOME Shell itself can do this, through a small extension that comes with Plimsett. The extension is not installed or is switched off.</source>
        <translation>Wenn ein Bildschirm getrennt wird oder Ihr Computer aus dem Ruhezustand aufwacht, verschiebt GNOME Fenster auf einen anderen Bildschirm. Um sie zurückzuholen, liest Plimsett, wo die Fenster jeder App liegen, und verschiebt sie. Unter Wayland kann das nur GNOME Shell selbst, über eine kleine Erweiterung, die Plimsett mitbringt. Die Erweiterung ist nicht installiert oder ausgeschaltet.</translation>
    </message>
    <message>
        <source>Click Install Extension. Plimsett installs its extension and switches it on.</source>
        <translation>Klicken Sie auf „Erweiterung installieren“. Plimsett installiert seine Erweiterung und schaltet sie ein.</translation>
    </message>
    <message>
        <source>Log out and log back in. On Wayland, GNOME loads a newly installed extension only after you log in again.</source>
        <translation>Melden Sie sich ab und wieder an. Unter Wayland lädt GNOME eine neu installierte Erweiterung erst nach der nächsten Anmeldung.</translation>
    </message>
    <message>
        <source>Start Plimsett again. This window updates by itself once the extension answers.</source>
        <translation>Starten Sie Plimsett erneut. Dieses Fenster aktualisiert sich von selbst, sobald die Erweiterung antwortet.</translation>
    </message>
    <message>
        <source>Waiting for the GNOME Shell extension…</source>
        <translation>Warten auf die GNOME-Shell-Erweiterung…</translation>
    </message>
    <message>
        <source>Install Extension</source>
        <translation>Erweiterung installieren</translation>
    </message>
    <message>
        <source>Log in to an X11 session, or to GNOME or KDE Plasma on Wayland.</source>
        <translation>Melden Sie sich in einer X11-Sitzung an, oder unter Wayland in GNOME oder KDE Plasma.</translation>
    </message>
    <message>
        <source>Plimsett needs its KWin script</source>
        <translation>Plimsett braucht sein KWin-Skript</translation>
    </message>
    <message>
        <source>When a display is unplugged or your computer wakes up, Plasma moves windows to another screen. To put them back, Plimsett reads where each app&apos;s windows are and moves them. On Wayland only KWin itself can do this, through a small script that Plimsett loads into KWin when it starts. KWin has not loaded the script, or the script does not answer.</source>
        <translation>Wenn ein Bildschirm getrennt wird oder Ihr Computer aus dem Ruhezustand aufwacht, verschiebt Plasma Fenster auf einen anderen Bildschirm. Um sie zurückzuholen, liest Plimsett, wo die Fenster jeder App liegen, und verschiebt sie. Unter Wayland kann das nur KWin selbst, über ein kleines Skript, das Plimsett beim Start in KWin lädt. KWin hat das Skript nicht geladen, oder das Skript antwortet nicht.</translation>
    </message>
    <message>
        <source>Click Load Script. Plimsett asks KWin to load its script again.</source>
        <translation>Klicken Sie auf „Skript laden“. Plimsett bittet KWin, sein Skript erneut zu laden.</translation>
    </message>
    <message>
        <source>If the script still does not answer, KWin&apos;s log (journalctl --user -b) says why it refused it.</source>
        <translation>Antwortet das Skript dann noch immer nicht, steht im Protokoll von KWin (journalctl --user -b), warum es abgelehnt wurde.</translation>
    </message>
    <message>
        <source>Waiting for the KWin script…</source>
        <translation>Warten auf das KWin-Skript…</translation>
    </message>
    <message>
        <source>Load Script</source>
        <translation>Skript laden</translation>
    </message>
    <message>
        <source>Plimsett cannot move windows on this desktop</source>
        <translation>Plimsett kann in dieser Arbeitsumgebung keine Fenster verschieben</translation>
    </message>
    <message>
        <source>When a display is unplugged or your computer wakes up, the desktop moves windows to another screen. To put them back, Plimsett reads where each app&apos;s windows are and moves them. On Wayland only the desktop itself can do this, and Plimsett reaches into GNOME and KDE Plasma, not yet into this one.</source>
        <translation>Wenn ein Bildschirm getrennt wird oder Ihr Computer aus dem Ruhezustand aufwacht, verschiebt die Arbeitsumgebung Fenster auf einen anderen Bildschirm. Um sie zurückzuholen, liest Plimsett, wo die Fenster jeder App liegen, und verschiebt sie. Unter Wayland kann das nur die Arbeitsumgebung selbst, und Plimsett erreicht das in GNOME und KDE Plasma, in dieser hier noch nicht.</translation>
    </message>
    <message>
        <source>Log in to GNOME or KDE Plasma, or to an X11 session, and start Plimsett there.</source>
        <translation>Melden Sie sich in GNOME oder KDE Plasma oder in einer X11-Sitzung an und starten Sie Plimsett dort.</translation>
    </message>
    <message>
        <source>Your saved layouts stay as they are. Here Plimsett moves no windows.</source>
        <translation>Ihre gespeicherten Layouts bleiben, wie sie sind. Hier verschiebt Plimsett keine Fenster.</translation>
    </message>
    <message>
        <source>Waiting for window access…</source>
        <translation>Warten auf Zugriff auf die Fenster…</translation>
    </message>
</context>
<context>
    <name>plimsett::PreferencesView</name>
    <message>
        <source>Restoring</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Auto-restore when displays change</source>
        <translation>Bei Bildschirmwechsel automatisch wiederherstellen</translation>
    </message>
    <message>
        <source>Also restore after the Mac wakes</source>
        <translation>Auch nach dem Aufwachen des Mac wiederherstellen</translation>
    </message>
    <message>
        <source>Also restore after the computer wakes</source>
        <translation>Auch nach dem Aufwachen des Computers wiederherstellen</translation>
    </message>
    <message>
        <source>Also restore when the same displays are arranged differently</source>
        <translation>Auch wiederherstellen, wenn dieselben Bildschirme anders angeordnet sind</translation>
    </message>
    <message>
        <source>Until a layout is saved for the new arrangement, windows return to the same place on each display.</source>
        <translation>Bis für die neue Anordnung ein Layout gespeichert ist, kehren die Fenster auf jedem Bildschirm an dieselbe Stelle zurück.</translation>
    </message>
    <message>
        <source>Put windows back where they were when they open</source>
        <translation>Fenster beim Öffnen dorthin zurücklegen, wo sie waren</translation>
    </message>
    <message>
        <source>Open at login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
    <message>
        <source>Exclude Apps…</source>
        <translation>Apps ausschließen…</translation>
    </message>
    <message>
        <source>Accessibility</source>
        <translation>Bedienungshilfen</translation>
    </message>
    <message>
        <source>Saved layouts</source>
        <translation>Gespeicherte Layouts</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>Check for updates automatically</source>
        <translation>Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Access is on</source>
        <translation>Der Zugriff ist eingeschaltet</translation>
    </message>
    <message>
        <source>Access is off. Plimsett cannot read or move windows.</source>
        <translation>Der Zugriff ist ausgeschaltet. Plimsett kann keine Fenster lesen oder verschieben.</translation>
    </message>
    <message>
        <source>Allow Accessibility Access…</source>
        <translation>Zugriff auf Bedienungshilfen erlauben…</translation>
    </message>
    <message>
        <source>No layouts saved yet.</source>
        <translation>Noch keine Layouts gespeichert.</translation>
    </message>
    <message>
        <source>About Plimsett</source>
        <translation>Über Plimsett</translation>
    </message>
    <message>
        <source>Set Up Window Access…</source>
        <translation>Zugriff auf Fenster einrichten…</translation>
    </message>
</context>
<context>
    <name>plimsett::StatusMenuController</name>
    <message>
        <source>Plimsett</source>
        <translation>Plimsett</translation>
    </message>
    <message>
        <source>just now</source>
        <translation>gerade eben</translation>
    </message>
    <message>
        <source>Saved %1 · %2 windows</source>
        <translation>Gespeichert %1 · %2 Fenster</translation>
    </message>
    <message>
        <source>No displays</source>
        <translation>Keine Bildschirme</translation>
    </message>
    <message>
        <source>No layout saved for these displays yet</source>
        <translation>Noch kein Layout für diese Bildschirme gespeichert</translation>
    </message>
    <message>
        <source>Allow Accessibility Access…</source>
        <translation>Zugriff auf Bedienungshilfen erlauben…</translation>
    </message>
    <message>
        <source>Save Layout Now</source>
        <translation>Layout jetzt speichern</translation>
    </message>
    <message>
        <source>Restore Layout</source>
        <translation>Layout wiederherstellen</translation>
    </message>
    <message>
        <source>Auto-restore when displays change</source>
        <translation>Bei Bildschirmwechsel automatisch wiederherstellen</translation>
    </message>
    <message>
        <source>Exclude Apps…</source>
        <translation>Apps ausschließen…</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Quit Plimsett</source>
        <translation>Plimsett beenden</translation>
    </message>
    <message>
        <source>Set Up Window Access…</source>
        <translation>Zugriff auf Fenster einrichten…</translation>
    </message>
</context>
</TS>
