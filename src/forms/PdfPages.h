#pragma once

#include "domain/reports/Pagination.h"

#include <QList>
#include <QString>

// Printed pages as a PDF file, a sheet for each page, in a fixed-pitch font sized so that the
// widest line and the longest page fit. Throws VolmeraError when the file cannot be written.
void writePdf(const QList<PrintedPage> &pages, const QString &path);
