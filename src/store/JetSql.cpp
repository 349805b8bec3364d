#include "store/JetSql.h"

#include "store/SqlDialect.h"

#include <QDate>
#include <QStringList>
#include <vector>

namespace brevalto {

namespace {

enum class Kind {
    Space,    // whitespace, and tokens removed by a rewrite (empty output)
    Comment,  // -- to end of line, /* ... */
    String,   // '...'
    DqString, // "..." (a string literal in Jet)
    Bracket,  // [name]
    Word,     // identifier or keyword
    Variable, // @@name
    Number,
    Date,   // #...#
    Param,  // ? or :name
    Symbol, // operators and punctuation
};

struct Token {
    Kind kind = Kind::Symbol;
    QString text;
    QString out;          // what the token becomes in SQLite
    bool complete = true; // false for a literal, name or comment that runs off the end
};

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool parseNumber(QStringView s, int& value) {
    if (s.isEmpty() || s.size() > 4)
        return false;
    value = 0;
    for (QChar c : s) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    return true;
}

// Jet date literal text: y-m-d, y/m/d or m/d/y (two-digit years 00-29 are 20xx), optionally
// followed by h:mm[:ss] [AM|PM]. Gives the ISO text the archive stores, or a null string.
// A midnight time is dropped: in Jet #1/31/2024 00:00# is the same value as #1/31/2024#.
QString isoDate(const QString& body) {
    const QStringList parts = body.simplified().split(QLatin1Char(' '));
    if (parts.isEmpty() || parts.size() > 3)
        return {};
    const QString& datePart = parts[0];
    const QChar sep = datePart.contains(QLatin1Char('-')) ? QLatin1Char('-') : QLatin1Char('/');
    const QStringList dmy = datePart.split(sep);
    if (dmy.size() != 3)
        return {};
    int a = 0, b = 0, c = 0;
    if (!parseNumber(dmy[0], a) || !parseNumber(dmy[1], b) || !parseNumber(dmy[2], c))
        return {};
    int year, month, day;
    if (dmy[0].size() == 4) {
        year = a, month = b, day = c;
    } else if (sep == QLatin1Char('/') && (dmy[2].size() == 4 || dmy[2].size() == 2)) {
        month = a, day = b, year = c;
        if (dmy[2].size() == 2)
            year += year < 30 ? 2000 : 1900;
    } else {
        return {};
    }
    if (!QDate(year, month, day).isValid())
        return {};
    QString result = QString::asprintf("%04d-%02d-%02d", year, month, day);
    if (parts.size() == 1)
        return result;

    const QStringList hms = parts[1].split(QLatin1Char(':'));
    if (hms.size() < 2 || hms.size() > 3)
        return {};
    int hour = 0, minute = 0, second = 0;
    if (!parseNumber(hms[0], hour) || !parseNumber(hms[1], minute) ||
        (hms.size() == 3 && !parseNumber(hms[2], second)))
        return {};
    if (parts.size() == 3) {
        const QString half = parts[2].toUpper();
        if ((half != QLatin1String("AM") && half != QLatin1String("PM")) || hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return {};
    if (hour || minute || second)
        result += QString::asprintf(" %02d:%02d:%02d", hour, minute, second);
    return result;
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> tokens;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto push = [&](Kind kind, qsizetype end, bool complete = true) {
        tokens.push_back({kind, s.mid(i, end - i), {}, complete});
        i = end;
    };
    // A literal closed by `quote`, where a doubled quote stands for one.
    auto quoted = [&](Kind kind, QChar quote) {
        qsizetype j = i + 1;
        while (j < n) {
            if (s[j] == quote) {
                if (j + 1 < n && s[j + 1] == quote) {
                    j += 2;
                    continue;
                }
                return push(kind, j + 1);
            }
            ++j;
        }
        push(kind, n, false);
    };
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (c.isSpace()) {
            qsizetype j = i + 1;
            while (j < n && s[j].isSpace())
                ++j;
            push(Kind::Space, j);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            qsizetype j = i + 2;
            while (j < n && s[j] != QLatin1Char('\n'))
                ++j;
            push(Kind::Comment, j);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            if (close < 0)
                push(Kind::Comment, n, false);
            else
                push(Kind::Comment, close + 2);
        } else if (c == QLatin1Char('\'')) {
            quoted(Kind::String, c);
        } else if (c == QLatin1Char('"')) {
            quoted(Kind::DqString, c);
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = s.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                push(Kind::Bracket, n, false);
            else
                push(Kind::Bracket, close + 1);
        } else if (c == QLatin1Char('#')) {
            // A date only when a closing # follows on the same line with a valid date between;
            // otherwise the # is a lone symbol and scanning goes on after it.
            qsizetype j = i + 1;
            while (j < n && j - i < 40 && s[j] != QLatin1Char('#') && s[j] != QLatin1Char('\n'))
                ++j;
            if (j < n && s[j] == QLatin1Char('#') && !isoDate(s.mid(i + 1, j - i - 1)).isNull())
                push(Kind::Date, j + 1);
            else
                push(Kind::Symbol, i + 1);
        } else if (isDigit(c) || (c == QLatin1Char('.') && isDigit(next))) {
            qsizetype j = i;
            while (j < n && isDigit(s[j]))
                ++j;
            if (j < n && s[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(s[j]))
                    ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && isDigit(s[k])) {
                    while (k < n && isDigit(s[k]))
                        ++k;
                    j = k;
                }
            }
            push(Kind::Number, j);
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            push(Kind::Word, j);
        } else if (c == QLatin1Char('@') && next == QLatin1Char('@') && i + 2 < n &&
                   isWordStart(s[i + 2])) {
            qsizetype j = i + 3;
            while (j < n && isWordChar(s[j]))
                ++j;
            push(Kind::Variable, j);
        } else if (c == QLatin1Char('?')) {
            push(Kind::Param, i + 1);
        } else if (c == QLatin1Char(':') && i + 1 < n && isWordStart(next)) {
            qsizetype j = i + 2;
            while (j < n && isWordChar(s[j]))
                ++j;
            push(Kind::Param, j);
        } else {
            static const QStringList pairs = {"<>", "<=", ">=", "||", "!=", "=="};
            const QString two = s.mid(i, 2);
            // A two-character operator, or a character outside the BMP (a surrogate pair).
            if (pairs.contains(two) || (c.isHighSurrogate() && next.isLowSurrogate()))
                push(Kind::Symbol, i + 2);
            else
                push(Kind::Symbol, i + 1);
        }
    }
    return tokens;
}

// Words that end an operand of & rather than being one. Left and Right are also string
// functions, so they are not listed.
bool isKeyword(const QString& word) {
    static const QStringList words = {
        "select", "from",   "where",   "as",     "and",   "or",       "not",         "like",
        "in",     "is",     "between", "on",     "set",   "values",   "order",       "group",
        "by",     "having", "join",    "union",  "all",   "distinct", "distinctrow", "top",
        "into",   "update", "insert",  "delete", "asc",   "desc",     "case",        "when",
        "then",   "else",   "end",     "exists", "mod",   "inner",    "outer",       "xor",
        "eqv",    "imp",    "create",  "alter",  "table", "drop",     "percent",
    };
    return words.contains(word, Qt::CaseInsensitive);
}

// Function names of SQLite that PostgreSQL spells otherwise (same arguments, same meaning).
QString postgresFunction(const QString& word) {
    if (word.compare(QLatin1String("ifnull"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("coalesce");
    if (word.compare(QLatin1String("instr"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("strpos");
    if (word.compare(QLatin1String("last_insert_rowid"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("lastval");
    return {};
}

// A quoted name as the server keeps it: the archive's names are in lower case there, as unquoted
// names are folded, so "PA_FE_Header" and PA_FE_Header meet as they do on SQLite.
QString foldedName(const QString& body) {
    QString folded = body.toLower();
    folded.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + folded + QLatin1Char('"');
}

class Translator {
public:
    Translator(const QString& jet, SqlDialect dialect)
        : t_(tokenize(jet)), pg_(dialect == SqlDialect::Postgres) {
        const int n = size();
        match_.assign(n, -1);
        std::vector<int> open;
        for (int i = 0; i < n; ++i) {
            if (isSymbol(i, "(")) {
                open.push_back(i);
            } else if (isSymbol(i, ")") && !open.empty()) {
                match_[i] = open.back();
                match_[open.back()] = i;
                open.pop_back();
            }
        }
        for (Token& tok : t_)
            tok.out = tok.text;
    }

    QString run() {
        mapTokens();
        rewriteDdl();
        rewriteDelete();
        // A statement cut short by an unterminated literal keeps its TOP: nothing is inserted
        // into text that is passed through as it is.
        const bool cut = size() > 0 && !t_.back().complete && t_.back().kind != Kind::Comment;
        const QString limit = cut ? QString() : takeTop();
        if (limit.isEmpty())
            return emit(0, size());
        // The LIMIT goes after the last real token: before a trailing ';' and comments.
        int last = size() - 1;
        while (last >= 0 && (!isSignificant(last) || isSymbol(last, ";")))
            --last;
        return emit(0, last + 1) + QLatin1String(" LIMIT ") + limit + emit(last + 1, size());
    }

private:
    std::vector<Token> t_;
    bool pg_ = false;        // PostgreSQL output
    std::vector<int> match_; // index of the matching parenthesis, -1 when unbalanced

    int size() const { return int(t_.size()); }
    bool isSignificant(int i) const {
        return t_[i].kind != Kind::Space && t_[i].kind != Kind::Comment;
    }
    bool isSymbol(int i, const char* text) const {
        return i >= 0 && i < size() && t_[i].kind == Kind::Symbol &&
               t_[i].text == QLatin1String(text);
    }
    bool isWord(int i, const char* word) const {
        return i >= 0 && i < size() && t_[i].kind == Kind::Word &&
               t_[i].text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    int nextSig(int i) const {
        ++i;
        while (i < size() && !isSignificant(i))
            ++i;
        return i;
    }
    int prevSig(int i) const {
        --i;
        while (i >= 0 && !isSignificant(i))
            --i;
        return i;
    }
    void drop(int i) {
        t_[i].kind = Kind::Space;
        t_[i].out.clear();
    }

    void mapTokens() {
        for (int i = 0; i < size(); ++i) {
            Token& tok = t_[i];
            if (!tok.complete)
                continue;
            switch (tok.kind) {
            case Kind::DqString: {
                QString body = tok.text.mid(1, tok.text.size() - 2);
                body.replace(QLatin1String("\"\""), QLatin1String("\""));
                body.replace(QLatin1String("'"), QLatin1String("''"));
                tok.out = QLatin1Char('\'') + body + QLatin1Char('\'');
                break;
            }
            case Kind::Bracket: {
                QString body = tok.text.mid(1, tok.text.size() - 2);
                if (pg_) {
                    tok.out = foldedName(body);
                    break;
                }
                body.replace(QLatin1String("\""), QLatin1String("\"\""));
                tok.out = QLatin1Char('"') + body + QLatin1Char('"');
                break;
            }
            case Kind::Date:
                tok.out = QLatin1Char('\'') + isoDate(tok.text.mid(1, tok.text.size() - 2)) +
                          QLatin1Char('\'');
                break;
            case Kind::Variable:
                if (tok.text.compare(QLatin1String("@@IDENTITY"), Qt::CaseInsensitive) == 0)
                    tok.out =
                        pg_ ? QStringLiteral("lastval()") : QStringLiteral("last_insert_rowid()");
                break;
            case Kind::Word: {
                // A bare True/False, not a member of a qualified name (T.True).
                const bool qualified = isSymbol(prevSig(i), ".") || isSymbol(nextSig(i), ".");
                if (!qualified && isWord(i, "true"))
                    tok.out = QStringLiteral("1");
                else if (!qualified && isWord(i, "false"))
                    tok.out = QStringLiteral("0");
                else if (pg_ && !qualified && isWord(i, "like"))
                    tok.out = QStringLiteral("ILIKE"); // SQLite's LIKE ignores letter case
                else if (pg_ && !qualified && isSymbol(nextSig(i), "(") &&
                         !postgresFunction(tok.text).isEmpty())
                    tok.out = postgresFunction(tok.text);
                break;
            }
            default:
                break;
            }
        }
    }

    // "(1, 1)": only numbers and commas between matching parentheses.
    bool isSeedGroup(int open) const {
        if (!isSymbol(open, "(") || match_[open] < open)
            return false;
        for (int k = nextSig(open); k < match_[open]; k = nextSig(k)) {
            if (t_[k].kind != Kind::Number && !isSymbol(k, ","))
                return false;
        }
        return true;
    }

    // Jet column types in CREATE TABLE / ALTER TABLE. A type is the word right after a column
    // name, which follows '(', ',', ADD or COLUMN; so a column called Memo keeps its name.
    void rewriteDdl() {
        const int first = nextSig(-1);
        const bool create = isWord(first, "create");
        if (!(create || isWord(first, "alter")) || !isWord(nextSig(first), "table"))
            return;
        for (int i = 0; i < size(); ++i) {
            if (t_[i].kind != Kind::Word)
                continue;
            const int name = prevSig(i);
            if (name < 0 || (t_[name].kind != Kind::Word && t_[name].kind != Kind::Bracket &&
                             t_[name].kind != Kind::DqString))
                continue;
            const int before = prevSig(name);
            if (!(isSymbol(before, "(") || isSymbol(before, ",") || isWord(before, "add") ||
                  isWord(before, "column")))
                continue;
            const QString type = t_[i].text.toUpper();
            if (pg_ && rewritePostgresType(i, type))
                continue;
            if (type == QLatin1String("COUNTER") || type == QLatin1String("AUTOINCREMENT")) {
                // SQLite cannot add a primary key column to an existing table.
                t_[i].out = create ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                                   : QStringLiteral("INTEGER");
                int j = nextSig(i);
                if (isSeedGroup(j)) { // COUNTER(seed, increment)
                    for (int k = i + 1; k <= match_[j]; ++k)
                        drop(k);
                    j = nextSig(match_[j]);
                }
                if (const int key = nextSig(j); isWord(j, "primary") && isWord(key, "key")) {
                    for (int k = i + 1; k <= key; ++k)
                        drop(k);
                }
            } else if (type == QLatin1String("YESNO") || type == QLatin1String("BIT") ||
                       type == QLatin1String("LONG") || type == QLatin1String("SHORT") ||
                       type == QLatin1String("BYTE")) {
                t_[i].out = QStringLiteral("INTEGER");
            } else if (type == QLatin1String("MEMO")) {
                t_[i].out = QStringLiteral("TEXT");
            } else if (type == QLatin1String("SINGLE") || type == QLatin1String("CURRENCY")) {
                t_[i].out = QStringLiteral("REAL");
            }
        }
    }

    // DELETE * FROM / DELETE T.* FROM: SQLite takes no column list there.
    // The server's counterparts of the column types (the same storage the schema table gives a
    // server archive: text kept case-insensitive, Yes/No as integers, dates as ISO text).
    bool rewritePostgresType(int i, const QString& type) {
        const bool create = isWord(nextSig(-1), "create");
        QString out;
        bool dropLength = false;
        if (type == QLatin1String("COUNTER") || type == QLatin1String("AUTOINCREMENT")) {
            out = create ? QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                         : QStringLiteral("integer");
        } else if (type == QLatin1String("YESNO") || type == QLatin1String("BIT") ||
                   type == QLatin1String("LONG") || type == QLatin1String("SHORT") ||
                   type == QLatin1String("BYTE") || type == QLatin1String("INTEGER") ||
                   type == QLatin1String("INT")) {
            out = QStringLiteral("integer");
        } else if (type == QLatin1String("MEMO") || type == QLatin1String("DATETIME") ||
                   type == QLatin1String("DATE")) {
            // Long texts, and dates kept as ISO text as in the archive file.
            out = QStringLiteral("text");
        } else if (type == QLatin1String("SINGLE") || type == QLatin1String("CURRENCY") ||
                   type == QLatin1String("DOUBLE") || type == QLatin1String("FLOAT") ||
                   type == QLatin1String("REAL")) {
            out = QStringLiteral("double precision");
        } else if (type == QLatin1String("TEXT") || type == QLatin1String("VARCHAR") ||
                   type == QLatin1String("CHAR") || type == QLatin1String("STRING")) {
            out = QStringLiteral("citext");
            dropLength = true;
        } else {
            return false;
        }
        t_[i].out = out;
        int j = nextSig(i);
        if (type == QLatin1String("COUNTER") || type == QLatin1String("AUTOINCREMENT") ||
            dropLength) {
            if (isSeedGroup(j)) { // COUNTER(seed, increment), TEXT(50)
                for (int k = i + 1; k <= match_[j]; ++k)
                    drop(k);
                j = nextSig(match_[j]);
            }
            if (const int key = nextSig(j); isWord(j, "primary") && isWord(key, "key") &&
                                            t_[i].out.contains(QLatin1String("PRIMARY"))) {
                for (int k = i + 1; k <= key; ++k)
                    drop(k);
            }
        }
        return true;
    }

    void rewriteDelete() {
        const int del = nextSig(-1);
        if (!isWord(del, "delete"))
            return;
        int star = nextSig(del);
        const int dot = nextSig(star);
        if (star < size() && (t_[star].kind == Kind::Word || t_[star].kind == Kind::Bracket) &&
            t_[star].complete && isSymbol(dot, "."))
            star = nextSig(dot);
        const int from = nextSig(star);
        if (!isSymbol(star, "*") || !isWord(from, "from"))
            return;
        for (int k = del + 1; k < from; ++k)
            drop(k);
        t_[del].out = QStringLiteral("DELETE ");
        t_[from].out = QStringLiteral("FROM");
    }

    // SELECT [DISTINCT|ALL] TOP n: removes "TOP n" and returns n for a LIMIT clause. Only the
    // first SELECT outside parentheses: the statement's own.
    QString takeTop() {
        int depth = 0;
        int select = -1;
        for (int i = 0; i < size() && select < 0; ++i) {
            if (isSymbol(i, "("))
                ++depth;
            else if (isSymbol(i, ")"))
                --depth;
            else if (depth == 0 && isWord(i, "select"))
                select = i;
        }
        if (select < 0)
            return {};
        int top = nextSig(select);
        if (isWord(top, "distinct") || isWord(top, "distinctrow") || isWord(top, "all"))
            top = nextSig(top);
        const int count = nextSig(top);
        if (!isWord(top, "top") || count >= size() || t_[count].kind != Kind::Number ||
            isWord(nextSig(count), "percent"))
            return {};
        // Drop "TOP n" and the spaces after it, keep those before.
        int end = count + 1;
        while (end < size() && t_[end].kind == Kind::Space)
            ++end;
        for (int k = top; k < end; ++k)
            drop(k);
        return t_[count].text;
    }

    // --- & chains ---------------------------------------------------------------------------

    bool isArithmetic(int i) const {
        if (i < 0 || i >= size())
            return false;
        if (t_[i].kind == Kind::Word)
            return isWord(i, "mod");
        static const QStringList ops = {"+", "-", "*", "/", "\\", "^"};
        return t_[i].kind == Kind::Symbol && ops.contains(t_[i].text);
    }
    bool isSign(int i) const { return isSymbol(i, "+") || isSymbol(i, "-"); }
    bool isLiteral(int i) const {
        const Kind k = t_[i].kind;
        return t_[i].complete && (k == Kind::String || k == Kind::DqString || k == Kind::Number ||
                                  k == Kind::Date || k == Kind::Param || k == Kind::Variable);
    }
    bool isName(int i) const {
        return (t_[i].kind == Kind::Word && !isKeyword(t_[i].text)) ||
               (t_[i].kind == Kind::Bracket && t_[i].complete);
    }
    bool endsOperand(int i) const {
        return i >= 0 && i < size() &&
               (isLiteral(i) || isName(i) || (isSymbol(i, ")") && match_[i] >= 0));
    }

    // One term starting at i: [signs] literal | name[.name...][(args)] | (expr). Returns the
    // index of its last token, or -1.
    int termRight(int i, int e) const {
        while (i < e && isSign(i))
            i = nextSig(i);
        if (i >= e)
            return -1;
        if (isSymbol(i, "("))
            return match_[i] > i && match_[i] < e ? match_[i] : -1;
        if (isLiteral(i))
            return i;
        if (!isName(i))
            return -1;
        int end = i;
        for (int dot = nextSig(end); dot < e && isSymbol(dot, ".");) {
            const int member = nextSig(dot);
            if (member >= e || !isName(member))
                break;
            end = member;
            dot = nextSig(end);
        }
        const int call = nextSig(end);
        if (call < e && isSymbol(call, "(") && match_[call] > call && match_[call] < e)
            end = match_[call];
        return end;
    }

    // The operand of & starting at i: terms joined by arithmetic, which binds tighter than &.
    int operandRight(int i, int e) const {
        int end = termRight(i, e);
        while (end >= 0) {
            const int op = nextSig(end);
            if (op >= e || !isArithmetic(op))
                break;
            const int more = termRight(nextSig(op), e);
            if (more < 0)
                break;
            end = more;
        }
        return end;
    }

    // The term ending at j; returns the index of its first token, or -1.
    int termLeft(int j, int b) const {
        if (j < b)
            return -1;
        int start;
        if (isSymbol(j, ")")) {
            if (match_[j] < b)
                return -1;
            start = match_[j];
            const int fn = prevSig(start);
            if (fn >= b && isName(fn))
                start = fn;
            else
                return leadingSigns(start, b);
        } else if (isLiteral(j)) {
            return leadingSigns(j, b);
        } else if (isName(j)) {
            start = j;
        } else {
            return -1;
        }
        for (int dot = prevSig(start); dot >= b && isSymbol(dot, ".");) {
            const int owner = prevSig(dot);
            if (owner < b || !isName(owner))
                break;
            start = owner;
            dot = prevSig(start);
        }
        return leadingSigns(start, b);
    }

    // Extends a term backwards over unary signs: a sign not preceded by an operand.
    int leadingSigns(int start, int b) const {
        for (int sign = prevSig(start); sign >= b && isSign(sign); sign = prevSig(start)) {
            const int before = prevSig(sign);
            if (before >= b && endsOperand(before))
                break;
            start = sign;
        }
        return start;
    }

    int operandLeft(int j, int b) const {
        int start = termLeft(j, b);
        while (start >= 0) {
            const int op = prevSig(start);
            if (op < b || !isArithmetic(op))
                break;
            const int more = termLeft(prevSig(op), b);
            if (more < 0)
                break;
            start = more;
        }
        return start;
    }

    struct Chain {
        int begin = 0, end = 0;                    // first and last token of the chain
        std::vector<std::pair<int, int>> operands; // first and last token of each operand
    };

    // The & chains at the outer level of [b, e); nested parentheses are handled by emit().
    std::vector<Chain> findChains(int b, int e) const {
        std::vector<Chain> chains;
        int floor = b; // operands may not reach into the previous chain
        for (int i = b; i < e; ++i) {
            if (isSymbol(i, "(") && match_[i] > i && match_[i] < e) {
                i = match_[i];
                continue;
            }
            if (!isSymbol(i, "&"))
                continue;
            const int left = operandLeft(prevSig(i), floor);
            const int right = left < 0 ? -1 : operandRight(nextSig(i), e);
            if (right < 0)
                continue;
            Chain chain;
            chain.begin = left;
            chain.operands = {{left, prevSig(i)}, {nextSig(i), right}};
            int last = right;
            for (int amp = nextSig(last); amp < e && isSymbol(amp, "&"); amp = nextSig(last)) {
                const int more = operandRight(nextSig(amp), e);
                if (more < 0)
                    break;
                chain.operands.push_back({nextSig(amp), more});
                last = more;
            }
            chain.end = last;
            chains.push_back(chain);
            i = last;
            floor = last + 1;
        }
        return chains;
    }

    QString wrap(int first, int last) const {
        const QString text = emit(first, last + 1);
        const Kind k = t_[first].kind;
        if (first == last &&
            (k == Kind::String || k == Kind::DqString || k == Kind::Number || k == Kind::Date))
            return pg_ && k == Kind::Number
                       ? QLatin1String("CAST(") + text + QLatin1String(" AS text)")
                       : text; // never NULL
        // The server joins only texts: numbers are written out as SQLite writes them.
        if (pg_)
            return QLatin1String("COALESCE(CAST(") + text + QLatin1String(" AS text),'')");
        return QLatin1String("COALESCE(") + text + QLatin1String(",'')");
    }

    QString emit(int b, int e) const {
        QString result;
        const std::vector<Chain> chains = findChains(b, e);
        size_t next = 0;
        for (int i = b; i < e;) {
            if (next < chains.size() && chains[next].begin == i) {
                const Chain& chain = chains[next++];
                QStringList parts;
                for (const auto& [first, last] : chain.operands)
                    parts << wrap(first, last);
                result += QLatin1Char('(') + parts.join(QLatin1String(" || ")) + QLatin1Char(')');
                i = chain.end + 1;
            } else if (isSymbol(i, "(") && match_[i] > i && match_[i] < e) {
                result += t_[i].out + emit(i + 1, match_[i]) + t_[match_[i]].out;
                i = match_[i] + 1;
            } else {
                result += t_[i].out;
                ++i;
            }
        }
        return result;
    }
};

} // namespace

QString translateJetSql(const QString& jet, SqlDialect dialect) {
    return Translator(jet, dialect).run();
}

namespace {

// max( or min( followed by a comma at its own depth: the scalar form.
bool isTwoArgumentExtreme(const std::vector<Token>& t, size_t word, size_t open) {
    if (t[open].kind != Kind::Symbol || t[open].text != QLatin1String("(") ||
        (t[word].text.compare(QLatin1String("max"), Qt::CaseInsensitive) != 0 &&
         t[word].text.compare(QLatin1String("min"), Qt::CaseInsensitive) != 0))
        return false;
    int depth = 0;
    for (size_t k = open; k < t.size(); ++k) {
        if (t[k].kind != Kind::Symbol)
            continue;
        if (t[k].text == QLatin1String("("))
            ++depth;
        else if (t[k].text == QLatin1String(")") && --depth == 0)
            return false;
        else if (t[k].text == QLatin1String(",") && depth == 1)
            return true;
    }
    return false;
}

} // namespace

QString sqliteToPostgres(const QString& sql) {
    std::vector<Token> t = tokenize(sql);
    QString out;
    out.reserve(sql.size() + 16);
    auto nextSig = [&](size_t i) {
        ++i;
        while (i < t.size() && (t[i].kind == Kind::Space || t[i].kind == Kind::Comment))
            ++i;
        return i;
    };
    for (size_t i = 0; i < t.size(); ++i) {
        const Token& tok = t[i];
        if (tok.kind == Kind::DqString && tok.complete) {
            QString body = tok.text.mid(1, tok.text.size() - 2);
            body.replace(QLatin1String("\"\""), QLatin1String("\""));
            out += foldedName(body);
        } else if (tok.kind == Kind::Word &&
                   tok.text.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0) {
            out += QLatin1String("ILIKE");
        } else if (tok.kind == Kind::Word && nextSig(i) < t.size() &&
                   isTwoArgumentExtreme(t, i, nextSig(i))) {
            // SQLite's max(a, b) and min(a, b) of two or more values.
            out += tok.text.compare(QLatin1String("max"), Qt::CaseInsensitive) == 0
                       ? QStringLiteral("greatest")
                       : QStringLiteral("least");
        } else if (tok.kind == Kind::Word && nextSig(i) < t.size() &&
                   t[nextSig(i)].kind == Kind::Symbol && t[nextSig(i)].text == QLatin1String("(") &&
                   !postgresFunction(tok.text).isEmpty()) {
            out += postgresFunction(tok.text);
        } else {
            out += tok.text;
        }
    }
    return out;
}

} // namespace brevalto
