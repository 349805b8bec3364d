#pragma once
// The exchange system's title of each rejection code, from the archive's list of codes: read once
// per code however many findings or errors share it.
#include <QHash>
#include <QString>

namespace brevalto {

class DataModule;

class ErrorTitles {
public:
    explicit ErrorTitles(DataModule& db) : db_(db) {}
    // Empty for a code the list lacks, or when the archive cannot be read: a title only adds to
    // the code, which is always shown.
    QString title(const QString& code);

private:
    DataModule& db_;
    QHash<QString, QString> titles_;
};

} // namespace brevalto
