#include "domain/entry/KeyRules.h"

namespace {
bool isControl(int code) {
    return code >= 0 && code <= 31;
}
bool isDigit(int code) {
    return code >= '0' && code <= '9';
}
bool isLetter(int code) {
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

bool accepts(QChar kind, int code) {
    // Fields are stored in code page 1252, where anything beyond Latin-1 lands on 128-255,
    // which no kind accepts; so codes outside 0-255 are refused everywhere.
    if (code < 0 || code > 255)
        return false;
    switch (kind.unicode()) {
    case u'S':
        // The comma and the quote are the delimiters of the comma-delimited deal files.
        return code != '"' && code != ',' && code < 123;
    case u'V':
        return (isControl(code) && code != '\r') || code == '*' || code == '+' || code == '-' ||
               code == '.' || isDigit(code);
    case u'N':
        return isControl(code) || isDigit(code);
    case u'D':
        return isControl(code) || code == '/' || isDigit(code);
    case u'K':
        return isControl(code) || code == '-' || isDigit(code) || isLetter(code);
    default:
        return false;
    }
}
} // namespace

bool ValidKey(QChar kind, int &keyAscii) {
    if (accepts(kind, keyAscii))
        return true;
    keyAscii = 0;
    return false;
}

bool replacesField(QChar kind, int keyAscii, const BoxState &box) {
    // Enter types nothing: it never empties a date, a number or a year.
    if (keyAscii == '\r' && kind != u'S')
        return false;
    if (box.selectionStart >= 0)
        return box.selectionStart == 0; // a selection further on is replaced by the box itself
    if (box.caret == 0)
        return true;
    return kind == u'D' && !isControl(keyAscii) && box.length >= box.maxLength;
}

NavAction specialKeyAction(int qtKey, Qt::KeyboardModifiers mods) {
    // Only Shift, Ctrl and Alt count: Page Up on the keypad carries the keypad flag and must
    // still step.
    const Qt::KeyboardModifiers held =
        mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrl = held.testFlag(Qt::ControlModifier);
    switch (qtKey) {
    case Qt::Key_S:
        return ctrl && held.testFlag(Qt::ShiftModifier) ? NavAction::OpenSettings : NavAction::None;
    // Page Up steps forward through the record order, Page Down backward.
    case Qt::Key_PageUp:
        return held == Qt::NoModifier ? NavAction::Next : NavAction::None;
    case Qt::Key_PageDown:
        return held == Qt::NoModifier ? NavAction::Previous : NavAction::None;
    case Qt::Key_End:
        return ctrl ? NavAction::Last : NavAction::None;
    case Qt::Key_Home:
        return ctrl ? NavAction::First : NavAction::None;
    default:
        return NavAction::None;
    }
}
