#pragma once
// Reading back the PDF the renderer writes, with poppler's pdftotext as an independent reader.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace brevalto::test {

// The text of each page, in drawing order, blanks and line breaks collapsed to one space; the
// characters are those a reader copies out of the PDF, unnormalised.
// Read as laid out (not raw) a right-to-left word reads as one word, as a PDF viewer copies it.
QStringList pdfPages(const QByteArray& pdf, bool raw = true);
// Every word with its right edge in points, for the check that nothing runs off the page.
struct PdfWord {
    QString text;
    double xMax = 0;
    double pageWidth = 0;
};
QList<PdfWord> pdfWords(const QByteArray& pdf);

// An official sample of the format, as bytes; empty when the samples folder is not there.
QByteArray sample(const QString& name);

// A small invoice whose words hold the letter pairs fonts draw as ligatures (fi, ff, ffi, fl,
// ffl) in every kind of field: party names, addresses, e-mail, descriptions, causale. The buyer is
// a person whose name is in Arabic and whose surname ends with an emoji.
QByteArray ligatureInvoice();

// Runs a program and returns its exit code; output goes to out when given.
int run(const QString& program, const QStringList& args, QByteArray* out = nullptr);

} // namespace brevalto::test
