#pragma once
// The part of an invoice file the content rules read, built while the file streams through the
// parser and the schema validator. It keeps what libxml2's tree would keep (elements, their
// texts in order, the line of each start tag) with a fraction of its weight, and lets the
// reader drop a subtree once it is done with it: the lines of a body are read one at a time and
// let go, so that a file of ten thousand lines never stands whole in memory.
#include <QByteArray>
#include <QString>
#include <vector>

namespace brevalto::check {

struct Node {
    const char* name = nullptr; // element name without prefix (owned by the parser); null: text
    QByteArray text;            // a text node's characters
    Node* parent = nullptr;
    Node* first = nullptr;
    Node* last = nullptr;
    Node* next = nullptr;
    Node* prev = nullptr;
    int line = 0;  // of the start tag
    int index = 1; // among the element children of the same name before it, 1-based
    // Element children of each name, for the paths: "[n]" goes on a name that repeats.
    std::vector<std::pair<const char*, int>> counts;
    QByteArray versione; // the root's "versione" attribute

    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node();

    bool isElement() const { return name != nullptr; }
    // Appends an element child, numbering it among its namesakes.
    Node* addElement(const char* childName, int atLine);
    // Appends text, joined to the last child when that is text too.
    void addText(const char* characters, int length);
    // Unlinks and deletes a child.
    void remove(Node* child);
    // Links a new child after the last one.
    void append(Node* child);
    // Element children named childName so far.
    int count(const char* childName) const;
};

// The first element child named name, or null.
Node* child(const Node* parent, const char* name);
// Follows a path of element names, "DatiGenerali/DatiGeneraliDocumento/Numero"; null when any
// step is missing.
Node* descend(const Node* parent, const char* path);
// Every element child named name, in document order.
std::vector<Node*> children(const Node* parent, const char* name);
// The text of an element and of everything inside it, in order (null gives an empty text).
QString text(const Node* node);
// The text at a path below parent, empty when missing.
QString textAt(const Node* parent, const char* path);
// The path of an element below the root: every step carries its 1-based index when the element
// may repeat (it has a namesake among its siblings, or the schema lets it repeat).
QString elementPath(const Node* node);
// The same path from below `above` (an ancestor of node) down to node.
QString elementPathBelow(const Node* node, const Node* above);
// Whether node is above itself or inside it.
bool isInside(const Node* node, const Node* above);
// Line of the element in the file (0 when unknown).
int lineOf(const Node* node);

} // namespace brevalto::check
