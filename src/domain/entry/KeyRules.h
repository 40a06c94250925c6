#pragma once

#include <QChar>
#include <Qt>

// Whether a typed character may go into a box of the given kind ('S' text, 'V' amount or rate,
// 'N' whole number, 'D' date, 'K' model year). A refused character is cancelled by setting
// keyAscii to 0, so the box never sees it.
bool ValidKey(QChar kind, int &keyAscii);

// The first accepted key typed with the caret at the start replaces the whole field (Backspace
// included), so the form empties the box before the key takes effect.
bool replacesField(bool accepted, int caretPosition);

// What a navigation key asks of the form; the form makes the move and the end-of-set checks.
enum class NavAction { None, Next, Previous, First, Last, OpenSettings };

NavAction specialKeyAction(int qtKey, Qt::KeyboardModifiers mods);
