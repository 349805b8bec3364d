#include "store/TextFields.h"

namespace brevalto {

QString ConvertiMemo(const QString& text) {
    return text.left(400);
}

QString GetField(const QString& text, int n, QChar delimiter) {
    if (text.isEmpty() || n < 1)
        return {};
    QString full = text;
    if (!full.endsWith(delimiter))
        full += delimiter;
    int start = 0;
    for (int field = 1;; ++field) {
        const int end = full.indexOf(delimiter, start);
        if (end < 0)
            return {};
        if (field == n)
            return full.mid(start, end - start);
        start = end + 1;
    }
}

int CountFields(const QString& text, QChar delimiter) {
    if (text.isEmpty())
        return 0;
    return int(text.count(delimiter)) + (text.endsWith(delimiter) ? 0 : 1);
}

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/')))
        return path;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            return path + c;
    }
    return path;
}

} // namespace brevalto
