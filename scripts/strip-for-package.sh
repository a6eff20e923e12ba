#!/bin/sh
# The strip the package's install step runs on the program and its libraries: as Debian's own
# packaging does, it also drops the .comment and .note sections (they only say how the files were
# built) and the symbols no other file links against.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
