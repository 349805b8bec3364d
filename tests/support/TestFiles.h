#pragma once
// Temporary program folders and archives for tests: every test gets its own.
#include <QString>
#include <QTemporaryDir>

namespace brevalto::test {

// The shared folder beside the project (official schemas, reference data); may be absent.
QString sharedDir();
// A fresh temporary folder that is removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Path of a new archive with the full schema and reference data, created once per test run and
// copied, so that tests do not pay for creating it again.
QString copyOfNewArchive(const TempFolder& folder, const QString& name = "archivioPa.mdb");

} // namespace brevalto::test
