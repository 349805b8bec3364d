#include "check/CheckTree.h"

#include "check/XmlTree.h"

#include <QStringList>
#include <cstring>

namespace brevalto::check {

namespace {

bool named(const Node* n, const char* name) {
    return n->isElement() && std::strcmp(n->name, name) == 0;
}

void appendText(const Node* node, QByteArray& out) {
    if (!node->isElement()) {
        out += node->text;
        return;
    }
    for (const Node* c = node->first; c; c = c->next)
        appendText(c, out);
}

QString step(const Node* n) {
    const bool same = repeatable(n->name) || n->index > 1 || n->parent->count(n->name) > 1;
    QString s = QString::fromUtf8(n->name);
    if (same)
        s += QStringLiteral("[%1]").arg(n->index);
    return s;
}

} // namespace

Node::~Node() {
    for (Node* c = first; c;) {
        Node* following = c->next;
        delete c;
        c = following;
    }
}

int Node::count(const char* childName) const {
    for (const auto& [n, c] : counts) {
        if (n == childName || std::strcmp(n, childName) == 0)
            return c;
    }
    return 0;
}

Node* Node::addElement(const char* childName, int atLine) {
    auto* n = new Node;
    n->name = childName;
    n->line = atLine;
    n->parent = this;
    int* seen = nullptr;
    for (auto& [name, c] : counts) {
        if (name == childName || std::strcmp(name, childName) == 0) {
            seen = &c;
            break;
        }
    }
    if (!seen) {
        counts.emplace_back(childName, 0);
        seen = &counts.back().second;
    }
    n->index = ++*seen;
    append(n);
    return n;
}

void Node::append(Node* child) {
    child->prev = last;
    if (last)
        last->next = child;
    else
        first = child;
    last = child;
}

void Node::addText(const char* characters, int length) {
    if (!last || last->isElement()) {
        auto* n = new Node;
        n->parent = this;
        append(n);
    }
    last->text.append(characters, length);
}

void Node::remove(Node* c) {
    (c->prev ? c->prev->next : first) = c->next;
    (c->next ? c->next->prev : last) = c->prev;
    delete c;
}

Node* child(const Node* parent, const char* name) {
    if (!parent)
        return nullptr;
    for (Node* n = parent->first; n; n = n->next) {
        if (named(n, name))
            return n;
    }
    return nullptr;
}

Node* descend(const Node* parent, const char* path) {
    const Node* node = parent;
    const char* start = path;
    char part[128];
    while (node && *start) {
        const char* end = std::strchr(start, '/');
        const size_t length = end ? size_t(end - start) : std::strlen(start);
        if (length >= sizeof part)
            return nullptr;
        std::memcpy(part, start, length);
        part[length] = '\0';
        node = child(node, part);
        start = end ? end + 1 : start + length;
    }
    return const_cast<Node*>(node);
}

std::vector<Node*> children(const Node* parent, const char* name) {
    std::vector<Node*> found;
    if (!parent)
        return found;
    for (Node* n = parent->first; n; n = n->next) {
        if (named(n, name))
            found.push_back(n);
    }
    return found;
}

QString text(const Node* node) {
    if (!node)
        return QString();
    if (node->first && !node->first->next && !node->first->isElement())
        return QString::fromUtf8(node->first->text);
    QByteArray all;
    appendText(node, all);
    return QString::fromUtf8(all);
}

QString textAt(const Node* parent, const char* path) {
    return text(descend(parent, path));
}

QString elementPathBelow(const Node* node, const Node* above) {
    QStringList steps;
    for (const Node* n = node; n && n != above && n->isElement() && n->parent; n = n->parent)
        steps.prepend(step(n));
    return steps.join(u'/');
}

QString elementPath(const Node* node) {
    return elementPathBelow(node, nullptr);
}

bool isInside(const Node* node, const Node* above) {
    for (const Node* n = node; n; n = n->parent) {
        if (n == above)
            return true;
    }
    return false;
}

int lineOf(const Node* node) {
    return node ? node->line : 0;
}

} // namespace brevalto::check
