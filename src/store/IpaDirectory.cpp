#include "store/IpaDirectory.h"

#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/SystemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <functional>
#include <optional>

namespace brevalto::ipa {

namespace {

const QString kTable = QStringLiteral("PA_Amministrazioni_FatturaElettronica");

// "Il file uo.csv", or "Il testo" when the text has no file.
QString fileWords(const QString& fileName) {
    return fileName.isEmpty()
               ? QStringLiteral("Il testo")
               : QStringLiteral("Il file %1").arg(QDir::toNativeSeparators(fileName));
}

// Gives the text of a file piece by piece: more(text) appends the next piece and says false at
// the end. Null for a text given whole.
using MoreText = std::function<bool(QString& text)>;

// No record of a directory file is longer than this: kMaxFieldBreaks + 1 lines of at most
// kMaxLineLength characters each (a longer line, or a field over more lines, is refused). A
// reader of a file keeps at least this much of it ahead of the record it reads.
constexpr qsizetype kLookAhead = (kMaxFieldBreaks + 2) * kMaxLineLength;

// Streams the records of a delimited text (see parseDelimited), refusing what no directory file
// holds: a quoted field never closed, one running over more than kMaxFieldBreaks line breaks, and
// a wanted field longer than kMaxFieldLength. Each refusal names the line where the field (its
// quote) opened. The text is either given whole or read from a file a piece at a time, what has
// been read let go: memory does not grow with the file.
class Reader {
public:
    Reader(const QString& text, QChar delimiter, const QString& fileName = QString())
        : text_(text), delimiter_(delimiter), fileName_(fileName), ended_(true) {}
    Reader(MoreText more, QChar delimiter, const QString& fileName)
        : delimiter_(delimiter), fileName_(fileName), more_(std::move(more)) {
        fill();
    }

    // The start of the text (for the delimiter of its first line).
    const QString& text() const { return text_; }
    void setDelimiter(QChar delimiter) { delimiter_ = delimiter; }

    // The next record; false at the end of the text. Unquoted fields are cut out of the text in
    // one piece; only quoted ones are assembled. Throws FileError.
    bool next(QStringList& fields) {
        fill();
        const qsizetype n = text_.size();
        const QChar* s = text_.constData();
        const auto lineEnd = [](QChar c) {
            return c == QLatin1Char('\r') || c == QLatin1Char('\n');
        };
        const auto skipLineEnd = [&] {
            if (pos_ < n && (s[pos_] == QLatin1Char('\r') || s[pos_] == QLatin1Char('\n')))
                ++line_;
            if (pos_ < n && s[pos_] == QLatin1Char('\r'))
                ++pos_;
            if (pos_ < n && s[pos_] == QLatin1Char('\n'))
                ++pos_;
        };
        while (pos_ < n) {
            if (lineEnd(s[pos_])) { // a blank line
                skipLineEnd();
                continue;
            }
            fields.clear();
            recordLine_ = line_;
            for (;;) {
                const qsizetype column = fields.size();
                const bool wanted = column >= wanted_.size() || wanted_[column];
                if (pos_ < n && s[pos_] == QLatin1Char('"')) {
                    const qint64 opened = line_;
                    int breaks = 0;
                    QString field;
                    qsizetype start = ++pos_;
                    bool closed = false;
                    while (pos_ < n) {
                        const QChar c = s[pos_];
                        if (c == QLatin1Char('\n') ||
                            (c == QLatin1Char('\r') &&
                             (pos_ + 1 >= n || s[pos_ + 1] != QLatin1Char('\n')))) {
                            ++line_;
                            if (++breaks > kMaxFieldBreaks)
                                throw FileError(
                                    QStringLiteral("%1 non è un elenco valido: il campo tra "
                                                   "virgolette aperto alla riga %2 prosegue per "
                                                   "più di %3 righe (le virgolette non si "
                                                   "chiudono dove il campo finisce).")
                                        .arg(fileWords(fileName_))
                                        .arg(opened)
                                        .arg(kMaxFieldBreaks + 1),
                                    false);
                        }
                        if (c != QLatin1Char('"')) {
                            ++pos_;
                            continue;
                        }
                        field.append(s + start, pos_ - start);
                        if (pos_ + 1 < n && s[pos_ + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            pos_ += 2;
                            start = pos_;
                            continue;
                        }
                        ++pos_;
                        closed = true;
                        break;
                    }
                    if (!closed)
                        throw FileError(QStringLiteral("%1 non è un elenco valido: alla riga %2 "
                                                       "si aprono le virgolette di un campo che "
                                                       "non si chiudono più.")
                                            .arg(fileWords(fileName_))
                                            .arg(opened),
                                        false);
                    breaksInQuotes_ += breaks;
                    if (breaks > 0 && firstBreakLine_ == 0)
                        firstBreakLine_ = opened;
                    // Anything between the closing quote and the delimiter is kept as it is.
                    start = pos_;
                    while (pos_ < n && s[pos_] != delimiter_ && !lineEnd(s[pos_]))
                        ++pos_;
                    field.append(s + start, pos_ - start);
                    if (wanted)
                        checkLength(field.size(), opened, true);
                    fields << field;
                } else {
                    const qsizetype start = pos_;
                    while (pos_ < n && s[pos_] != delimiter_ && !lineEnd(s[pos_]))
                        ++pos_;
                    // Columns nobody reads are not copied.
                    if (!wanted) {
                        fields << QString();
                    } else {
                        checkLength(pos_ - start, line_, false);
                        fields << QString(s + start, pos_ - start);
                    }
                }
                if (pos_ < n && s[pos_] == delimiter_) {
                    ++pos_;
                    continue;
                }
                break;
            }
            skipLineEnd();
            return true;
        }
        return false;
    }
    // Characters read so far.
    qint64 position() const { return dropped_ + pos_; }
    // Whether the whole text has been read, and whether it ends with a line break.
    bool atEnd() const { return ended_ && pos_ >= text_.size(); }
    bool endsInBreak() const { return last_ == QLatin1Char('\n') || last_ == QLatin1Char('\r'); }
    // The line (from 1) on which the last record read starts.
    qint64 recordLine() const { return recordLine_; }
    // The lines of the text read so far (a line break at the very end starts no new line).
    qint64 lines() const { return atEnd() && endsInBreak() ? line_ - 1 : line_; }
    // Line breaks inside quoted fields so far, and the line of the first field holding one.
    qint64 breaksInQuotes() const { return breaksInQuotes_; }
    qint64 firstBreakLine() const { return firstBreakLine_; }
    // The columns whose text is wanted; the others read as empty. Every column when not set.
    void setWanted(const QList<bool>& wanted) { wanted_ = wanted; }

private:
    void checkLength(qsizetype length, qint64 line, bool quoted) const {
        if (length <= kMaxFieldLength)
            return;
        throw FileError(
            QStringLiteral("%1 non è un elenco valido: %2 alla riga %3 è lungo %4 "
                           "caratteri, più dei %5 che un campo dell'elenco può "
                           "avere.")
                .arg(fileWords(fileName_), quoted ? QStringLiteral("il campo tra virgolette aperto")
                                                  : QStringLiteral("un campo"))
                .arg(line)
                .arg(length)
                .arg(kMaxFieldLength),
            false);
    }

    // Lets go of what has been read and reads on until kLookAhead characters stand ahead.
    void fill() {
        if (!ended_ && pos_ > kLookAhead) {
            text_.remove(0, pos_);
            dropped_ += pos_;
            pos_ = 0;
        }
        while (!ended_ && text_.size() - pos_ < kLookAhead) {
            ended_ = !more_(text_);
            if (!text_.isEmpty())
                last_ = text_.back();
        }
        if (ended_ && more_ == nullptr && !text_.isEmpty())
            last_ = text_.back();
    }

    QString text_;
    QChar delimiter_;
    QString fileName_;
    MoreText more_;
    bool ended_ = false;
    QChar last_;
    qint64 dropped_ = 0;
    qsizetype pos_ = 0;
    qint64 line_ = 1;
    qint64 recordLine_ = 0;
    qint64 breaksInQuotes_ = 0;
    qint64 firstBreakLine_ = 0;
    QList<bool> wanted_;
};

// Whether `piece`, after the bytes `carried` over from the piece before it, is UTF-8 as far as
// it goes; a character cut off at its end is carried over to the next piece. Only validated,
// never decoded: this pass keeps none of the text.
bool validUtf8Piece(QByteArray& carried, const QByteArray& piece) {
    const QByteArray text = carried.isEmpty() ? piece : carried + piece;
    // The last character's first byte, and how many bytes it announces.
    qsizetype lead = text.size();
    while (lead > 0 && text.size() - lead < 4 && (uchar(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    qsizetype end = text.size();
    if (lead > 0) {
        const uchar first = uchar(text[lead - 1]);
        const qsizetype length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (text.size() - (lead - 1) < length)
            end = lead - 1;
    }
    carried = text.mid(end);
    return QByteArrayView(text.constData(), end).isValidUtf8();
}

// A file of the directory, read twice and never held whole: once to measure its lines (a line
// longer than any row of the directory is refused before the rest of it is read, so a file of
// one 2 GB line never fills the memory) and to learn whether it is UTF-8, then a piece at a time
// for its records.
class FileText {
public:
    FileText(const QString& path, const QString& what) : path_(path), what_(what), file_(path) {
        const QString shown = QDir::toNativeSeparators(path);
        if (!QFileInfo(path).isFile())
            throw FileError(QStringLiteral("Il file %1 (%2) non esiste.").arg(shown, what), true);
        if (!file_.open(QIODevice::ReadOnly))
            throw unreadable();
        bool utf8 = true;
        QByteArray carried; // the start of a character cut off at the end of the last piece
        qint64 line = 1;
        qint64 lineLength = 0;
        char previous = 0;
        QByteArray piece;
        while (readPiece(piece)) {
            for (const char c : std::as_const(piece)) {
                if (c == '\n' || c == '\r') {
                    if (c == '\r' || previous != '\r')
                        ++line;
                    lineLength = 0;
                } else if (++lineLength > kMaxLineLength) {
                    throw FileError(QStringLiteral("Il file %1 (%2) non è un elenco valido: la "
                                                   "riga %3 è lunga più di %4 caratteri, oltre "
                                                   "ogni riga degli elenchi di IndicePA.")
                                        .arg(QFileInfo(path).fileName(), what)
                                        .arg(line)
                                        .arg(kMaxLineLength),
                                    false);
                }
                previous = c;
            }
            if (utf8)
                utf8 = validUtf8Piece(carried, piece);
        }
        // Older files were written in the Windows code page: read them byte by byte rather than
        // turning every accented letter into a replacement mark.
        // A character cut off by the end of the file is no error on its own (the reading gives
        // it a replacement mark), unless its start is already wrong.
        if (utf8 && !carried.isEmpty()) {
            QStringDecoder end(QStringDecoder::Utf8);
            const QString decoded = end(carried);
            Q_UNUSED(decoded);
            utf8 = !end.hasError();
        }
        utf8_ = utf8;
        if (!file_.seek(0))
            throw unreadable();
        const QByteArray start = file_.peek(3);
        if (start == "\xEF\xBB\xBF")
            file_.read(3);
    }

    // The text, a piece at a time (for a Reader).
    MoreText more() {
        return [this](QString& text) {
            QByteArray piece;
            if (!readPiece(piece))
                return false;
            text += utf8_ ? utf8Decoder_.decode(piece) : QString::fromLatin1(piece);
            return true;
        };
    }

private:
    FileError unreadable() const {
        return FileError(
            QStringLiteral("Impossibile leggere il file %1 (%2): %3")
                .arg(QDir::toNativeSeparators(path_), what_, italianReason(file_.errorString())),
            true);
    }
    bool readPiece(QByteArray& piece) {
        piece = file_.read(1 << 20);
        if (piece.isEmpty() && file_.error() != QFileDevice::NoError)
            throw unreadable();
        return !piece.isEmpty();
    }

    QString path_;
    QString what_;
    QFile file_;
    bool utf8_ = true;
    QStringDecoder utf8Decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom};
};

// What a column means, whatever its heading in this release of the files.
enum Role {
    IpaCode,
    EnteName,
    EnteCf,
    SfeCf,
    OfficeCode,
    CodOu,
    OfficeName,
    Istat,
    Catastale,
    ComuneName,
    Provincia,
    Cap,
    Indirizzo,
    Tipologia,
    RoleCount
};

struct Heading {
    Role role;
    QStringList names; // lower case
};

const QList<Heading>& headings() {
    static const QList<Heading> list = {
        {IpaCode, {"codice_ipa", "cod_amm"}},
        {EnteName, {"denominazione_ente", "des_amm"}},
        {EnteCf, {"codice_fiscale_ente"}},
        {SfeCf, {"codice_fiscale_sfe", "cf"}},
        {OfficeCode, {"codice_uni_uo", "cod_uni_ou"}},
        {CodOu, {"cod_ou"}},
        {OfficeName, {"descrizione_uo", "des_ou"}},
        {Istat, {"codice_comune_istat"}},
        {Catastale, {"codice_catastale_comune"}},
        {ComuneName, {"comune"}},
        {Provincia, {"provincia"}},
        {Cap, {"cap"}},
        {Indirizzo, {"indirizzo"}},
        {Tipologia, {"tipologia", "tipologia_istat"}},
    };
    return list;
}

using Columns = std::array<int, RoleCount>;

Columns findColumns(const QStringList& headingRow) {
    Columns columns;
    columns.fill(-1);
    for (int i = 0; i < headingRow.size(); ++i) {
        const QString name = headingRow[i].trimmed().toLower();
        for (const Heading& h : headings()) {
            if (h.names.contains(name) && columns[h.role] < 0)
                columns[h.role] = i;
        }
    }
    return columns;
}

QString value(const QStringList& fields, const Columns& columns, Role role) {
    const int i = columns[role];
    return i >= 0 && i < fields.size() ? fields[i].trimmed() : QString();
}

QString refusal(const QString& path, const QString& what, const QString& expected,
                const QStringList& found) {
    QString foundText = found.join(QLatin1String(", "));
    if (foundText.size() > 300)
        foundText = foundText.left(300) + QStringLiteral("...");
    return QStringLiteral("Il file %1 non è %2 di IndicePA: le intestazioni della prima riga non "
                          "sono riconosciute.\nAttese: %3.\nTrovate: %4.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).fileName()), what, expected,
             foundText.isEmpty() ? QStringLiteral("nessuna") : foundText);
}

// The delimiter of a file: TAB when its heading line holds one, otherwise comma (or semicolon,
// when a spreadsheet saved it so).
QChar delimiterOf(const QString& text) {
    const QStringView firstLine = QStringView(text).left(text.indexOf(QLatin1Char('\n')));
    if (firstLine.contains(QLatin1Char('\t')))
        return QLatin1Char('\t');
    if (!firstLine.contains(QLatin1Char(',')) && firstLine.contains(QLatin1Char(';')))
        return QLatin1Char(';');
    return QLatin1Char(',');
}

struct Ente {
    QString name;
    QString tipologia;
    QString cf;
};

// Only the columns the directory takes are read (and measured).
QList<bool> wantedColumns(const QStringList& headingRow, const Columns& columns) {
    QList<bool> wanted(headingRow.size(), false);
    for (const int column : columns) {
        if (column >= 0)
            wanted[column] = true;
    }
    return wanted;
}

// A few quoted fields may go on to another line; when many do, the file's rows are not where its
// lines are (a stray quote pairs with one far away), and the file is refused.
void checkRowsFollowLines(const Reader& reader, const QString& path, int rows) {
    const qint64 allowed = std::max<qint64>(kMaxFieldBreaks, reader.lines() / 100);
    if (reader.breaksInQuotes() <= allowed)
        return;
    throw FileError(QStringLiteral("%1 non è un elenco valido: ha %2 righe ma se ne leggono solo "
                                   "%3, perché %4 a capo cadono dentro campi tra virgolette (il "
                                   "primo aperto alla riga %5).")
                        .arg(fileWords(QFileInfo(path).fileName()))
                        .arg(reader.lines())
                        .arg(rows)
                        .arg(reader.breaksInQuotes())
                        .arg(reader.firstBreakLine()),
                    false);
}

QHash<QString, Ente> readEnti(const QString& path) {
    FileText file(path, QStringLiteral("amministrazioni"));
    Reader reader(file.more(), QChar(), QFileInfo(path).fileName());
    reader.setDelimiter(delimiterOf(reader.text()));
    QStringList fields;
    if (!reader.next(fields))
        throw FileError(refusal(path, QStringLiteral("l'elenco delle amministrazioni"),
                                QStringLiteral("Codice_IPA (oppure cod_amm) e "
                                               "Denominazione_ente (oppure des_amm) o Tipologia "
                                               "(oppure tipologia_istat)"),
                                {}),
                        false);
    const QStringList headingRow = fields;
    const Columns c = findColumns(headingRow);
    if (c[IpaCode] < 0 || (c[EnteName] < 0 && c[Tipologia] < 0) || c[OfficeCode] >= 0)
        throw FileError(refusal(path, QStringLiteral("l'elenco delle amministrazioni"),
                                QStringLiteral("Codice_IPA (oppure cod_amm) e "
                                               "Denominazione_ente (oppure des_amm) o Tipologia "
                                               "(oppure tipologia_istat), senza codici di "
                                               "ufficio"),
                                headingRow),
                        false);
    reader.setWanted(wantedColumns(headingRow, c));
    QHash<QString, Ente> enti;
    int rows = 1;
    while (reader.next(fields)) {
        ++rows;
        const QString code = value(fields, c, IpaCode).toLower();
        if (code.isEmpty() || enti.contains(code))
            continue;
        enti.insert(code, {value(fields, c, EnteName), value(fields, c, Tipologia),
                           value(fields, c, EnteCf)});
    }
    checkRowsFollowLines(reader, path, rows);
    return enti;
}

// A municipality name as the files and the Comuni table may both write it: letters and digits
// only, without accents or case ("FORLI'" and "Forlì", "L'AQUILA" and "L'Aquila" meet).
QString nameKey(const QString& name) {
    const QString decomposed = name.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

// The municipalities of the archive, found by ISTAT code, by cadastral code, or by name and
// province (by name alone when only one municipality has it).
class ComuniIndex {
public:
    explicit ComuniIndex(Connection& connection) {
        QSqlQuery q = connection.execNative(
            QStringLiteral("SELECT ID, Comune, Provincia, COD_ISTAT, CODICE_F FROM Comuni"));
        QHash<QString, int> nameCount;
        while (q.next()) {
            const int id = q.value(0).toInt();
            const QString key = nameKey(q.value(1).toString());
            const QString istat = istatKey(q.value(3).toString());
            if (!istat.isEmpty())
                byIstat_.insert(istat, id);
            const QString cadastral = q.value(4).toString().trimmed().toUpper();
            if (!cadastral.isEmpty())
                byCadastral_.insert(cadastral, id);
            byNameProvince_.insert(key + QLatin1Char('|') + q.value(2).toString().toUpper(), id);
            byName_.insert(key, id);
            nameCount[key] += 1;
        }
        for (auto it = nameCount.cbegin(); it != nameCount.cend(); ++it) {
            if (it.value() > 1)
                byName_.remove(it.key());
        }
    }

    // The key of the municipality, or 0 when none is found.
    int find(const QString& istat, const QString& cadastral, const QString& name,
             const QString& province) const {
        if (const QString k = istatKey(istat); !k.isEmpty()) {
            if (const int id = byIstat_.value(k))
                return id;
        }
        if (!cadastral.isEmpty()) {
            if (const int id = byCadastral_.value(cadastral.toUpper()))
                return id;
        }
        if (name.isEmpty())
            return 0;
        const QString key = nameKey(name);
        if (!province.isEmpty())
            return byNameProvince_.value(key + QLatin1Char('|') + province.toUpper());
        return byName_.value(key);
    }

private:
    // Six digits: spreadsheets drop the leading zeros of "001001".
    static QString istatKey(const QString& code) {
        const QString t = code.trimmed();
        if (t.isEmpty() || t.size() > 6)
            return QString();
        for (const QChar c : t) {
            if (!c.isDigit())
                return QString();
        }
        return t.rightJustified(6, QLatin1Char('0'));
    }

    QHash<QString, int> byIstat_;
    QHash<QString, int> byCadastral_;
    QHash<QString, int> byNameProvince_;
    QHash<QString, int> byName_;
};

bool isOfficeCode(const QString& code) {
    if (code.size() != 6)
        return false;
    for (const QChar c : code) {
        if (!(c.isDigit() || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))))
            return false;
    }
    return true;
}

struct Cancelled {};

void recordLoad(Connection& connection, const QString& files) {
    connection.execNative(
        QStringLiteral("UPDATE opzioni SET ElencoPA_Aggiornato = ?, ElencoPA_File = ?"),
        {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), files});
}

} // namespace

QList<QStringList> parseDelimited(const QString& text, QChar delimiter) {
    QList<QStringList> records;
    Reader reader(text, delimiter);
    QStringList fields;
    while (reader.next(fields))
        records << fields;
    return records;
}

QString ImportReport::text() const {
    QStringList lines;
    lines << QStringLiteral("Uffici letti: %1").arg(read);
    lines << QStringLiteral("Uffici importati: %1").arg(imported);
    if (skipped() > 0) {
        lines << QStringLiteral("Righe scartate: %1").arg(skipped());
        const auto reason = [&lines](int count, const QString& why) {
            if (count > 0)
                lines << QStringLiteral("  %1 %2").arg(count).arg(why);
        };
        reason(noCode, QStringLiteral("senza codice univoco dell'ufficio"));
        reason(badCode, QStringLiteral("con un codice univoco che non è di 6 lettere o cifre"));
        reason(duplicate, QStringLiteral("con un codice univoco già letto in una riga precedente"));
        reason(malformed,
               QStringLiteral("con un numero di campi diverso da quello delle intestazioni"));
    }
    if (noComune > 0)
        lines << QStringLiteral("Uffici importati senza comune (non trovato nella tabella dei "
                                "Comuni): %1")
                     .arg(noComune);
    if (noEnteName > 0)
        lines << QStringLiteral("Uffici importati senza la denominazione dell'ente (indicare anche "
                                "il file delle amministrazioni): %1")
                     .arg(noEnteName);
    return lines.join(QLatin1Char('\n'));
}

ImportReport importDirectory(Connection& connection, const QString& officesPath,
                             const QString& entiPath, const Progress& progress) {
    ImportReport report;
    FileText file(officesPath, QStringLiteral("uffici"));
    const QHash<QString, Ente> enti =
        entiPath.isEmpty() ? QHash<QString, Ente>() : readEnti(entiPath);
    Reader reader(file.more(), QChar(), QFileInfo(officesPath).fileName());
    const QChar delimiter = delimiterOf(reader.text());
    reader.setDelimiter(delimiter);
    report.layout = delimiter == QLatin1Char('\t') ? QStringLiteral("TAB") : QStringLiteral("CSV");
    QStringList fields;
    reader.next(fields);
    const QStringList headingRow = fields;
    const Columns c = findColumns(headingRow);
    if (c[OfficeCode] < 0 || c[OfficeName] < 0)
        throw FileError(
            refusal(officesPath, QStringLiteral("un elenco degli uffici"),
                    QStringLiteral("Codice_uni_uo (oppure cod_uni_ou) e Descrizione_uo (oppure "
                                   "des_ou); inoltre, se presenti, Codice_IPA, "
                                   "Denominazione_ente, Codice_fiscale_sfe, Codice_fiscale_ente, "
                                   "Codice_comune_ISTAT, Codice_catastale_comune, CAP, Indirizzo "
                                   "(oppure cod_amm, cod_ou, comune, provincia, indirizzo, cap, "
                                   "cf)"),
                    headingRow),
            false);

    reader.setWanted(wantedColumns(headingRow, c));

    ComuniIndex comuni(connection);
    QStringList files{QFileInfo(officesPath).fileName()};
    if (!entiPath.isEmpty())
        files << QFileInfo(entiPath).fileName();

    const qint64 total = std::max<qint64>(1, QFileInfo(officesPath).size());
    // Office codes are six letters or digits: each kept as the number it spells in base 36.
    QSet<quint32> codes;
    try {
        // Prepared outside the transaction, so that a server frees the prepared statement after
        // a rollback (inside a failed transaction it refuses to). On an archive file each row
        // goes straight to the engine.
        std::optional<RepeatedStatement> insert;
        try {
            insert.emplace(connection.prepare(
                QStringLiteral("INSERT INTO %1 (DescrizionePA, DescrizioneUfficio, "
                               "codice_Amministrazione, cod_ou, codice_univoco, indirizzo, cap, "
                               "cf, tipologia_istat, Comune_Id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                               "?)")
                    .arg(kTable)));
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("Impossibile scrivere l'elenco delle amministrazioni: %1")
                              .arg(e.text()));
        }
        QVariantList values;
        connection.inTransaction([&] {
            // The index is built once at the end: faster than keeping it up to date row by row.
            const TableDef* table = findTable(kTable);
            const QString column = QStringLiteral("Comune_Id");
            if (table)
                connection.execNative(
                    QStringLiteral("DROP INDEX IF EXISTS ") +
                    quoteIdentifier(indexName(*table, column, connection.dialect())));
            connection.execNative(QStringLiteral("DELETE FROM ") + kTable);
            int sinceProgress = 0;
            while (reader.next(fields)) {
                ++report.read;
                if (++sinceProgress == 2000) {
                    sinceProgress = 0;
                    if (progress && !progress(std::min(reader.position(), total), total))
                        throw Cancelled{};
                }
                if (fields.size() != headingRow.size()) {
                    // The last row cut short, with no line break after it: a download that
                    // stopped partway. Part of the directory must not replace the whole.
                    if (reader.atEnd() && !reader.endsInBreak())
                        throw FileError(
                            QStringLiteral("Il file %1 finisce a metà di una riga: sembra "
                                           "scaricato solo in parte. Scaricarlo di nuovo da "
                                           "IndicePA.")
                                .arg(QDir::toNativeSeparators(QFileInfo(officesPath).fileName())),
                            false);
                    ++report.malformed;
                    continue;
                }
                const QString code = value(fields, c, OfficeCode).toUpper();
                if (code.isEmpty()) {
                    ++report.noCode;
                    continue;
                }
                if (!isOfficeCode(code)) {
                    ++report.badCode;
                    continue;
                }
                const quint32 number = code.toUInt(nullptr, 36);
                if (codes.contains(number)) {
                    ++report.duplicate;
                    continue;
                }
                codes.insert(number);

                const QString ipaCode = value(fields, c, IpaCode);
                const Ente ente = enti.isEmpty() ? Ente() : enti.value(ipaCode.toLower());
                QString enteName = value(fields, c, EnteName);
                if (enteName.isEmpty())
                    enteName = ente.name;
                if (enteName.isEmpty())
                    ++report.noEnteName;
                QString cf = value(fields, c, SfeCf);
                if (cf.isEmpty())
                    cf = value(fields, c, EnteCf);
                if (cf.isEmpty())
                    cf = ente.cf;
                QString tipologia = value(fields, c, Tipologia);
                if (tipologia.isEmpty())
                    tipologia = ente.tipologia;
                const int comune =
                    comuni.find(value(fields, c, Istat), value(fields, c, Catastale),
                                value(fields, c, ComuneName), value(fields, c, Provincia));
                if (comune == 0)
                    ++report.noComune;

                const auto orNull = [](const QString& s) {
                    return s.isEmpty() ? QVariant() : QVariant(s);
                };
                values.clear();
                values << orNull(enteName) << orNull(value(fields, c, OfficeName))
                       << orNull(ipaCode) << orNull(value(fields, c, CodOu)) << code
                       << orNull(value(fields, c, Indirizzo)) << orNull(value(fields, c, Cap))
                       << orNull(cf) << orNull(tipologia)
                       << (comune == 0 ? QVariant() : QVariant(comune));
                try {
                    insert->run(values);
                } catch (const DbError& e) {
                    throw DbError(QStringLiteral("Impossibile scrivere l'ufficio %1 "
                                                 "nell'elenco delle amministrazioni: %2")
                                      .arg(code, e.text()));
                }
                ++report.imported;
            }
            checkRowsFollowLines(reader, officesPath, report.read + 1);
            if (table)
                connection.execNative(createIndexSql(*table, column, connection.dialect()));
            recordLoad(connection, files.join(QLatin1String(" + ")));
        });
    } catch (const Cancelled&) {
        report.cancelled = true;
    }
    if (progress && !report.cancelled)
        progress(total, total);
    return report;
}

LastLoad lastLoad(Connection& connection) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT ElencoPA_Aggiornato, ElencoPA_File FROM opzioni "
                       "WHERE ElencoPA_Aggiornato IS NOT NULL ORDER BY ElencoPA_Aggiornato DESC "
                       "LIMIT 1"));
    LastLoad load;
    if (q.next()) {
        load.when =
            QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        load.files = q.value(1).toString();
    }
    return load;
}

QString lastLoadText(Connection& connection) {
    const LastLoad load = lastLoad(connection);
    QSqlQuery any = connection.execNative(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(kTable));
    if (!any.next())
        return QStringLiteral("Elenco vuoto: importarlo con \"Aggiorna elenco P.A.\"");
    if (!load.when.isValid())
        return QStringLiteral("Elenco aggiornato in data non nota");
    return QStringLiteral("Elenco aggiornato al %1 (file %2)")
        .arg(load.when.toString(QStringLiteral("dd/MM/yyyy HH:mm")), load.files);
}

} // namespace brevalto::ipa
