#pragma once
// Reading back the PDF the renderer writes, with poppler's pdftotext as an independent reader.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto::test {

// The text of each page, in drawing order, blanks and line breaks collapsed to one space.
QStringList pdfPages(const QByteArray& pdf);
// Every word with its right edge in points, for the check that nothing runs off the page.
struct PdfWord {
    QString text;
    double xMax = 0;
    double pageWidth = 0;
};
QList<PdfWord> pdfWords(const QByteArray& pdf);

// An official sample of the format, as bytes; empty when the samples folder is not there.
QByteArray sample(const QString& name);

// Runs a program and returns its exit code; output goes to out when given.
int run(const QString& program, const QStringList& args, QByteArray* out = nullptr);

} // namespace brevalto::test
