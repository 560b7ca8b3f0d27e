#!/bin/sh
# Installs the build into a temporary DESTDIR and checks what a desktop needs.
#   installation.sh dateien  BUILD SOURCE   the installed files, nothing more, nothing less
#   installation.sh desktop  BUILD SOURCE   the menu and autostart entries pass desktop-file-validate,
#                                           the data file's type passes update-mime-database
#   installation.sh appstream BUILD SOURCE  the metadata passes appstreamcli validate
#   installation.sh vorlage  BUILD SOURCE   the build copies the default settings only when missing
# Exit 77 (skipped) when a validator is not installed.
set -eu
teil=$1
build=$2
quelle=$3
. "$(dirname "$0")/installieren.sh"

# One value of the [Desktop Entry] group.
eintrag() { sed -n "s/^$1=//p" "$root/share/applications/de.vivarix.Vivarix.desktop"; }

case "$teil" in
dateien)
    installieren
    # Exactly these files, and nothing of the build (tests, libraries, headers).
    ( cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort ) > "$tmp/ist"
    {
        echo bin/vivarix
        echo bin/vivarix-bild
        echo bin/vivarix-start
        echo lib/vivarix/vivarix-druck.so
        ( cd "$quelle/help/hilfe" && find . -type f | sed 's|^\./|share/vivarix/hilfe/|' )
        echo share/vivarix/options.ini
        echo share/icons/hicolor/scalable/apps/de.vivarix.Vivarix.svg
        echo share/applications/de.vivarix.Vivarix.desktop
        echo share/mime/packages/de.vivarix.Vivarix.xml
        echo share/metainfo/de.vivarix.Vivarix.metainfo.xml
    } | sort > "$tmp/soll"
    diff -u "$tmp/soll" "$tmp/ist" || falsch "installierte Dateien weichen ab"
    # The reminder's autostart entry goes where every desktop looks, whatever the prefix.
    ( cd "$ziel" && find . -path "./${prefix#/}" -prune -o -type f -print | sed 's|^\./||' ) > "$tmp/ausserhalb"
    [ "$(cat "$tmp/ausserhalb")" = etc/xdg/autostart/de.vivarix.Vivarix.Erinnerung.desktop ] \
        || falsch "außerhalb des Präfixes: $(cat "$tmp/ausserhalb")"
    grep -qx 'Exec=vivarix-start --erinnern' "$ziel/etc/xdg/autostart/de.vivarix.Vivarix.Erinnerung.desktop" \
        || falsch "Autostart startet nicht vivarix-start --erinnern"
    # Left behind after the program is removed (it is a conffile), it is skipped.
    grep -qx 'TryExec=vivarix-start' "$ziel/etc/xdg/autostart/de.vivarix.Vivarix.Erinnerung.desktop" \
        || falsch "Autostart ohne TryExec=vivarix-start"

    [ -x "$root/bin/vivarix" ] || falsch "bin/vivarix ist nicht ausführbar"
    [ -x "$root/bin/vivarix-bild" ] || falsch "bin/vivarix-bild ist nicht ausführbar"
    [ -x "$root/bin/vivarix-start" ] || falsch "bin/vivarix-start ist nicht ausführbar"
    head -c 4 "$root/bin/vivarix" | grep -q 'ELF' || falsch "bin/vivarix ist kein Programm"
    head -c 4 "$root/bin/vivarix-bild" | grep -q 'ELF' || falsch "bin/vivarix-bild ist kein Programm"
    head -c 4 "$root/lib/vivarix/vivarix-druck.so" | grep -q 'ELF' || falsch "lib/vivarix/vivarix-druck.so ist keine Bibliothek"
    # Print support and SVG drawing are loaded when first used, never with the program.
    ldd "$root/bin/vivarix" > "$tmp/ldd" || falsch "ldd bin/vivarix"
    ! grep -E 'libQt6(PrintSupport|Svg)' "$tmp/ldd" || falsch "bin/vivarix lädt sie beim Start"
    ldd "$root/lib/vivarix/vivarix-druck.so" | grep -q libQt6PrintSupport || falsch "vivarix-druck.so druckt nicht"
    [ "$(head -n 1 "$root/bin/vivarix-start")" = "#!/bin/sh" ] || falsch "bin/vivarix-start ist kein sh-Skript"
    # The pages as written, with the version of the build where they name it.
    for seite in "$quelle"/help/hilfe/*; do
        sed "s/@PROJECT_VERSION@/$VIVARIX_VERSION/g" "$seite" | cmp - "$root/share/vivarix/hilfe/${seite##*/}" \
            || falsch "Hilfeseite ${seite##*/} weicht ab"
    done
    grep -q "„Vivarix $VIVARIX_VERSION“" "$root/share/vivarix/hilfe/hauptfenster.htm" \
        || falsch "die Hilfe nennt nicht die Version $VIVARIX_VERSION"
    cmp "$tmp/erwartet.ini" "$root/share/vivarix/options.ini" || falsch "options.ini ist nicht die Vorgabe"
    for f in "$root/share/icons/hicolor/scalable/apps/de.vivarix.Vivarix.svg" \
             "$root/share/applications/de.vivarix.Vivarix.desktop" \
             "$root/share/metainfo/de.vivarix.Vivarix.metainfo.xml" "$root/share/vivarix/options.ini" \
             "$root/share/mime/packages/de.vivarix.Vivarix.xml"; do
        [ ! -x "$f" ] || falsch "$f ist ausführbar"
    done

    # The menu entry names what was installed.
    [ "$(eintrag Name)" = "Vivarix" ] || falsch "Name ist '$(eintrag Name)'"
    [ -n "$(eintrag Comment)" ] || falsch "Comment fehlt"
    [ "$(eintrag Exec)" = "vivarix-start %f" ] || falsch "Exec ist '$(eintrag Exec)'"
    [ -x "$root/bin/$(eintrag TryExec)" ] || falsch "TryExec nennt kein installiertes Programm"
    [ -f "$root/share/icons/hicolor/scalable/apps/$(eintrag Icon).svg" ] || falsch "Icon '$(eintrag Icon)' fehlt"
    # The metadata names the menu entry and a screenshot of the shipped size.
    meta="$root/share/metainfo/de.vivarix.Vivarix.metainfo.xml"
    grep -q '<launchable type="desktop-id">de.vivarix.Vivarix.desktop</launchable>' "$meta" \
        || falsch "launchable nennt nicht de.vivarix.Vivarix.desktop"
    grep -q "<release version=\"$VIVARIX_VERSION\"" "$meta" || falsch "release $VIVARIX_VERSION fehlt"
    png="$quelle/dist/screenshot.png"
    # PNG: width and height are the big-endian 32-bit words at bytes 16 and 20.
    breite=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
    hoehe=$(od -An -tu1 -j20 -N4 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
    grep -q "<image type=\"source\" width=\"$breite\" height=\"$hoehe\">https://[^<]*/screenshot.png</image>" "$meta" \
        || falsch "screenshot ${breite}x$hoehe nicht in den Metadaten"
    ;;
desktop)
    command -v desktop-file-validate > /dev/null || { echo "desktop-file-validate fehlt: übersprungen"; exit 77; }
    installieren
    # A data file is of the type the menu entry opens, shown with the program's icon.
    if command -v update-mime-database > /dev/null; then
        mkdir -p "$tmp/mime/packages"
        cp "$root/share/mime/packages/de.vivarix.Vivarix.xml" "$tmp/mime/packages/"
        ausgabe=$(XDG_DATA_DIRS="$tmp" update-mime-database "$tmp/mime" 2>&1) || falsch "update-mime-database: $ausgabe"
        [ -z "$ausgabe" ] || falsch "update-mime-database: $ausgabe"
        grep -qx 'application/x-vivarix:\*\.vix' "$tmp/mime/globs" || falsch "*.vix ist nicht application/x-vivarix"
        grep -qx 'application/x-vivarix:de.vivarix.Vivarix' "$tmp/mime/icons" || falsch "application/x-vivarix ohne Icon"
        [ "$(eintrag MimeType)" = "application/x-vivarix;" ] || falsch "MimeType ist '$(eintrag MimeType)'"
    fi
    # It reports hints too; any output is a finding.
    for datei in "$root/share/applications/de.vivarix.Vivarix.desktop" \
                 "$ziel/etc/xdg/autostart/de.vivarix.Vivarix.Erinnerung.desktop"; do
        ausgabe=$(desktop-file-validate "$datei" 2>&1) || falsch "desktop-file-validate: $ausgabe"
        [ -z "$ausgabe" ] || falsch "desktop-file-validate: $ausgabe"
    done
    ;;
appstream)
    command -v appstreamcli > /dev/null || { echo "appstreamcli fehlt: übersprungen"; exit 77; }
    installieren
    appstreamcli validate --no-net "$root/share/metainfo/de.vivarix.Vivarix.metainfo.xml" \
        || falsch "appstreamcli validate"
    ;;
vorlage)
    skript="$quelle/dist/kopieren_falls_fehlt.cmake"
    # Missing (also its folder): the default arrives, byte for byte.
    "$cmake" -DQUELLE="$quelle/dist/options.ini" -DZIEL="$tmp/neu er/options.ini" -P "$skript"
    cmp "$tmp/erwartet.ini" "$tmp/neu er/options.ini" || falsch "Vorgabe nicht angelegt"
    # A keeper's own file, even a shorter or empty one, stays as it is.
    for inhalt in 'autoload=1\r\nfile=/home/x/mysnakes.vix\r\n' ''; do
        printf "$inhalt" > "$tmp/eigen.ini"
        cp "$tmp/eigen.ini" "$tmp/vorher.ini"
        "$cmake" -DQUELLE="$quelle/dist/options.ini" -DZIEL="$tmp/eigen.ini" -P "$skript"
        cmp "$tmp/vorher.ini" "$tmp/eigen.ini" || falsch "eigene options.ini ersetzt"
    done
    # A link that points nowhere is the keeper's choice too: nothing is written through it.
    ln -s "$tmp/woanders.ini" "$tmp/link.ini"
    "$cmake" -DQUELLE="$quelle/dist/options.ini" -DZIEL="$tmp/link.ini" -P "$skript"
    [ ! -e "$tmp/woanders.ini" ] || falsch "durch einen Link geschrieben"
    [ -L "$tmp/link.ini" ] || falsch "Link ersetzt"
    # The build folder has one after building (its content may be the keeper's).
    [ -f "$build/options.ini" ] || falsch "build/options.ini fehlt"
    [ "$(ls -A "$tmp/neu er")" = "options.ini" ] || falsch "Zwischendatei liegen geblieben"
    ;;
*)
    echo "unbekannter Teil: $teil" >&2
    exit 2
    ;;
esac
exit $fehler
