# What the installation tests share, sourced by installation.sh and starter.sh
# once they have set $build: a scratch folder removed at the end, the failure
# note, the default settings file, and installing the build into the scratch
# folder. The prefix has a blank, which catches unquoted paths in the install
# rules.
cmake=${CMAKE:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fehler=0
falsch() { echo "FEHLER: $*" >&2; fehler=1; }

# The six lines the program writes with every setting off, CR LF ended.
printf '[Options]\r\nautoload=0\r\nfile=\r\nremember=0\r\nmaximize=0\r\nfutter=\r\n' > "$tmp/erwartet.ini"

installieren() {
    ziel="$tmp/ziel"
    prefix="/opt/viva rix"
    DESTDIR="$ziel" "$cmake" --install "$build" --prefix "$prefix" > "$tmp/install.log"
    root="$ziel$prefix"
}
