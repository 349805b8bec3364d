#pragma once
// A look over the bytes of an XML file before any parser sees them, for what an invoice or a
// notification of the exchange system never holds and what makes a parser spend memory or time
// out of all proportion to the file: a document type declaration (and with it every entity
// declaration), a reference to an entity other than the five the language predefines, elements
// nested deeper than any real file, and an encoding the look cannot read. Every reader of such
// files (the check, the readable copy, the viewer, the imports) screens the bytes first and
// refuses, or reads around, what is found. The look is one pass, linear in the size of the file,
// and skips comments, CDATA sections and processing instructions as a parser does.
#include <QByteArray>
#include <QList>
#include <QString>

namespace brevalto::check {

// The deepest nesting of elements read. FatturaPA files are less than twenty levels deep (the
// signature's elements included); 64 leaves room for any honest file and keeps a parser's work
// per element small, whatever its algorithm.
constexpr int kMaxXmlDepth = 64;

struct XmlHazard {
    enum class Kind { Declaration, Entity, Depth, Encoding };
    Kind kind = Kind::Declaration;
    int line = 0;  // 0 when the whole file is concerned
    QString name;  // the declaration's keyword, the entity's name, or the encoding
    int count = 1; // references to undeclared-by-the-language entities, in all

    // "Riga 3: dichiarazione <!DOCTYPE non ammessa: ...", in Italian.
    QString text() const;
};

struct XmlScreening {
    // In the order found, at most one of each kind.
    QList<XmlHazard> hazards;
    // The bytes with every declaration blanked (its line breaks kept, so that lines still match)
    // and every reference to an entity left out; set only when declarations or references are
    // all that was found, for a reader that goes on with the rest of the file.
    QByteArray withoutHazards;

    bool safe() const { return hazards.isEmpty(); }
    // The first hazard's text, for readers that refuse the file; empty when safe.
    QString refusal() const;
};

XmlScreening screenXml(const QByteArray& bytes);

} // namespace brevalto::check
