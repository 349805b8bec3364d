#pragma once
// Notification files for the tests: the kit's samples, edited copies, a signed copy made with
// openssl and the attestation's zip made with libzip.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace brevalto::test {

// A sample notification of tests/receipts/samples, as bytes (the test fails when it is missing).
QByteArray sdiSample(const QString& name);
// The sample with each pair's first text replaced by its second.
QByteArray edited(const QString& name, const QList<QPair<QByteArray, QByteArray>>& changes);
void writeBytes(const QString& path, const QByteArray& bytes);
// The bytes signed into a CAdES envelope (DER) by a throwaway certificate made in folder.
QByteArray signedWithOpenssl(const QString& folder, const QByteArray& bytes);
// A zip holding the named entries.
QByteArray zipOf(const QList<QPair<QString, QByteArray>>& entries);

} // namespace brevalto::test
