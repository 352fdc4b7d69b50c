#!/usr/bin/env bash
# Drives the real editor under an X server with real key and mouse events, as a user would,
# and checks what reached the saved file and the window title.
#   e2e.sh EDITOR EXAMPLES SCENARIO       (run inside xvfb-run; see tests/e2e/CMakeLists.txt)
set -uo pipefail

editor=$1
examples=$2
scenario=$3
work=$(mktemp -d)
export HOME=$work/home
export QT_QPA_PLATFORM=xcb # the other GUI tests run offscreen; these need the X server
mkdir -p "$HOME"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($scenario): $*"
    echo "0 passed, 1 failed"
    exit 1
}

# A window manager gives the focus back to the main window when a dialog closes, as on a
# desktop.
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# The first visible window named NAME, polled for up to SECONDS. One search can fail on its own:
# xdotool ends with an X error when a window it walks (a tooltip, a closing popup) goes away
# under it, so a failed search is tried again rather than taken as "no window".
find_window() { # NAME SECONDS
    local deadline=$((SECONDS + $2)) found
    while ((SECONDS < deadline)); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.2
    done
    return 1
}

window=""
start_editor() { # FILE
    # A second start where the first shows no window (a slow first start on a busy machine).
    for attempt in 1 2; do
        "$editor" "$1" >/dev/null 2>&1 &
        pids+=($!)
        window=$(find_window "Byteloom RC7" 30)
        [ -n "$window" ] && break
        kill -0 "${pids[-1]}" 2>/dev/null || fail "the editor ended at start-up"
        kill "${pids[-1]}" 2>/dev/null
    done
    [ -n "$window" ] || fail "the editor's window did not appear"
    sleep 1
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    # A click in the data area gives it the focus.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
    sleep 0.3
    xdotool key ctrl+Home
    sleep 0.2
}

keys() { xdotool key --delay 30 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 30 "$1"; sleep 0.3; }
title() { xdotool getwindowname "$window"; }

wait_for_dialog() { # NAME
    find_window "$1" 10 >/dev/null || fail "no dialog \"$1\""
    sleep 0.4
}

save() {
    keys ctrl+s
    sleep 0.5
    case "$(title)" in *"*]"*) fail "the title still shows unsaved work: $(title)" ;; esac
}

byte_at() { # FILE OFFSET -> two hex digits
    od -An -tx1 -j "$2" -N 1 "$1" | tr -d ' \n'
}

expect_byte() { # FILE OFFSET HEX
    local got
    got=$(byte_at "$1" "$2")
    [ "$got" = "$3" ] || fail "byte $2 of $(basename "$1") is $got, expected $3"
}

zeros() { # FILE SIZE
    head -c "$2" /dev/zero >"$1"
}

case "$scenario" in
shift-select-copy)
    # Shift+Right selects; Copy Hex As Text gives hex text, which pastes back as the bytes.
    printf '\x11\x22\x33\x44\x55' >"$work/a.bin"
    head -c 59 /dev/zero >>"$work/a.bin"
    start_editor "$work/a.bin"
    keys shift+Right shift+Right shift+Right
    keys alt+e a t
    keys ctrl+g
    wait_for_dialog "Jump to Offset"
    type_text 20
    keys Return
    keys ctrl+v
    save
    expect_byte "$work/a.bin" 32 11
    expect_byte "$work/a.bin" 33 22
    expect_byte "$work/a.bin" 34 33
    expect_byte "$work/a.bin" 35 00
    ;;
typing-screens)
    # Several screens of hex digits from offset 0: every byte written once, in order.
    zeros "$work/b.bin" 4096
    start_editor "$work/b.bin"
    digits=""
    for ((i = 0; i < 400; i++)); do digits+=$(printf '%02x' $((i % 256))); done
    xdotool type --delay 5 "$digits"
    sleep 0.5
    save
    expected=$(for ((i = 0; i < 400; i++)); do printf '%02x' $((i % 256)); done)
    got=$(od -An -tx1 -N 400 -v "$work/b.bin" | tr -d ' \n')
    [ "$got" = "$expected" ] || fail "the typed bytes are not in order"
    [ "$(od -An -tx1 -j 400 -N 1 "$work/b.bin" | tr -d ' \n')" = 00 ] || fail "byte 400 changed"
    ;;
last-byte)
    # At the last byte the second digit moves past the end; further digits write nothing.
    zeros "$work/c.bin" 32
    start_editor "$work/c.bin"
    keys ctrl+End End
    type_text 1234
    save
    expect_byte "$work/c.bin" 31 12
    expect_byte "$work/c.bin" 30 00
    [ "$(stat -c %s "$work/c.bin")" = 32 ] || fail "the file grew"
    ;;
unicode-odd-byte)
    # A character typed with the caret on a unit's second byte fills that whole unit.
    printf '\xff\xfe' >"$work/d.bin"
    head -c 30 /dev/zero >>"$work/d.bin"
    start_editor "$work/d.bin"
    case "$(title)" in *Unicode*) ;; *) fail "not in the Unicode mode: $(title)" ;; esac
    keys End Tab
    type_text Z
    save
    expect_byte "$work/d.bin" 13 00
    expect_byte "$work/d.bin" 14 5a
    expect_byte "$work/d.bin" 15 00
    expect_byte "$work/d.bin" 16 00
    ;;
keys-that-do-nothing)
    # Delete, Alt with a letter or digit, and Super with a letter never type.
    zeros "$work/e.bin" 64
    start_editor "$work/e.bin"
    keys Delete alt+a alt+b alt+c alt+1 super+a ctrl+h
    keys Escape Escape
    # In the text column without a table, Escape and Backspace write no control bytes.
    keys Tab Delete Escape BackSpace
    case "$(title)" in *"*]"*) fail "a key that does nothing edited the file: $(title)" ;; esac
    cmp -s "$work/e.bin" <(head -c 64 /dev/zero) || fail "the file changed"
    ;;
entry-box)
    # Escape closes the table entry box without writing; Enter writes and closes it; a command
    # writes it first.
    zeros "$work/f.bin" 64
    cp "$examples/sample.tbl" "$work/f.tbl"
    start_editor "$work/f.bin"
    keys Tab
    type_text A
    keys Escape
    case "$(title)" in *"*]"*) fail "Escape wrote the box's text" ;; esac
    type_text AB
    keys Return
    # No new box opened over the row: the next letter opens one of its own, and a command
    # (Save) writes what it holds first.
    type_text C
    save
    expect_byte "$work/f.bin" 0 80
    expect_byte "$work/f.bin" 1 81
    expect_byte "$work/f.bin" 2 82
    expect_byte "$work/f.bin" 3 00
    ;;
goto-paste)
    # A paste after Go To goes where the caret is, not over the old selection.
    printf '\xaa\xbb' >"$work/g.bin"
    head -c 62 /dev/zero >>"$work/g.bin"
    start_editor "$work/g.bin"
    keys shift+Right shift+Right ctrl+c
    keys ctrl+g
    wait_for_dialog "Jump to Offset"
    type_text 10
    keys Return
    keys ctrl+v
    save
    expect_byte "$work/g.bin" 0 aa
    expect_byte "$work/g.bin" 16 aa
    expect_byte "$work/g.bin" 17 bb
    ;;
new-then-type)
    # After New the caret is on byte 0.
    zeros "$work/h.bin" 64
    start_editor "$work/h.bin"
    keys Right Right Right
    keys ctrl+n
    type_text 41
    keys ctrl+s
    wait_for_dialog "Save as..."
    type_text "$work/new.bin"
    keys Return
    sleep 0.8
    [ -f "$work/new.bin" ] || fail "the new document was not saved"
    expect_byte "$work/new.bin" 0 41
    expect_byte "$work/new.bin" 1 00
    ;;
open-keeps-table)
    # A table stays loaded when another file is opened, and the title names it.
    zeros "$work/i.bin" 64
    zeros "$work/other.bin" 64
    cp "$examples/sample.tbl" "$work/i.tbl"
    start_editor "$work/i.bin"
    case "$(title)" in *"Sample (1252)"*) ;; *) fail "the table is not in the title: $(title)" ;; esac
    # Unsaved work first, so that Open asks about it and lets the document go.
    type_text 41
    keys ctrl+o
    sleep 0.8
    keys alt+n
    wait_for_dialog "Open a file"
    type_text "$work/other.bin"
    keys Return
    sleep 0.8
    case "$(title)" in
    *"other.bin ] - Sample (1252)"*) ;;
    *) fail "after Open the title says: $(title)" ;;
    esac
    ;;
every-dialog)
    # Each dialog opened and closed, with Enter and with Escape, gives the keys back to the
    # view: the digits typed after it write at the caret (Cancel in Go To moves nothing), and
    # an arrow moves it.
    zeros "$work/j.bin" 64
    cp "$examples/sample.tbl" "$work/j.tbl" # the script dialogs want a table
    start_editor "$work/j.bin"
    dialogs=("ctrl+f|Find" "ctrl+g|Jump to Offset" "alt+o p|Byteloom Preferences"
        "ctrl+d|Script Dumper" "ctrl+i|Script Insert" "alt+e k|Checksum"
        "alt+t h|Check Header" "alt+r p|Find Pointers" "alt+s s|Split File"
        "alt+s x|Expand File" "alt+h a|About Byteloom")
    for ((i = 0; i < 20; i++)); do
        entry=${dialogs[i % ${#dialogs[@]}]}
        # shellcheck disable=SC2086 # the opening keys are separate words
        keys ${entry%%|*}
        wait_for_dialog "${entry#*|}"
        if ((i % 2)); then keys Escape; else keys Return; fi
        # Enter may answer with a message of its own (an empty field): Escape closes that.
        for _ in 1 2 3; do
            [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && break
            keys Escape
        done
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] \
            || fail "after ${entry#*|} the editor's window is not active"
        # A lone Alt (a shortcut begun and dropped) leaves the keys with the view too.
        keys alt
        type_text "$(printf '%02x' $((i + 1)))"
        keys Left Right
    done
    save
    expected=$(for ((i = 1; i <= 20; i++)); do printf '%02x' $i; done)
    got=$(od -An -tx1 -N 20 -v "$work/j.bin" | tr -d ' \n')
    [ "$got" = "$expected" ] || fail "the bytes typed between dialogs are $got"
    expect_byte "$work/j.bin" 20 00
    ;;
*)
    fail "no scenario \"$scenario\""
    ;;
esac

echo "1 passed, 0 failed"
