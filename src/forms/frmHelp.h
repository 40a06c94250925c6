#pragma once

#include <QDialog>

class ErrorTrap;
class NavigationBar;
class QPushButton;
class QTextEdit;

// The About box and the help viewer in one form: HelpTopic says which. For a help reference the
// section is cut out of the document in a hidden box and copied to the viewer with its formatting.
// Closing the form empties HelpTopic.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);

    QTextEdit *RichTextBox1; // the viewer
    QTextEdit *RichTextBox2; // never shown: the section is cut out here
    QPushButton *cmdExit;
    NavigationBar *Data1; // a picture of the entry screen's navigation bar

public Q_SLOTS:
    void cmdExit_Click();
    void cmdExit_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void layOut();
    void Form_Unload();
    void RichTextBox1_GotFocus();
    void showAbout();
    void showSection(ErrorTrap &trap, const QString &topic);

    int pictureTop = 0; // where the picture stands, in the viewer's unscrolled text
};
