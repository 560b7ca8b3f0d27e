# Sourced by the build scripts: installs the Debian packages given that are not
# installed yet, through sudo when not run as root.
pakete_installieren() {
  local fehlend=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || fehlend+=("$p")
  done
  [ ${#fehlend[@]} -gt 0 ] || return 0
  echo "Installing: ${fehlend[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${fehlend[@]}" >/dev/null
}
