#include "logic/RowRules.h"

#include "store/Dataset.h"

namespace brevalto {

ValueRow::ValueRow(std::initializer_list<std::pair<QString, QVariant>> values) {
    for (const auto& [column, value] : values)
        set(column, value);
}

void ValueRow::set(const QString& column, const QVariant& value) {
    values_.insert(column.toLower(), value);
}

QString ValueRow::text(const QString& column) const {
    return values_.value(column.toLower()).toString();
}

bool ValueRow::flag(const QString& column) const {
    return values_.value(column.toLower()).toBool();
}

QString DatasetRow::text(const QString& column) const {
    return dataset_.text(column);
}

bool DatasetRow::flag(const QString& column) const {
    return dataset_.flag(column);
}

const RowRule* firstFailure(const QList<RowRule>& list, const RowValues& row) {
    for (const RowRule& rule : list) {
        if (rule.fails(row))
            return &rule;
    }
    return nullptr;
}

QStringList failures(const QList<RowRule>& list, const RowValues& row) {
    QStringList messages;
    for (const RowRule& rule : list) {
        if (rule.fails(row))
            messages << rule.message;
    }
    return messages;
}

namespace rules {

RowTest missing(const QString& column) {
    return [column](const RowValues& row) { return row.isEmpty(column); };
}

RowTest tooShort(const QString& column, int min) {
    return [column, min](const RowValues& row) {
        const int length = row.length(column);
        return length > 0 && length < min;
    };
}

RowTest whileOn(const QStringList& flags, RowTest test) {
    if (flags.isEmpty())
        return test;
    return [flags, test = std::move(test)](const RowValues& row) {
        for (const QString& flag : flags) {
            if (!row.flag(flag))
                return false;
        }
        return test(row);
    };
}

QList<RowRule> whileOn(const QStringList& flags, QList<RowRule> list) {
    for (RowRule& rule : list)
        rule.fails = whileOn(flags, std::move(rule.fails));
    return list;
}

RowTest notSi(const QString& column) {
    return [column](const RowValues& row) {
        const QString value = row.text(column);
        return !value.isEmpty() && value.toUpper() != QLatin1String("SI");
    };
}

} // namespace rules

} // namespace brevalto
