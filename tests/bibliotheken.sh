#!/bin/sh
# Usage: bibliotheken.sh PROGRAM NAME...
# None of the libraries loaded at the start of PROGRAM (as the loader lists
# them, with what they bring in) is one of NAME...: those are opened when first
# used.
set -e
programm=$1
shift
liste=$(ldd "$programm")
case $liste in
*libQt6Core*) ;;
*) echo "the loader lists no Qt for $programm:"; echo "$liste"; exit 1 ;;
esac
for name in "$@"; do
  case $liste in
  *"$name"*) echo "$name is loaded at the start of $programm:"; echo "$liste"; exit 1 ;;
  esac
done
