#!/bin/sh
# The game reads its sounds from its own directory, so the executable lives
# with them in lib/tarvo; this is what the PATH finds.
exec "$(dirname "$(readlink -f "$0")")/../lib/tarvo/tarvo" "$@"
