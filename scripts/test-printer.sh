# Sourced by scripts/test: a real printer for the printing tests. Starts the CUPS scheduler when
# it is not running (there may be no service manager) and sets up "VOLMERA_PDF", a PDF printer
# (cups-pdf), made the default destination when the machine has none. Needs root; without it, or
# when anything fails, the printer test says so and is skipped.
# shellcheck shell=bash

# Plain text for the PDF printer is set in the built-in Courier: the usual text filter embeds a
# font that carries no text map, and the test reads the PDF back with pdftotext.
volmera_text_filter='#!/bin/sh
unset CHARSET
/usr/lib/cups/filter/texttopdf "$@" | /usr/lib/cups/filter/pdftops "$1" "$2" "$3" "$4" "$5"
'

start_test_printer() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "test printer: not root; the PDF printer test will be skipped"
        return 0
    fi
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
        /usr/sbin/cupsd || { echo "test printer: cupsd did not start"; return 0; }
        for _ in $(seq 50); do
            lpstat -r 2>/dev/null | grep -q "is running" && break
            sleep 0.2
        done
    fi
    local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    if [ ! -f "$ppd" ]; then
        echo "test printer: cups-pdf is not installed"
        return 0
    fi
    printf '%s' "$volmera_text_filter" >/usr/lib/cups/filter/volmera-texttops
    chmod 755 /usr/lib/cups/filter/volmera-texttops
    local own
    own=$(mktemp --suffix=.ppd)
    cat "$ppd" >"$own"
    printf '*cupsFilter: "application/vnd.cups-postscript 0 -"\n' >>"$own"
    printf '*cupsFilter: "text/plain 0 volmera-texttops"\n' >>"$own"
    lpadmin -p VOLMERA_PDF -v cups-pdf:/ -P "$own" -E 2>/dev/null ||
        echo "test printer: the PDF printer could not be set up"
    rm -f "$own"
    if ! lpstat -d 2>/dev/null | grep -q "destination:"; then
        lpadmin -d VOLMERA_PDF || echo "test printer: could not make VOLMERA_PDF the default"
    fi
    lpstat -d 2>/dev/null || true
}
