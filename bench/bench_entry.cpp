// Times the entry screen on a table of 100,000 generated deals, on the offscreen platform.
//   volmera_bench_entry [--db FILE] [--runs N]
// Without --db the deals are generated into a temporary folder; with it, an existing file is
// used as it stands and a missing one is made there, for the next run to reuse.
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "domain/sample/DealGenerator.h"
#include "forms/EntryBox.h"
#include "forms/frmZEL.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {
const int dealCount = 100000;
const QString benchStock = QStringLiteral("BX"); // the saved deals, removed at the end

void generate(const QString &path) {
    std::printf("generating %d deals into %s ...\n", dealCount, qPrintable(path));
    std::fflush(stdout);
    createDealDatabase(path);
    auto db = Database::open(path);
    DealGenerator({1, 40, QStringLiteral("G")}).addTo(*db, dealCount);
}

// Keys go where the user's would: to the control that has the focus.
void key(int code, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = {}) {
    QWidget *target = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, code, mods, text);
    QKeyEvent release(QEvent::KeyRelease, code, mods, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void type(EntryBox *box, const QString &text) {
    box->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Home); // the first key at the start replaces the field
    for (QChar c : text)
        key(c.toUpper().unicode(), Qt::NoModifier, QString(c)); // ASCII codes are Qt's key codes
}

bool activate(QWidget *window) {
    QApplication::setActiveWindow(window);
    QElapsedTimer waited;
    waited.start();
    while (!window->isActiveWindow() && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return window->isActiveWindow();
}

struct Timing {
    const char *name;
    QList<double> ms;
    QList<double> cpuMs; // processor time of this thread, which other work on the machine
                         // does not inflate
};

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void report(const Timing &t) {
    const auto [least, most] = std::minmax_element(t.ms.cbegin(), t.ms.cend());
    std::printf("%-38s min %8.2f  median %8.2f  max %8.2f ms  processor median %8.2f ms  (%lld "
                "runs)\n",
                t.name, *least, median(t.ms), *most, median(t.cpuMs),
                static_cast<long long>(t.ms.size()));
}

void timed(Timing &t, const std::function<void()> &work) {
    QElapsedTimer clock;
    const double cpu = threadCpuMs();
    clock.start();
    work();
    t.ms << clock.nsecsElapsed() / 1e6;
    t.cpuMs << threadCpuMs() - cpu;
}
} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"db", "Deal database to use, made when missing.", "FILE"},
                       {"runs", "Repetitions of each operation.", "N", "15"}});
    parser.process(app);
    const int runs = qMax(1, parser.value("runs").toInt());

    QTemporaryDir scratch;
    const QString path = parser.isSet("db") ? QFileInfo(parser.value("db")).absoluteFilePath()
                                            : scratch.filePath(DealSchema::Table + ".mdb");
    try {
        if (!QFileInfo::exists(path))
            generate(path);
        {
            auto db = Database::open(path);
            std::printf("deals in %s: %d\n", qPrintable(path),
                        db->openRecordset(DealSchema::Table)->recordCount());
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "volmera_bench_entry: %s\n", e.what());
        return 1;
    }

    // The screen opens its database by the program's own name for it, in the working folder.
    QDir::setCurrent(QFileInfo(path).absolutePath());
    AppSettings &settings = appSettings();
    settings.DatabasePath = ".\\" + QFileInfo(path).fileName();
    settings.VersionText = Defaults::VersionText;
    settings.DealerName = QStringLiteral("BENCH MOTORS");
    Clock::setToday(QDate(2024, 3, 5));
    ScriptedPrompter prompter;
    PrompterScope scope(&prompter);

    Timing open{"open screen (construct + show)", {}, {}};
    for (int i = 0; i < runs; ++i) {
        std::unique_ptr<frmZEL> form;
        timed(open, [&] {
            form = std::make_unique<frmZEL>();
            form->show();
        });
    }

    frmZEL form;
    form.show();
    if (!activate(&form)) {
        std::fprintf(stderr, "volmera_bench_entry: the window never became active\n");
        return 1;
    }
    EntryBox *dateSold = form.txtZEL[0];
    Timing last{"Ctrl+End", {}, {}}, next{"Page Up", {}, {}}, find{"Find by last name", {}, {}},
        save{"Save new deal (Add, 3 fields, Save)", {}, {}};
    for (int i = 0; i < runs; ++i) {
        dateSold->setFocus();
        key(Qt::Key_Home, Qt::ControlModifier);
        timed(last, [] { key(Qt::Key_End, Qt::ControlModifier); });
    }
    key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < runs; ++i)
        timed(next, [] { key(Qt::Key_PageUp); });
    for (int i = 0; i < runs; ++i) {
        prompter.answer(Answer::Yes);
        prompter.type(QStringLiteral("WRIGHT"));
        timed(find, [&] { form.cmdFind->click(); });
    }
    for (int i = 0; i < runs; ++i) {
        timed(save, [&] {
            form.cmdAdd->click();
            type(form.txtZEL[0], QStringLiteral("3/5/2024"));
            type(form.txtZEL[1], QStringLiteral("BENCHMAN"));
            type(form.txtZEL[20], benchStock + QString::number(100000 + i));
            form.cmdSave->click();
        });
    }
    const bool saved = form.txtZEL[20]->text() == benchStock + QString::number(100000 + runs - 1);
    const int shown = int(prompter.shown.size());
    form.close();

    std::printf("machine: %d logical processors (nproc)\n", QThread::idealThreadCount());
    for (const Timing *t : {&open, &last, &next, &find, &save})
        report(*t);
    if (!saved || shown != runs * 2)
        std::fprintf(stderr, "volmera_bench_entry: the screen did not do what was timed\n");

    try {
        auto db = Database::open(path);
        db->exec("DELETE FROM ZEL WHERE StkNbr GLOB '" + benchStock + "[0-9]*'");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "volmera_bench_entry: %s\n", e.what());
        return 1;
    }
    return saved && shown == runs * 2 ? 0 : 1;
}
