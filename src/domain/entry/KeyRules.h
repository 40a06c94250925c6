#pragma once

#include <QChar>
#include <Qt>

// Whether a typed character may go into a box of the given kind ('S' text, 'V' amount or rate,
// 'N' whole number, 'D' date, 'K' model year). A refused character is cancelled by setting
// keyAscii to 0, so the box never sees it.
bool ValidKey(QChar kind, int &keyAscii);

// A box as a key is typed into it: the caret, the start of its selection (-1: none), the length
// of its text and the most it takes.
struct BoxState {
    int caret, selectionStart, length, maxLength;
};

// Whether an accepted key empties the box before it takes effect: the first key typed with the
// caret at the start, or over a selection from the start, replaces the whole field (Backspace
// included, Enter only in a text box); so does a character typed into a date box that holds a
// whole date, which could take no more.
bool replacesField(QChar kind, int keyAscii, const BoxState &box);

// What a navigation key asks of the form; the form makes the move and the end-of-set checks.
enum class NavAction { None, Next, Previous, First, Last, OpenSettings };

NavAction specialKeyAction(int qtKey, Qt::KeyboardModifiers mods);
