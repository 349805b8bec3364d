#include "store/SqlText.h"

namespace brevalto {

QString QuoteSql(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString LikePattern(const QString& text) {
    QString pattern = QuoteSql(text);
    pattern.replace(QLatin1Char('*'), QLatin1Char('%'));
    return pattern;
}

} // namespace brevalto
