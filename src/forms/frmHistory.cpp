#include "forms/frmHistory.h"

#include "domain/entry/History.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

frmHistory::frmHistory(const DatabaseAddress &database, const QString &stock, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("DEAL HISTORY - STOCK %1").arg(stock.trimmed()));
    txtHistory = new QPlainTextEdit(this);
    txtHistory->setObjectName(QStringLiteral("txtHistory"));
    txtHistory->setReadOnly(true);
    txtHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtHistory->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList lines;
    for (const Audit::Entry &e : DealHistory::read(database, stock))
        lines << DealHistory::line(e);
    txtHistory->setPlainText(lines.isEmpty() ? QStringLiteral("No changes are recorded for this "
                                                              "deal.")
                                             : lines.join(u'\n'));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtHistory);
    layout->addWidget(buttons);
    resize(860, 360);
}
