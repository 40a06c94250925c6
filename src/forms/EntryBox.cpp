#include "forms/EntryBox.h"

#include "forms/frmZEL.h"

#include <QFocusEvent>
#include <QKeyEvent>

EntryBox::EntryBox(int index, frmZEL *form, QWidget *parent)
    : QLineEdit(parent), boxIndex(index), form(form) {
    setObjectName(QStringLiteral("txtZEL_%1").arg(index));
}

void EntryBox::keyPressEvent(QKeyEvent *event) {
    if (form == nullptr) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (form->txtZEL_KeyDown(boxIndex, event->key(), event->modifiers()))
        return;
    const QString text = event->text();
    if (!text.isEmpty()) {
        int keyAscii = qMin(int(text.at(0).unicode()), 255);
        if (!form->txtZEL_KeyPress(boxIndex, keyAscii))
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void EntryBox::focusInEvent(QFocusEvent *event) {
    QLineEdit::focusInEvent(event);
    // Tab selects the whole text; the caret goes to its start, so that a long text shows from
    // there too.
    if (hasSelectedText() && selectedText().size() == text().size())
        setSelection(int(text().size()), -int(text().size()));
    if (form != nullptr)
        form->boxFocusIn(boxIndex);
}

void EntryBox::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    if (form != nullptr)
        form->boxFocusOut(boxIndex, event->reason());
}
