#include "store/RowFilter.h"

#include "store/DbError.h"

#include <QDate>
#include <QDateTime>

namespace brevalto {

struct RowFilter::Node {
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    std::unique_ptr<Node> left, right;
    int column = -1;
    QString op;
    QVariant literal;
    // A like pattern that is a plain text with "*" after it (Prefix) or around it (Contains) is
    // matched as that text; any other pattern goes through likeMatch (General).
    enum class Like { None, General, Prefix, Contains } like = Like::None;
    QString needle;
};

namespace {

void compileLike(RowFilter::Node& node);

struct Token {
    enum class Type { Word, Text, Number, Op, Open, Close, End } type = Type::End;
    QString text;
};

class Parser {
public:
    Parser(const QString& text, const QStringList& columns) : text_(text), columns_(columns) {
        advance();
    }

    std::unique_ptr<RowFilter::Node> parse() {
        auto node = parseOr();
        if (token_.type != Token::Type::End)
            fail();
        return node;
    }

private:
    [[noreturn]] void fail() const {
        throw DbError(QStringLiteral("Filtro non valido: %1").arg(text_));
    }

    void advance() {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        token_ = Token();
        if (pos_ >= text_.size())
            return;
        const QChar c = text_[pos_];
        if (c == QLatin1Char('\'')) {
            QString value;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    fail();
                if (text_[pos_] == QLatin1Char('\'')) {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                value += text_[pos_++];
            }
            token_ = {Token::Type::Text, value};
        } else if (c == QLatin1Char('(')) {
            ++pos_;
            token_ = {Token::Type::Open, QStringLiteral("(")};
        } else if (c == QLatin1Char(')')) {
            ++pos_;
            token_ = {Token::Type::Close, QStringLiteral(")")};
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
            QString op(c);
            ++pos_;
            if (pos_ < text_.size() &&
                (text_[pos_] == QLatin1Char('=') || text_[pos_] == QLatin1Char('>')) &&
                c != QLatin1Char('='))
                op += text_[pos_++];
            token_ = {Token::Type::Op, op};
        } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.')) {
            const int start = pos_++;
            while (pos_ < text_.size() &&
                   (text_[pos_].isDigit() || text_[pos_] == QLatin1Char('.')))
                ++pos_;
            token_ = {Token::Type::Number, text_.mid(start, pos_ - start)};
        } else if (c == QLatin1Char('[')) {
            const int end = text_.indexOf(QLatin1Char(']'), pos_);
            if (end < 0)
                fail();
            token_ = {Token::Type::Word, text_.mid(pos_ + 1, end - pos_ - 1)};
            pos_ = end + 1;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = pos_;
            while (pos_ < text_.size() &&
                   (text_[pos_].isLetterOrNumber() || text_[pos_] == QLatin1Char('_') ||
                    text_[pos_] == QLatin1Char('.')))
                ++pos_;
            token_ = {Token::Type::Word, text_.mid(start, pos_ - start)};
        } else {
            fail();
        }
    }

    bool isWord(const char* word) const {
        return token_.type == Token::Type::Word &&
               token_.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    std::unique_ptr<RowFilter::Node> parseOr() {
        auto left = parseAnd();
        while (isWord("or")) {
            advance();
            auto node = std::make_unique<RowFilter::Node>();
            node->kind = RowFilter::Node::Kind::Or;
            node->left = std::move(left);
            node->right = parseAnd();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<RowFilter::Node> parseAnd() {
        auto left = parseNot();
        while (isWord("and")) {
            advance();
            auto node = std::make_unique<RowFilter::Node>();
            node->kind = RowFilter::Node::Kind::And;
            node->left = std::move(left);
            node->right = parseNot();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<RowFilter::Node> parseNot() {
        if (isWord("not")) {
            advance();
            auto node = std::make_unique<RowFilter::Node>();
            node->kind = RowFilter::Node::Kind::Not;
            node->left = parseNot();
            return node;
        }
        if (token_.type == Token::Type::Open) {
            advance();
            auto inner = parseOr();
            if (token_.type != Token::Type::Close)
                fail();
            advance();
            return inner;
        }
        return parseComparison();
    }

    std::unique_ptr<RowFilter::Node> parseComparison() {
        if (token_.type != Token::Type::Word)
            fail();
        QString name = token_.text;
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            name = name.mid(dot + 1);
        auto node = std::make_unique<RowFilter::Node>();
        node->column = -1;
        for (int i = 0; i < columns_.size(); ++i) {
            if (columns_[i].compare(name, Qt::CaseInsensitive) == 0) {
                node->column = i;
                break;
            }
        }
        if (node->column < 0)
            throw DbError(QStringLiteral("Filtro non valido: la colonna %1 non esiste.").arg(name));
        advance();
        if (isWord("like")) {
            node->op = QStringLiteral("like");
        } else if (isWord("is")) {
            advance();
            bool negate = false;
            if (isWord("not")) {
                negate = true;
                advance();
            }
            if (!isWord("null"))
                fail();
            node->op = negate ? QStringLiteral("notnull") : QStringLiteral("null");
            advance();
            return node;
        } else if (token_.type == Token::Type::Op) {
            node->op = token_.text;
        } else {
            fail();
        }
        advance();
        if (token_.type == Token::Type::Text)
            node->literal = token_.text;
        else if (token_.type == Token::Type::Number)
            node->literal = token_.text.toDouble();
        else if (isWord("null"))
            node->literal = QVariant();
        else if (isWord("true"))
            node->literal = 1.0;
        else if (isWord("false"))
            node->literal = 0.0;
        else
            fail();
        if (node->op == QLatin1String("like") && !node->literal.isNull())
            compileLike(*node);
        advance();
        return node;
    }

    QString text_;
    QStringList columns_;
    int pos_ = 0;
    Token token_;
};

QString asText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

int compareValues(const QVariant& value, const QVariant& literal) {
    if (literal.typeId() == QMetaType::Double) {
        bool ok = false;
        const double number = value.typeId() == QMetaType::Bool ? (value.toBool() ? 1 : 0)
                                                                : value.toString().toDouble(&ok);
        if (ok || value.typeId() == QMetaType::Bool)
            return number < literal.toDouble() ? -1 : (number > literal.toDouble() ? 1 : 0);
    }
    return asText(value).compare(asText(literal), Qt::CaseInsensitive);
}

void collectColumns(const RowFilter::Node& node, QVector<int>& columns) {
    if (node.kind == RowFilter::Node::Kind::Compare) {
        if (!columns.contains(node.column))
            columns << node.column;
        return;
    }
    for (const auto* child : {node.left.get(), node.right.get()}) {
        if (child)
            collectColumns(*child, columns);
    }
}

bool evaluate(const RowFilter::Node& node, const QVector<QVariant>& row,
              const QVector<int>* slots) {
    using Kind = RowFilter::Node::Kind;
    switch (node.kind) {
    case Kind::And:
        return evaluate(*node.left, row, slots) && evaluate(*node.right, row, slots);
    case Kind::Or:
        return evaluate(*node.left, row, slots) || evaluate(*node.right, row, slots);
    case Kind::Not:
        return !evaluate(*node.left, row, slots);
    case Kind::Compare:
        break;
    }
    const QVariant& value = row[slots ? (*slots)[node.column] : node.column];
    if (node.like == RowFilter::Node::Like::Prefix ||
        node.like == RowFilter::Node::Like::Contains) {
        if (value.isNull())
            return false;
        // Texts are matched as stored, without a copy; other kinds as their text.
        const QString converted = value.typeId() == QMetaType::QString ? QString() : asText(value);
        const QString& text = value.typeId() == QMetaType::QString
                                  ? *static_cast<const QString*>(value.constData())
                                  : converted;
        return node.like == RowFilter::Node::Like::Prefix
                   ? text.startsWith(node.needle, Qt::CaseInsensitive)
                   : text.contains(node.needle, Qt::CaseInsensitive);
    }
    if (node.op == QLatin1String("null"))
        return value.isNull();
    if (node.op == QLatin1String("notnull"))
        return !value.isNull();
    if (node.literal.isNull()) {
        const bool isNull = value.isNull();
        return node.op == QLatin1String("<>") ? !isNull : (node.op == QLatin1String("=") && isNull);
    }
    if (value.isNull())
        return false;
    if (node.op == QLatin1String("like"))
        return likeMatch(asText(value), node.literal.toString());
    const int c = compareValues(value, node.literal);
    if (node.op == QLatin1String("="))
        return c == 0;
    if (node.op == QLatin1String("<>"))
        return c != 0;
    if (node.op == QLatin1String("<"))
        return c < 0;
    if (node.op == QLatin1String(">"))
        return c > 0;
    if (node.op == QLatin1String("<="))
        return c <= 0;
    return c >= 0;
}

// Reads the pattern of a like node as a prefix or contains match of a plain text, the shape every
// search box writes; sets Like::General for any other pattern.
void compileLike(RowFilter::Node& node) {
    const QString pattern = node.literal.toString();
    auto isStar = [](QChar c) { return c == QLatin1Char('*') || c == QLatin1Char('%'); };
    node.like = RowFilter::Node::Like::General;
    qsizetype end = pattern.size();
    if (end == 0 || !isStar(pattern[end - 1]))
        return;
    --end;
    qsizetype i = 0;
    const bool contains = isStar(pattern[0]) && end > 0;
    if (contains)
        i = 1;
    QString needle;
    while (i < end) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('[')) {
            // One character between brackets is that character taken literally.
            if (i + 2 >= end || pattern[i + 2] != QLatin1Char(']'))
                return;
            needle += pattern[i + 1];
            i += 3;
            continue;
        }
        if (isStar(c) || c == QLatin1Char('?') || c == QLatin1Char('_') || c == QLatin1Char(']'))
            return;
        needle += c;
        ++i;
    }
    node.needle = needle;
    node.like = contains ? RowFilter::Node::Like::Contains : RowFilter::Node::Like::Prefix;
}

} // namespace

bool likeMatch(const QString& text, const QString& pattern) {
    // Iterative wildcard match with backtracking on the last "*".
    int t = 0, p = 0, starP = -1, starT = 0;
    auto isStar = [](QChar c) { return c == QLatin1Char('*') || c == QLatin1Char('%'); };
    auto isOne = [](QChar c) { return c == QLatin1Char('?') || c == QLatin1Char('_'); };
    auto same = [](QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); };
    // "[...]" matches one of the characters between the brackets, taken literally: "[*]" is a
    // star, not a wildcard.
    auto setEnd = [&pattern](int at) {
        return pattern[at] == QLatin1Char('[') ? int(pattern.indexOf(QLatin1Char(']'), at + 2))
                                               : -1;
    };
    auto inSet = [&](int open, int close, QChar c) {
        for (int i = open + 1; i < close; ++i) {
            if (same(pattern[i], c))
                return true;
        }
        return false;
    };
    while (t < text.size()) {
        const int close = p < pattern.size() ? setEnd(p) : -1;
        if (p < pattern.size() && isStar(pattern[p])) {
            starP = p++;
            starT = t;
        } else if (close > 0 && inSet(p, close, text[t])) {
            p = close + 1;
            ++t;
        } else if (close < 0 && p < pattern.size() &&
                   (isOne(pattern[p]) || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && isStar(pattern[p]))
        ++p;
    return p == pattern.size();
}

RowFilter::RowFilter(const QString& text, const QStringList& columns)
    : root_(Parser(text, columns).parse()) {
    collectColumns(*root_, columns_);
}

RowFilter::~RowFilter() = default;

bool RowFilter::matches(const QVector<QVariant>& row, const QVector<int>* slots) const {
    return evaluate(*root_, row, slots);
}

} // namespace brevalto
