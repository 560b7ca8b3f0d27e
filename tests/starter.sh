#!/bin/sh
# Runs the installed launcher with a stand-in in place of the program and
# checks where the stand-in was started and what the launcher left there.
#   starter.sh BUILD
set -eu
build=$1
. "$(dirname "$0")/installieren.sh"
installieren
starter="$root/bin/vivarix-start"

# The stand-in notes its folder, whether the settings were there before it
# started, its arguments and the message the launcher left for it; its exit
# code must come back through the launcher.
cat > "$root/bin/vivarix" <<'STANDIN'
#!/bin/sh
{ pwd -P; [ -f options.ini ] && echo mit-optionen || echo ohne-optionen; echo "$#:$*"
  echo "${VIVARIX_STARTMELDUNG-}"; } > "$PROTOKOLL"
exit 3
STANDIN
chmod +x "$root/bin/vivarix"
( cd "$root" && find . | sort ) > "$tmp/installation.vorher"

# starte NAME VAR=WERT...: runs the launcher from an unrelated folder with a
# clean environment plus the given variables; sets $rc and $protokoll.
starte() {
    protokoll="$tmp/$1.log"
    shift
    mkdir -p "$tmp/anderswo"
    rc=0
    ( cd "$tmp/anderswo" && env -i PATH=/usr/bin:/bin PROTOKOLL="$protokoll" "$@" "$starter" a "/b c" -- -d ) || rc=$?
}
# pruefe NAME ORDNER: the stand-in ran in ORDNER, which holds the default settings.
pruefe() {
    [ "$rc" = 3 ] || falsch "$1: Exit-Code $rc statt 3"
    [ -d "$2" ] || { falsch "$1: Ordner $2 nicht angelegt"; return; }
    [ -f "$protokoll" ] || { falsch "$1: Programm nicht gestartet"; return; }
    [ "$(sed -n 1p "$protokoll")" = "$(cd "$2" && pwd -P)" ] || falsch "$1: gestartet in $(sed -n 1p "$protokoll")"
    [ "$(sed -n 2p "$protokoll")" = mit-optionen ] || falsch "$1: options.ini fehlte beim Start"
    # A file named from where the launcher started is still found from the data folder.
    anderswo=$(cd "$tmp/anderswo" && pwd -P)
    [ "$(sed -n 3p "$protokoll")" = "4:$anderswo/a /b c -- $anderswo/-d" ] \
        || falsch "$1: Argumente $(sed -n 3p "$protokoll")"
    cmp "$tmp/erwartet.ini" "$2/options.ini" || falsch "$1: options.ini ist nicht die Vorgabe"
    [ "$(ls -A "$2")" = options.ini ] || falsch "$1: im Ordner liegt $(ls -A "$2")"
}
# pruefe_vorlaeufig NAME ORDNER TEXT: the folder could not be made; the stand-in
# ran in a new folder below ORDNER, with the default settings and a message
# that names TEXT and that folder.
pruefe_vorlaeufig() {
    hier=$(sed -n 1p "$protokoll" 2>/dev/null)
    case "$hier" in
        "$(cd "$2" && pwd -P)"/vivarix.*) pruefe "$1" "$hier" ;;
        *) falsch "$1: gestartet in \"$hier\" statt unter $2" ;;
    esac
    meldung=$(sed -n 4p "$protokoll" 2>/dev/null)
    case "$meldung" in
        *"$3"*"vorläufigen Ordner \"$hier\""*) ;;
        *) falsch "$1: Meldung \"$meldung\"" ;;
    esac
}

# Fresh XDG_DATA_HOME that does not exist yet, with a blank in its path.
starte xdg XDG_DATA_HOME="$tmp/da ten/neu" HOME="$tmp/home"
pruefe xdg "$tmp/da ten/neu/vivarix"
[ ! -e "$tmp/home/.local" ] || falsch "xdg: ~/.local angelegt, obwohl XDG_DATA_HOME gesetzt ist"

# A keeper's own settings survive the next start unchanged.
printf 'autoload=1\r\nfile=/home/k/mysnakes.vix\r\n' > "$tmp/da ten/neu/vivarix/options.ini"
cp "$tmp/da ten/neu/vivarix/options.ini" "$tmp/eigen.ini"
starte zweiter XDG_DATA_HOME="$tmp/da ten/neu" HOME="$tmp/home"
[ "$rc" = 3 ] && [ -f "$protokoll" ] || falsch "zweiter: Programm nicht gestartet"
cmp "$tmp/eigen.ini" "$tmp/da ten/neu/vivarix/options.ini" || falsch "zweiter: eigene options.ini ersetzt"

# Without XDG_DATA_HOME, and with an empty or relative one, it is ~/.local/share.
for xdg in unset leer relativ; do
    rm -rf "$tmp/home"
    case $xdg in
        unset) starte $xdg HOME="$tmp/home" ;;
        leer) starte $xdg HOME="$tmp/home" XDG_DATA_HOME= ;;
        relativ) starte $xdg HOME="$tmp/home" XDG_DATA_HOME=daten ;;
    esac
    pruefe $xdg "$tmp/home/.local/share/vivarix"
    [ ! -e "$tmp/anderswo/daten" ] || falsch "$xdg: relativer Ordner angelegt"
done

# Started through a link elsewhere (as from /usr/local/bin), it still finds its installation.
mkdir -p "$tmp/links"
ln -s "$starter" "$tmp/links/vivarix-start"
starter="$tmp/links/vivarix-start"
rm -rf "$tmp/home"
starte link HOME="$tmp/home"
pruefe link "$tmp/home/.local/share/vivarix"
starter="$root/bin/vivarix-start"

# No message where the folder could be made.
[ -z "$(sed -n 4p "$protokoll")" ] || falsch "link: Meldung $(sed -n 4p "$protokoll")"

# A folder that cannot be made (a file in its way, as good as a read-only home
# also for root), or no home at all: the program starts all the same, in a
# folder of its own below the session's runtime folder (else the temporary
# one), and is told why, to show it in a window.
: > "$tmp/datei"
mkdir -p "$tmp/laufzeit" "$tmp/temp"
starte blockiert XDG_DATA_HOME="$tmp/datei" HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/laufzeit"
pruefe_vorlaeufig blockiert "$tmp/laufzeit" "Der Ordner \"$tmp/datei/vivarix\" kann nicht angelegt werden."
starte ohne-home TMPDIR="$tmp/temp"
pruefe_vorlaeufig ohne-home "$tmp/temp" "Weder XDG_DATA_HOME noch HOME ist gesetzt."

# A link that points nowhere is the keeper's: nothing is written through it.
rm -rf "$tmp/home"
mkdir -p "$tmp/home/.local/share/vivarix"
ln -s "$tmp/woanders.ini" "$tmp/home/.local/share/vivarix/options.ini"
starte link-ins-leere HOME="$tmp/home"
[ "$rc" = 3 ] || falsch "link-ins-leere: Exit-Code $rc"
[ ! -e "$tmp/woanders.ini" ] || falsch "link-ins-leere: durch den Link geschrieben"
[ -L "$tmp/home/.local/share/vivarix/options.ini" ] || falsch "link-ins-leere: Link ersetzt"

# The reminder at login writes nothing: without a data folder the program is
# not even started; with one it runs there, the settings as the keeper left them.
rm -rf "$tmp/home"
protokoll="$tmp/erinnern.log"
rc=0
( cd "$tmp/anderswo" && env -i PATH=/usr/bin:/bin PROTOKOLL="$protokoll" HOME="$tmp/home" "$starter" --erinnern ) || rc=$?
[ "$rc" = 0 ] || falsch "erinnern ohne Ordner: Exit-Code $rc"
[ ! -e "$tmp/home" ] && [ ! -e "$protokoll" ] || falsch "erinnern ohne Ordner: angelegt oder gestartet"
mkdir -p "$tmp/home/.local/share/vivarix"
rc=0
( cd "$tmp/anderswo" && env -i PATH=/usr/bin:/bin PROTOKOLL="$protokoll" HOME="$tmp/home" "$starter" --erinnern ) || rc=$?
[ "$rc" = 3 ] || falsch "erinnern: Exit-Code $rc"
[ "$(cat "$protokoll" 2>/dev/null)" = "$(printf '%s\nohne-optionen\n1:--erinnern' "$(cd "$tmp/home/.local/share/vivarix" && pwd -P)")" ] \
    || falsch "erinnern: $(cat "$protokoll" 2>/dev/null)"
[ -z "$(ls -A "$tmp/home/.local/share/vivarix")" ] || falsch "erinnern: Dateien im Datenordner"

# Nothing was written into the installation.
( cd "$root" && find . | sort ) > "$tmp/installation.nachher"
diff -u "$tmp/installation.vorher" "$tmp/installation.nachher" || falsch "Installation verändert"

# Without the default settings the program still starts, in its folder, and no
# half file is left there.
rm "$root/share/vivarix/options.ini"
rm -rf "$tmp/home"
starte ohne HOME="$tmp/home"
[ "$rc" = 3 ] || falsch "ohne: Exit-Code $rc"
[ "$(sed -n 1,2p "$protokoll" 2>/dev/null)" = "$(printf '%s\nohne-optionen' "$tmp/home/.local/share/vivarix")" ] \
    || falsch "ohne: $(cat "$protokoll" 2>/dev/null)"
[ -z "$(ls -A "$tmp/home/.local/share/vivarix")" ] || falsch "ohne: Dateien im Datenordner"
exit $fehler
