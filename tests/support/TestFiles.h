#pragma once
// Temporary program folders and archives for tests: every test gets its own.
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

namespace brevalto::test {

// A fresh temporary folder that is removed with the object.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// The complaints of xmllint validating the file against the official FatturaPA 1.2.3 schema that
// ships with the program (offline, through its catalog); empty when the file is valid. A missing
// xmllint is a complaint too: the set-up script installs it.
QString schemaErrors(const QString& path);

// Path of a new archive with the full schema and reference data, created once per test run and
// copied, so that tests do not pay for creating it again.
QString copyOfNewArchive(const TempFolder& folder, const QString& name = "archivioPa.mdb");

// What a command wrote on a temporary stream (std::tmpfile), trimmed; the stream is closed.
QString readAndClose(std::FILE* stream);

} // namespace brevalto::test
