#include "check/XmlTree.h"

#include <cstring>

namespace brevalto::check {

namespace {

bool isElement(const xmlNode* n, const char* name) {
    return n->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

} // namespace

bool repeatable(const char* name) {
    static const char* const names[] = {"FatturaElettronicaBody",
                                        "DettaglioLinee",
                                        "DatiRiepilogo",
                                        "DatiCassaPrevidenziale",
                                        "ScontoMaggiorazione",
                                        "DatiFattureCollegate",
                                        "DatiOrdineAcquisto",
                                        "DatiContratto",
                                        "DatiConvenzione",
                                        "DatiRicezione",
                                        "DatiSAL",
                                        "DatiDDT",
                                        "DatiPagamento",
                                        "DettaglioPagamento",
                                        "Allegati",
                                        "CodiceArticolo",
                                        "AltriDatiGestionali",
                                        "DatiRitenuta",
                                        "Causale",
                                        "RiferimentoNumeroLinea",
                                        "DatiVeicoli"};
    for (const char* n : names) {
        if (std::strcmp(n, name) == 0)
            return true;
    }
    return false;
}

xmlNode* child(const xmlNode* parent, const char* name) {
    if (!parent)
        return nullptr;
    for (xmlNode* n = parent->children; n; n = n->next) {
        if (isElement(n, name))
            return n;
    }
    return nullptr;
}

xmlNode* descend(const xmlNode* parent, const char* path) {
    const xmlNode* node = parent;
    const char* start = path;
    char step[128];
    while (node && *start) {
        const char* end = std::strchr(start, '/');
        const size_t length = end ? size_t(end - start) : std::strlen(start);
        if (length >= sizeof step)
            return nullptr;
        std::memcpy(step, start, length);
        step[length] = '\0';
        node = child(node, step);
        start = end ? end + 1 : start + length;
    }
    return const_cast<xmlNode*>(node);
}

std::vector<xmlNode*> children(const xmlNode* parent, const char* name) {
    std::vector<xmlNode*> found;
    if (!parent)
        return found;
    for (xmlNode* n = parent->children; n; n = n->next) {
        if (isElement(n, name))
            found.push_back(n);
    }
    return found;
}

QString text(const xmlNode* node) {
    if (!node)
        return QString();
    xmlChar* content = xmlNodeGetContent(node);
    const QString result = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return result;
}

QString textAt(const xmlNode* parent, const char* path) {
    return text(descend(parent, path));
}

QString elementPath(const xmlNode* node) {
    QStringList steps;
    for (const xmlNode* n = node;
         n && n->type == XML_ELEMENT_NODE && n->parent && n->parent->type == XML_ELEMENT_NODE;
         n = n->parent) {
        const char* name = reinterpret_cast<const char*>(n->name);
        int index = 1;
        bool same = repeatable(name);
        for (const xmlNode* s = n->prev; s; s = s->prev) {
            if (isElement(s, name)) {
                ++index;
                same = true;
            }
        }
        for (const xmlNode* s = n->next; s && !same; s = s->next)
            same = isElement(s, name);
        QString step = QString::fromUtf8(name);
        if (same)
            step += QStringLiteral("[%1]").arg(index);
        steps.prepend(step);
    }
    return steps.join(u'/');
}

int lineOf(const xmlNode* node) {
    return node ? int(xmlGetLineNo(node)) : 0;
}

qsizetype characters(QStringView text) {
    qsizetype count = 0;
    for (const QChar c : text)
        count += c.isLowSurrogate() ? 0 : 1;
    return count;
}

QString leftCharacters(const QString& text, qsizetype count) {
    qsizetype units = 0;
    for (qsizetype seen = 0; units < text.size() && seen < count; ++seen)
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

} // namespace brevalto::check
