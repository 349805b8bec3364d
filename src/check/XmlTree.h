#pragma once
// Small helpers over libxml2's tree for the checker: children by name, texts, and the element
// paths the findings show.
#include <QString>
#include <QStringList>
#include <libxml/tree.h>
#include <vector>

namespace brevalto::check {

// The first element child named name, or null.
xmlNode* child(const xmlNode* parent, const char* name);
// Follows a path of element names, "DatiGenerali/DatiGeneraliDocumento/Numero"; null when any
// step is missing.
xmlNode* descend(const xmlNode* parent, const char* path);
// Every element child named name, in document order.
std::vector<xmlNode*> children(const xmlNode* parent, const char* name);
// The text content of an element (null gives an empty text).
QString text(const xmlNode* node);
// The text at a path below parent, empty when missing.
QString textAt(const xmlNode* parent, const char* path);
// The path of an element below the root: every step carries its 1-based index when the
// element may repeat (it has a sibling of the same name, or the schema lets it repeat).
QString elementPath(const xmlNode* node);
// Line of the element in the file (0 when unknown).
int lineOf(const xmlNode* node);
// Whether the schema lets an element of this name repeat: its paths always carry an index, so
// that a finding on the only line of a body reads the same as one on the third.
bool repeatable(const char* name);

// The characters of a text as the schema counts them: one for each, though a character beyond
// the first 65,536 (an emoji) takes two UTF-16 units in a QString.
qsizetype characters(QStringView text);
// The first count characters of a text, never half of one.
QString leftCharacters(const QString& text, qsizetype count);

} // namespace brevalto::check
