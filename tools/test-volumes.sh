#!/usr/bin/env bash
# The test volumes: extra drive letters of the test prefix, each a folder with a volume label,
# of the kinds the volume and network path code must tell apart. Wine reads drive kinds when
# its server starts, so `up` runs before the test session's server starts and `down` runs
# before that server stops; `down` leaves the prefix as `up` found it.
#   tools/test-volumes.sh up | down
# The volume tests expect exactly this table (described for them in testsupport/test_volumes.h).
set -euo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"

VOLUMES="$KEL_CACHE/test-volumes-$(basename "$WINEPREFIX")"
DOS="$WINEPREFIX/dosdevices"
SERVER=KELSRV # the server of the test shares, reached through the prefix's UNC folder

# Shares of $SERVER (share, folder): PHOTOS is also drive N:, ARCHIVE has no drive letter.
SHARES="PHOTOS photos
ARCHIVE archive"
# letter kind     label               folder, or the share of a network drive ("-": no disc in it)
DRIVES="
j      fixed    DISK.1              fixed
k      cdrom    PHOTO.01            photocd
l      floppy   BACKUP1             floppy
m      cdrom    -                   -
n      network  NETVOL              PHOTOS
p      fixed    HOLIDAY.PHOTOS.2024 long
"
FILES="photocd/IMAGES/A.GIF photocd/PHOTO_CD/IMAGES/IMG0012.PCD photos/1996/A.GIF archive/OLD/C.GIF floppy/BACKUP/D.GIF
fixed/SCANS/B.GIF"

regedit_file() { env -u DISPLAY "$WINE64" regedit /S "$(winepath_of "$1")" >/dev/null 2>&1; }

down() {
    [ -d "$VOLUMES" ] || return 0
    if [ -f "$VOLUMES/drives-undo.reg" ]; then
        regedit_file "$VOLUMES/drives-undo.reg"
    fi
    local letter kind label folder
    while read -r letter kind label folder; do
        [ -n "$letter" ] || continue
        # Only links that point into our folder are ours to remove.
        case "$(readlink "$DOS/$letter:" 2>/dev/null)" in
            "$VOLUMES"/*|unc/$SERVER/*) rm -f "$DOS/$letter:" ;;
        esac
    done <<<"$DRIVES"
    rm -rf "${DOS:?}/unc/$SERVER"
    [ -f "$VOLUMES/created-unc" ] && rmdir "$DOS/unc" 2>/dev/null
    rm -rf "$VOLUMES"
}

up() {
    if [ -d "$VOLUMES" ]; then # left over by a run that was killed
        down
        "$WINESERVER" -w
    fi
    local letter kind label folder
    while read -r letter kind label folder; do
        [ -n "$letter" ] || continue
        if [ -e "$DOS/$letter:" ] || [ -L "$DOS/$letter:" ]; then
            echo "test-volumes: drive $letter: already exists in $WINEPREFIX; not touching it" >&2
            return 1
        fi
    done <<<"$DRIVES"

    mkdir -p "$VOLUMES"
    [ -d "$DOS/unc" ] || { mkdir "$DOS/unc"; touch "$VOLUMES/created-unc"; }
    mkdir -p "$DOS/unc/$SERVER"
    local reg="$VOLUMES/drives.reg" undo="$VOLUMES/drives-undo.reg"
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n' >"$reg"
    if grep -q '^\[Software\\\\Wine\\\\Drives\]' "$WINEPREFIX/system.reg"; then
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n' >"$undo"
    else
        printf 'REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n' >"$undo"
    fi

    local share dir
    while read -r share folder; do
        mkdir -p "$VOLUMES/$folder"
        ln -s "$VOLUMES/$folder" "$DOS/unc/$SERVER/$share"
    done <<<"$SHARES"

    while read -r letter kind label folder; do
        [ -n "$letter" ] || continue
        if [ "$folder" = - ]; then
            ln -s "$VOLUMES/no-disc" "$DOS/$letter:"
            dir=""
        elif [ "$kind" = network ]; then
            # Wine reports a drive linked into the UNC folder as connected to that share.
            ln -s "unc/$SERVER/$folder" "$DOS/$letter:"
            dir=$(readlink "$DOS/unc/$SERVER/$folder")
        else
            dir="$VOLUMES/$folder"
            mkdir -p "$dir"
            ln -s "$dir" "$DOS/$letter:"
        fi
        [ -n "$dir" ] && [ "$label" != - ] && printf '%s\n' "$label" >"$dir/.windows-label"
        if [ "$kind" != fixed ]; then
            printf '"%s:"="%s"\n' "$letter" "$kind" >>"$reg"
            grep -q '^\[-' "$undo" || printf '"%s:"=-\n' "$letter" >>"$undo"
        fi
    done <<<"$DRIVES"
    for f in $FILES; do
        mkdir -p "$(dirname "$VOLUMES/$f")"
        printf 'test image %s\n' "$f" >"$VOLUMES/$f"
    done

    regedit_file "$reg"
    "$WINESERVER" -w # the drive kinds are in the registry before the session's server starts
}

case "${1:-}" in
    up) up ;;
    down) down ;;
    *) echo "usage: $0 up|down" >&2; exit 2 ;;
esac
