#pragma once
// Small XML files that would make a careless parser spend memory or time out of all proportion
// to their size, made by the tests that need them.
#include <QByteArray>

namespace brevalto::test {

// A small FatturaPA file (header and one body with its number) for readers that look no further.
QByteArray smallInvoice();
// The invoice with a document type declaration of one entity of length characters, referenced
// uses times at the start of the first element named element.
QByteArray withEntityBomb(QByteArray invoice, const QByteArray& element, int length, int uses);
// The invoice with depth elements nested at the start of the first element named element.
QByteArray withDeepNesting(QByteArray invoice, const QByteArray& element, int depth);

} // namespace brevalto::test
