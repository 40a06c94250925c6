#include "domain/export/SheetFiles.h"

#include "base/ErrorTrap.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <xlsxwriter.h>

namespace {
VolmeraError unwritable(const QString &path, const QString &why) {
    return VolmeraError(QStringLiteral("The file %1 cannot be written: %2")
                            .arg(QFileInfo(path).absoluteFilePath(), why));
}

QString csvField(const QString &text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') &&
        !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// The formats of the workbook, one for each kind of cell, plain and bold (the header and the
// totals rows).
class Formats {
public:
    explicit Formats(lxw_workbook *book) {
        for (int bold = 0; bold < 2; ++bold) {
            for (int kind = 0; kind <= SheetCell::Rate; ++kind) {
                lxw_format *f = workbook_add_format(book);
                if (bold)
                    format_set_bold(f);
                if (const char *number = numberFormat(SheetCell::Kind(kind)))
                    format_set_num_format(f, number);
                formats[bold][kind] = f;
            }
        }
    }
    lxw_format *of(SheetCell::Kind kind, bool bold) const { return formats[bold][kind]; }

private:
    static const char *numberFormat(SheetCell::Kind kind) {
        switch (kind) {
        case SheetCell::Date:
            return "mm/dd/yyyy";
        case SheetCell::Money:
            return "$#,##0.00;-$#,##0.00";
        case SheetCell::Count:
            return "0";
        case SheetCell::Units:
            return "0.0";
        case SheetCell::Percent:
            return "0.00";
        case SheetCell::Rate:
            return "0.00000";
        default:
            return nullptr;
        }
    }
    lxw_format *formats[2][SheetCell::Rate + 1] = {};
};

double numberOf(const SheetCell &cell) {
    switch (cell.kind) {
    case SheetCell::Count:
        return double(cell.count);
    case SheetCell::Rate:
        return cell.rate;
    default:
        return cell.amount.toDouble();
    }
}
} // namespace

QString csvText(const SheetCell &cell) {
    switch (cell.kind) {
    case SheetCell::Empty:
        return {};
    case SheetCell::Text:
        return cell.text;
    case SheetCell::Date:
        return cell.date.isValid() ? cell.date.toString(QStringLiteral("MM/dd/yyyy")) : QString();
    case SheetCell::Money:
        return cell.amount.toPlainText();
    case SheetCell::Count:
        return QString::number(cell.count);
    case SheetCell::Units:
        return QString::number(cell.amount.toDouble(), 'f', 1);
    case SheetCell::Percent:
        return QString::number(cell.amount.toDouble(), 'f', 2);
    case SheetCell::Rate:
        return QString::number(cell.rate, 'f', 5);
    }
    return {};
}

void writeCsv(const ReportSheet &sheet, const QString &path) {
    QString text;
    QStringList fields;
    for (const SheetColumn &column : sheet.columns)
        fields << csvField(column.heading);
    text += fields.join(u',') + QStringLiteral("\r\n");
    sheet.forEachRow([&](const SheetRow &row) {
        fields.clear();
        for (qsizetype i = 0; i < sheet.columns.size(); ++i)
            fields << csvField(i < row.cells.size() ? csvText(row.cells[i]) : QString());
        text += fields.join(u',') + QStringLiteral("\r\n");
    });
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw unwritable(path, file.errorString());
    file.write(text.toUtf8());
    if (!file.commit())
        throw unwritable(path, file.errorString());
}

void writeXlsx(const ReportSheet &sheet, const QString &path) {
    // The workbook is made beside the file and takes its place only when it is whole.
    const QString part = path + QStringLiteral(".part");
    // Rows go to the file as they are written: a list of a hundred thousand deals is not held
    // in memory twice.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(part).constData(), &options);
    if (book == nullptr)
        throw unwritable(path, QStringLiteral("no workbook could be made"));
    const Formats formats(book);
    const QByteArray name =
        (sheet.name.isEmpty() ? QStringLiteral("Report") : sheet.name).left(31).toUtf8();
    lxw_worksheet *ws = workbook_add_worksheet(book, name.constData());
    const auto columns = lxw_col_t(sheet.columns.size());
    for (lxw_col_t c = 0; c < columns; ++c) {
        const SheetColumn &column = sheet.columns[c];
        worksheet_set_column(ws, c, c, qMax(column.width, int(column.heading.size())) + 2, nullptr);
        worksheet_write_string(ws, 0, c, column.heading.toUtf8().constData(),
                               formats.of(SheetCell::Text, true));
    }
    const auto data = lxw_row_t(sheet.dataRows());
    // Rows are written straight to the file, so the header's freeze and filter come first.
    if (columns > 0) {
        worksheet_freeze_panes(ws, 1, 0);
        worksheet_autofilter(ws, 0, 0, data, columns - 1);
    }
    lxw_row_t at = 0;
    sheet.forEachRow([&](const SheetRow &row) {
        ++at;
        const bool bold = row.below;
        for (lxw_col_t c = 0; c < columns && c < lxw_col_t(row.cells.size()); ++c) {
            const SheetCell &cell = row.cells[c];
            lxw_format *f = formats.of(cell.kind, bold);
            if (cell.kind == SheetCell::Text) {
                worksheet_write_string(ws, at, c, cell.text.toUtf8().constData(), f);
            } else if (cell.kind == SheetCell::Date && cell.date.isValid()) {
                lxw_datetime when = {cell.date.year(), cell.date.month(), cell.date.day(), 0, 0, 0};
                worksheet_write_datetime(ws, at, c, &when, f);
            } else if (cell.isNumber() && row.sum && data > 0) {
                char range[64];
                lxw_rowcol_to_range(range, 1, c, data, c);
                const QByteArray formula = QByteArrayLiteral("=SUM(") + range + ')';
                worksheet_write_formula_num(ws, at, c, formula.constData(), f, numberOf(cell));
            } else if (cell.isNumber()) {
                worksheet_write_number(ws, at, c, numberOf(cell), f);
            }
        }
    });
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        QFile::remove(part);
        throw unwritable(path, QString::fromUtf8(lxw_strerror(closed)));
    }
    QFile::remove(path);
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw unwritable(path, QStringLiteral("it cannot replace the file there"));
    }
}
