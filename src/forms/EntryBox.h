#pragma once

#include <QLineEdit>

class frmZEL;

// One box of the entry screen's array: it hands its keys and focus changes, with its index,
// to the screen's handlers before the box itself sees them.
class EntryBox : public QLineEdit {
    Q_OBJECT
public:
    EntryBox(int index, frmZEL *form, QWidget *parent);
    int index() const { return boxIndex; }
    // The screen is going away: the box stops handing it anything (closing the window moves
    // the focus out of the box after the screen's own parts are gone).
    void release() { form = nullptr; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int boxIndex;
    frmZEL *form;
};
