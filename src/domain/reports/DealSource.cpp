#include "domain/reports/DealSource.h"

#include <algorithm>

QDate DealSource::date(int field) const {
    // Dates are stored yyyy-mm-dd; read the digits directly, the copy holds many of them.
    const QStringView v = view(field);
    if (v.size() != 10 || v[4] != u'-' || v[7] != u'-')
        return QDate::fromString(v.toString(), Qt::ISODate);
    const auto number = [&v](int from, int count) {
        int n = 0;
        for (int i = from; i < from + count; ++i)
            n = n * 10 + (v[i].unicode() - u'0');
        return n;
    };
    return QDate(number(0, 4), number(5, 2), number(8, 2));
}

QString DealSource::dateKey(int field) const {
    QString key = view(field).toString();
    key.replace(QLatin1Char('-'), QLatin1Char('/'));
    return key;
}

namespace {
// The date key of a stored date compared with a key; as the texts compare.
int compareKey(QStringView stored, QStringView key) {
    const qsizetype common = std::min(stored.size(), key.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t c = stored[i] == u'-' ? u'/' : stored[i].unicode();
        if (c != key[i].unicode())
            return c < key[i].unicode() ? -1 : 1;
    }
    return stored.size() == key.size() ? 0 : (stored.size() < key.size() ? -1 : 1);
}
} // namespace

bool DealSource::dateKeyWithin(int field, QStringView from, QStringView to) const {
    const QStringView stored = view(field);
    return !stored.isEmpty() && compareKey(stored, from) >= 0 && compareKey(stored, to) <= 0;
}

void MemorySource::moveNext() {
    if (eof())
        throw StoreError(StoreError::Kind::NoCurrentRow, QStringLiteral("No current record."));
    ++pos;
}
