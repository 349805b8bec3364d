#include "check/XmlScreen.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <cctype>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace brevalto::check {

namespace {

using Range = std::pair<qsizetype, qsizetype>; // [begin, end) of bytes

// Files in UTF-16 or UTF-32 are read as text first: their markup is not in single bytes.
std::optional<QStringDecoder::Encoding> wideEncoding(const QByteArray& b) {
    const auto at = [&](qsizetype i) { return i < b.size() ? uchar(b[i]) : 0x100; };
    if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0)
        return QStringDecoder::Utf32LE;
    if (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF)
        return QStringDecoder::Utf32BE;
    if (at(0) == 0xFF && at(1) == 0xFE)
        return QStringDecoder::Utf16LE;
    if (at(0) == 0xFE && at(1) == 0xFF)
        return QStringDecoder::Utf16BE;
    if (at(0) == '<' && at(1) == 0 && at(2) == 0 && at(3) == 0)
        return QStringDecoder::Utf32LE;
    if (at(0) == 0 && at(1) == 0 && at(2) == 0 && at(3) == '<')
        return QStringDecoder::Utf32BE;
    if (at(0) == '<' && at(1) == 0)
        return QStringDecoder::Utf16LE;
    if (at(0) == 0 && at(1) == '<')
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

// The encoding the XML declaration names, empty when none is named.
QString declaredEncoding(const QByteArray& bytes) {
    qsizetype from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (bytes.mid(from, 5) != "<?xml")
        return {};
    const qsizetype end = bytes.indexOf("?>", from);
    if (end < 0)
        return {};
    static const QRegularExpression encoding(
        QStringLiteral("\\sencoding\\s*=\\s*[\"']([^\"']*)[\"']"));
    const QRegularExpressionMatch m =
        encoding.match(QString::fromLatin1(bytes.constData() + from, end - from));
    return m.hasMatch() ? m.captured(1) : QString();
}

// Encodings in which every byte below 0x80 is the ASCII character, so that markup is found by
// its bytes; the parsers read any of them.
bool asciiCompatible(const QString& name) {
    static const QRegularExpression known(
        QStringLiteral("^(utf-?8|(us-)?ascii|iso[-_]?8859[-_]\\d{1,2}|(iso-)?latin-?1|"
                       "windows-125\\d|cp125\\d|utf-?16(le|be)?|utf-?32(le|be)?|ucs-?[24])$"),
        QRegularExpression::CaseInsensitiveOption);
    return name.isEmpty() || known.match(name).hasMatch();
}

bool nameByte(char c) {
    return c != ';' && c != '<' && c != '>' && c != '&' && c != '"' && c != '\'' && c != ' ' &&
           c != '\t' && c != '\r' && c != '\n';
}

bool predefined(const char* name, qsizetype length) {
    for (const char* p : {"amp", "lt", "gt", "quot", "apos"}) {
        if (qsizetype(std::strlen(p)) == length && std::memcmp(p, name, size_t(length)) == 0)
            return true;
    }
    return false;
}

class Scanner {
public:
    Scanner(const char* p, qsizetype n) : p_(p), n_(n) {}

    void run() {
        while (i_ < n_ && !tooDeep_) {
            const char c = p_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (c == '&') {
                reference();
            } else if (c == '<') {
                markup();
            } else {
                ++i_;
            }
        }
    }

    std::vector<Range> blanked; // declarations
    std::vector<Range> left;    // entity references
    QList<XmlHazard> hazards;

private:
    bool at(const char* text) const {
        const qsizetype length = qsizetype(std::strlen(text));
        return n_ - i_ >= length && std::memcmp(p_ + i_, text, size_t(length)) == 0;
    }
    // Moves past the next occurrence of end (or to the end of the file), counting lines.
    void skipPast(const char* end) {
        const qsizetype length = qsizetype(std::strlen(end));
        while (i_ < n_ && !at(end))
            step();
        i_ = qMin(n_, i_ + length);
    }
    void step() {
        if (p_[i_] == '\n')
            ++line_;
        ++i_;
    }

    void reference() {
        const int line = line_;
        const qsizetype begin = i_++;
        if (i_ < n_ && p_[i_] == '#')
            return; // a character reference
        while (i_ < n_ && nameByte(p_[i_]))
            ++i_;
        if (i_ >= n_ || p_[i_] != ';' || i_ == begin + 1)
            return; // a lone '&': the parser says the file is not well formed
        const qsizetype nameLength = i_ - begin - 1;
        ++i_;
        if (predefined(p_ + begin + 1, nameLength))
            return;
        left.push_back({begin, i_});
        for (XmlHazard& h : hazards) {
            if (h.kind == XmlHazard::Kind::Entity) {
                ++h.count;
                return;
            }
        }
        hazards << XmlHazard{XmlHazard::Kind::Entity, line,
                             QString::fromUtf8(p_ + begin + 1, nameLength), 1};
    }

    void markup() {
        if (at("<!--")) {
            i_ += 4;
            skipPast("-->");
        } else if (at("<![CDATA[")) {
            skipPast("]]>");
        } else if (at("<?")) {
            skipPast("?>");
        } else if (at("<!")) {
            declaration();
        } else if (at("</")) {
            skipPast(">");
            if (depth_ > 0)
                --depth_;
        } else {
            startTag();
        }
    }

    // A document type declaration with its internal subset, or any other "<!" declaration: up to
    // the '>' that closes it, past quoted texts, comments and the subset's own declarations.
    void declaration() {
        const int line = line_;
        const qsizetype begin = i_;
        i_ += 2;
        qsizetype word = i_;
        while (word < n_ && word - i_ < 20 && std::isalpha(uchar(p_[word])))
            ++word;
        const QString keyword = QString::fromLatin1(p_ + i_, word - i_);
        bool subset = false;
        while (i_ < n_) {
            const char c = p_[i_];
            if (c == '"' || c == '\'') {
                step();
                while (i_ < n_ && p_[i_] != c)
                    step();
                ++i_;
            } else if (at("<!--")) {
                i_ += 4;
                skipPast("-->");
            } else if (at("<?")) {
                skipPast("?>");
            } else if (c == '[' && !subset) {
                subset = true;
                ++i_;
            } else if (c == ']' && subset) {
                subset = false;
                ++i_;
            } else if (c == '>' && !subset) {
                ++i_;
                break;
            } else {
                step();
            }
        }
        i_ = qMin(i_, n_);
        blanked.push_back({begin, i_});
        for (const XmlHazard& h : std::as_const(hazards)) {
            if (h.kind == XmlHazard::Kind::Declaration)
                return;
        }
        hazards << XmlHazard{XmlHazard::Kind::Declaration, line, keyword, 1};
    }

    // An element's start tag, its attribute values read for references.
    void startTag() {
        const int line = line_;
        ++i_;
        bool empty = false;
        while (i_ < n_) {
            const char c = p_[i_];
            if (c == '"' || c == '\'') {
                ++i_;
                while (i_ < n_ && p_[i_] != c) {
                    if (p_[i_] == '&')
                        reference();
                    else
                        step();
                }
                ++i_;
            } else if (c == '>') {
                empty = i_ > 0 && p_[i_ - 1] == '/';
                ++i_;
                break;
            } else if (c == '<') {
                return; // not well formed: left to the parser
            } else {
                step();
            }
        }
        if (empty)
            return;
        if (++depth_ > kMaxXmlDepth) {
            tooDeep_ = true;
            hazards << XmlHazard{XmlHazard::Kind::Depth, line, QString(), 1};
        }
    }

    const char* p_;
    qsizetype n_;
    qsizetype i_ = 0;
    int line_ = 1;
    int depth_ = 0;
    bool tooDeep_ = false;
};

} // namespace

QString XmlHazard::text() const {
    QString sentence;
    switch (kind) {
    case Kind::Declaration:
        sentence = QStringLiteral("dichiarazione <!%1 non ammessa: una fattura elettronica non ha "
                                  "DOCTYPE né dichiarazioni di entità.")
                       .arg(name);
        break;
    case Kind::Entity:
        sentence =
            QStringLiteral("riferimento all'entità &%1; non ammesso%2: sono ammessi solo "
                           "&amp; &lt; &gt; &quot; &apos; e i riferimenti numerici ai "
                           "caratteri.")
                .arg(name, count > 1 ? QStringLiteral(" (%1 riferimenti in tutto)").arg(count)
                                     : QString());
        break;
    case Kind::Depth:
        sentence = QStringLiteral("elementi annidati oltre %1 livelli: una fattura elettronica ne "
                                  "ha meno di 20.")
                       .arg(kMaxXmlDepth);
        break;
    case Kind::Encoding:
        sentence =
            QStringLiteral("codifica %1 non ammessa: il file va scritto in UTF-8.").arg(name);
        break;
    }
    if (line > 0)
        return QStringLiteral("Riga %1: %2").arg(line).arg(sentence);
    return sentence.left(1).toUpper() + sentence.mid(1);
}

QString XmlScreening::refusal() const {
    return hazards.isEmpty() ? QString() : hazards.first().text();
}

XmlScreening screenXml(const QByteArray& bytes) {
    XmlScreening result;
    const QString declared = declaredEncoding(bytes);
    if (!asciiCompatible(declared)) {
        result.hazards << XmlHazard{XmlHazard::Kind::Encoding, 0, declared, 1};
        return result;
    }
    if (const auto wide = wideEncoding(bytes)) {
        // Read as text; whatever is found, the file is not read past it.
        QStringDecoder decode(*wide);
        const QByteArray utf8 = QString(decode(bytes)).toUtf8();
        Scanner scanner(utf8.constData(), utf8.size());
        scanner.run();
        result.hazards = scanner.hazards;
        return result;
    }
    Scanner scanner(bytes.constData(), bytes.size());
    scanner.run();
    result.hazards = scanner.hazards;
    if (result.safe())
        return result;
    for (const XmlHazard& h : std::as_const(result.hazards)) {
        if (h.kind != XmlHazard::Kind::Declaration && h.kind != XmlHazard::Kind::Entity)
            return result;
    }
    // Both lists are in file order and never overlap: a reference inside a declaration is
    // blanked with it.
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype from = 0;
    auto b = scanner.blanked.cbegin();
    auto l = scanner.left.cbegin();
    while (b != scanner.blanked.cend() || l != scanner.left.cend()) {
        const bool blank =
            l == scanner.left.cend() || (b != scanner.blanked.cend() && b->first < l->first);
        const Range r = blank ? *b++ : *l++;
        out.append(bytes.constData() + from, r.first - from);
        if (blank) {
            for (qsizetype k = r.first; k < r.second; ++k)
                out.append(bytes[k] == '\n' ? '\n' : ' ');
        }
        from = r.second;
    }
    out.append(bytes.constData() + from, bytes.size() - from);
    result.withoutHazards = out;
    return result;
}

} // namespace brevalto::check
