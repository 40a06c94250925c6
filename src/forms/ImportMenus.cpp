// The entry screen's work on the database as a whole: the import of the dealer system's export
// and the purge and rebuild. The work itself is the store's; the screen asks, shows progress
// and binds again.
#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "domain/import/Import.h"
#include "domain/startup/ZELMain.h"
#include "forms/frmZEL.h"
#include "store/Purge.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// What became of the deals of an export, in one line.
QString importCounts(const DealImport::Outcome &out) {
    QString counts = QStringLiteral("Deals imported: %1, already there: %2, refused: %3.")
                         .arg(out.imported)
                         .arg(out.alreadyPresent)
                         .arg(out.refused.size());
    if (out.notForImport > 0)
        counts += QStringLiteral(" Marked not for import (stock number \"*\"): %1.")
                      .arg(out.notForImport);
    return counts;
}

QString purgeCounts(const DealPurge::Outcome &out) {
    return QStringLiteral("Deals purged: %1, kept: %2.").arg(out.deleted).arg(out.kept);
}
} // namespace

void frmZEL::makeProgressBox() {
    if (fraPrgBox != nullptr)
        return;
    fraPrgBox = new QGroupBox(QStringLiteral("Progress Box"), Picture1);
    fraPrgBox->setObjectName(QStringLiteral("fraPrgBox"));
    fraPrgBox->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(fraPrgBox);
    PrgBox = new QProgressBar(fraPrgBox);
    PrgBox->setObjectName(QStringLiteral("PrgBox"));
    PrgBox->setTextVisible(false);
    PrgBox->setValue(0);
    lblPercent = new QLabel(fraPrgBox);
    lblPercent->setObjectName(QStringLiteral("lblPercent"));
    lblPercent->setText(QStringLiteral("<table width=\"100%\"><tr><td align=\"left\">0</td>"
                                       "<td align=\"center\">50</td><td align=\"right\">100%"
                                       "</td></tr></table>"));
    layout->addWidget(PrgBox);
    layout->addWidget(lblPercent);
    const QSize size(qMin(360, Picture1->width() - 20), 90);
    fraPrgBox->setGeometry((Picture1->width() - size.width()) / 2,
                           (Picture1->height() - size.height()) / 2, size.width(), size.height());
    fraPrgBox->hide();
}

void frmZEL::mnuImportZEL_Click() {
    ErrorTrap trap(QStringLiteral("ZEL - IMPORT MNU"));
    AppSettings &settings = appSettings();
    const bool leftAddMode = settings.AddMode;
    if (leftAddMode) {
        setBrowseMode(true);
        settings.AddMode = false;
    }
    settings.ImportBusy = true;
    trap.run([&] {
        if (const auto found = DealImport::findExport()) {
            if (leftAddMode) {
                // The deal being added is dropped, and the boxes show a stored deal again, so
                // that nothing typed for it is written over another deal.
                session.dropNew();
                session.reload();
            }
            ImportDeals(int(found->form), found->path);
            return;
        }
        Prompter::current().msgBox(QStringLiteral("NO IMPORT FILE FOUND"), Style::OK);
        if (leftAddMode) {
            setBrowseMode(false);
            settings.AddMode = true;
        }
    });
    settings.ImportBusy = false;
    trap.report();
}

void frmZEL::ImportDeals(int kind, const QString &path) {
    ErrorTrap trap(QStringLiteral("IMPORT ZEL"));
    makeProgressBox();
    fraPrgBox->setTitle(QStringLiteral("IMPORTING FILE"));
    fraPrgBox->show();
    fraPrgBox->raise();
    const int answer = Prompter::current().msgBox(
        QStringLiteral("ARE YOU SURE YOU WANT TO IMPORT!"), Style::YesNo);
    if (answer != Answer::Yes) {
        fraPrgBox->hide();
        trap.report();
        return;
    }
    setCursor(Qt::WaitCursor);
    // The question box has gone: the screen under it is painted again before the loop, which
    // does not give way to the desktop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    int shownPercent = -1;
    // The loop does not give way to the user; the bar is painted as it moves.
    const auto progress = [&](qint64 record, qint64 records) {
        if (PrgBox->maximum() != int(records)) {
            PrgBox->setMaximum(int(records));
            PrgBox->setValue(0);
        }
        PrgBox->setValue(int(qMin(record, records)));
        const int percent = records > 0 ? int(record * 100 / records) : 100;
        if (percent != shownPercent) {
            shownPercent = percent;
            fraPrgBox->repaint();
        }
    };
    const DealImport::ExportFile file{DealImport::Form(kind), path};
    QString done;
    trap.run([&] {
        const DealImport::Outcome outcome = DealImport::importDeals(dealDatabase(), file, progress);
        if (const QString message = DealImport::closingMessage(file, outcome); !message.isEmpty())
            trap.record(message + u'\n' + importCounts(outcome));
        else
            done = QStringLiteral("IMPORT OF %1 DONE.\n").arg(QFileInfo(path).fileName()) +
                   importCounts(outcome);
    });
    trap.run([&] { Refresh(); });
    unsetCursor();
    fraPrgBox->hide();
    PrgBox->setValue(0);
    if (!trap.pending() && !done.isEmpty())
        Prompter::current().msgBox(done, Style::Information, QStringLiteral("IMPORT ZEL"));
    trap.report();
}

void frmZEL::mnuRebuild_Click() {
    Prompter &ask = Prompter::current();
    const std::optional<QString> answer =
        ask.inputBox(DealPurge::prompt(), DealPurge::Title, DealPurge::DefaultCutoff);
    if (!answer || answer->isEmpty())
        return;
    const std::optional<QDate> cutoff = DealPurge::readCutoff(*answer);
    if (!cutoff) {
        ask.msgBox(DealPurge::notADate(*answer), Style::Critical, DealPurge::Title);
        return;
    }
    const QString day = cutoff->toString(QStringLiteral("MM/dd/yyyy"));
    const int choice = ask.msgBox(DealPurge::choice(*cutoff), Style::YesNoCancel | Style::Question,
                                  DealPurge::Title);
    if (choice == Answer::Cancel)
        return;
    // Blanking cannot be undone, and No is the answer a hurried clerk gives to stop: ask again.
    if (choice == Answer::No &&
        ask.msgBox(DealPurge::confirmBlanking(*cutoff),
                   Style::YesNo | Style::Exclamation | Style::DefaultButton2,
                   DealPurge::Title) != Answer::Yes)
        return;
    if (session.adding()) {
        // The binding is released below, and the deal being added with it.
        session.dropNew();
        setBrowseMode(true);
    }
    if (choice == Answer::No) {
        ErrorTrap trap(QStringLiteral("ZEL - BLANK MNU"));
        session.release();
        setCursor(Qt::WaitCursor);
        int blanked = 0;
        trap.run([&] { blanked = DealPurge::blankPersonalData(dealDatabase(), *cutoff); });
        // The deal shown may be one of them, and their keys have changed.
        trap.run([&] { Refresh(); });
        unsetCursor();
        if (!trap.pending())
            ask.msgBox(QStringLiteral("BLANKING DONE.\nThe personal data of %1 deal(s) sold "
                                      "before %2 was blanked.")
                           .arg(blanked)
                           .arg(day),
                       Style::Information, DealPurge::Title);
        trap.report();
        return;
    }
    // Retry runs the failed step again; Cancel leaves the files as they are at that point.
    const auto retry = [&ask](const QString &description) {
        return ask.msgBox(description, Style::RetryCancel) == Answer::Retry;
    };
    session.release();
    setCursor(Qt::WaitCursor);
    const DealPurge::Files files = DealPurge::files();
    const DatabaseAddress database = dealDatabase();
    const DealPurge::Outcome outcome = database.onServer()
                                           ? DealPurge::purge(database, files, *cutoff, retry)
                                           : DealPurge::purge(files, *cutoff, retry);
    // The database is there and usable whatever happened, so the screen binds again.
    for (;;) {
        try {
            Refresh();
            break;
        } catch (const std::exception &e) {
            if (!retry(QString::fromUtf8(e.what())))
                break;
        }
    }
    unsetCursor();
    if (outcome.completed) {
        // A damaged database was mended on the way: say how, and name the deals it lost.
        QString found;
        if (!outcome.repair.isEmpty())
            found += QLatin1Char('\n') + outcome.repair;
        if (!outcome.lost.isEmpty()) {
            found += QStringLiteral("\n%1 DEALS COULD NOT BE READ:").arg(outcome.lost.size());
            for (const QString &deal : outcome.lost.mid(0, 10))
                found += QStringLiteral("\n  ") + deal;
            if (outcome.lost.size() > 10)
                found += QStringLiteral("\n  ...");
        }
        ask.msgBox(QStringLiteral("PURGE & REBUILD DONE.\n%1%2\nThe database as it was before "
                                  "is kept in %3.")
                       .arg(purgeCounts(outcome), found, QDir::toNativeSeparators(outcome.backup)),
                   outcome.lost.isEmpty() ? Style::Information : Style::Exclamation,
                   DealPurge::Title);
    } else if (outcome.deleted > 0)
        ask.msgBox(QStringLiteral("PURGE & REBUILD STOPPED BEFORE IT WAS DONE.\n%1")
                       .arg(purgeCounts(outcome)),
                   Style::Exclamation, DealPurge::Title);
    else
        ask.msgBox(QStringLiteral("PURGE & REBUILD STOPPED. NOTHING WAS PURGED."),
                   Style::Exclamation, DealPurge::Title);
}
