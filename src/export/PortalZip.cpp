#include "export/PortalZip.h"

#include "check/Checker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <zip.h>

namespace brevalto::portal {

namespace {

check::Finding finding(const QString& code, const QString& message) {
    return check::Finding{code, QString(), message, 0, {}, {}};
}

// What an entry adds to a ZIP besides its compressed bytes: the local header and the central
// directory entry, each with the name, and room for the extra fields libzip writes.
qint64 entryOverhead(const QByteArray& name) {
    return 30 + 46 + 2 * name.size() + 64;
}
constexpr qint64 kEndRecord = 22;
// The entries are deflated at this level; the size is measured with zlib at the same level.
constexpr int kLevel = 6;

struct Entry {
    QString path;
    QByteArray name; // UTF-8, without folder
    QByteArray bytes;
    qint64 packed = 0;  // bytes in the ZIP
    bool store = false; // deflate would not shrink it
};

QString workName(const QString& target, int part) {
    return QStringLiteral("%1.%2-%3.tmp")
        .arg(target)
        .arg(QCoreApplication::applicationPid())
        .arg(part);
}

// Writes the entries as a ZIP at path (a work file); the reason when it fails.
QString writeZip(const QString& path, const QList<const Entry*>& entries) {
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString why = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return why;
    }
    for (const Entry* e : entries) {
        zip_source_t* source =
            zip_source_buffer(zip, e->bytes.constData(), zip_uint64_t(e->bytes.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(zip, e->name.constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            const QString why = QString::fromLocal8Bit(zip_strerror(zip));
            zip_discard(zip);
            return why;
        }
        zip_set_file_compression(zip, zip_uint64_t(index), e->store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 e->store ? 0 : kLevel);
    }
    if (zip_close(zip) != 0) {
        const QString why = QString::fromLocal8Bit(zip_strerror(zip));
        zip_discard(zip);
        return why;
    }
    return QString();
}

} // namespace

check::Findings zipNameFindings(const QString& name) {
    const bool zip = name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
    // The same rule as an invoice file's name, with ".zip" for ".xml".
    const check::Findings asInvoice =
        zip ? check::checkFileName(name.chopped(4) + QStringLiteral(".xml")) : check::Findings{};
    if (zip && asInvoice.isEmpty())
        return {};
    return {finding(QStringLiteral("00001"),
                    QStringLiteral("Nome dell'archivio \"%1\" non valido: deve essere codice "
                                   "paese, identificativo fiscale del trasmittente, \"_\", "
                                   "progressivo di al massimo 5 caratteri alfanumerici ed "
                                   "estensione .zip (es. IT01234567890_Z0001.zip).")
                        .arg(name))};
}

QString nextZipName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^(.*_)([A-Za-z0-9]*?)([0-9]*)(\\.zip)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return QString();
    const QString letters = m.captured(2);
    const QString digits = m.captured(3);
    const QString raised = QString::number(digits.toLongLong() + 1)
                               .rightJustified(qMax<qsizetype>(digits.size(), 1), u'0');
    if (letters.size() + raised.size() > 5)
        return QString();
    return m.captured(1) + letters + raised + m.captured(4);
}

QString proposedZipName(const QString& folder, const QString& transmitter) {
    QString name = transmitter + QStringLiteral("_Z0001.zip");
    while (!name.isEmpty() && QFileInfo::exists(QDir(folder).filePath(name)))
        name = nextZipName(name);
    return name;
}

QString refusedText(const QList<Refused>& refused) {
    QStringList lines;
    for (const Refused& r : refused)
        lines << QStringLiteral("%1: %2 %3")
                     .arg(QDir::toNativeSeparators(r.file), r.finding.code, r.finding.message);
    return lines.join(QLatin1Char('\n'));
}

ZipResult packForPortal(const QStringList& files, const QString& zipPath, bool replace) {
    ZipResult result;
    const QString zipName = QFileInfo(zipPath).fileName();
    if (const check::Findings bad = zipNameFindings(zipName); !bad.isEmpty()) {
        result.error = bad.constFirst().message;
        return result;
    }

    QList<Entry> entries;
    QSet<QString> names;
    for (const QString& path : files) {
        const QFileInfo info(path);
        const QString name = info.fileName();
        const auto refuse = [&](const check::Finding& f) { result.refused << Refused{path, f}; };
        if (!info.isFile()) {
            refuse(finding(QStringLiteral("FILE"),
                           QStringLiteral("il file non esiste o non è un file.")));
            continue;
        }
        if (info.size() > kMaxFileSize) {
            refuse(finding(QStringLiteral("00003"),
                           QStringLiteral("il file è di %1 byte, oltre il limite di %2 byte del "
                                          "Sistema di Interscambio.")
                               .arg(info.size())
                               .arg(kMaxFileSize)));
            continue;
        }
        if (const check::Findings bad = check::checkFileName(name); !bad.isEmpty()) {
            refuse(bad.constFirst());
            continue;
        }
        if (names.contains(name.toLower())) {
            refuse(
                finding(QStringLiteral("00002"),
                        QStringLiteral("un altro file di nome %1 è già nell'archivio.").arg(name)));
            continue;
        }
        QFile file(path);
        Entry e;
        if (file.open(QIODevice::ReadOnly))
            e.bytes = file.readAll();
        if (!file.isOpen() || e.bytes.size() != info.size() || e.bytes.size() > kMaxFileSize) {
            refuse(
                finding(QStringLiteral("FILE"),
                        QStringLiteral("il file non si può leggere: %1").arg(file.errorString())));
            continue;
        }
        names.insert(name.toLower());
        e.path = path;
        e.name = name.toUtf8();
        // zlib at the level libzip is told to use gives the same deflated size; qCompress adds
        // a 4-byte length and zlib's 2-byte header and 4-byte checksum around it.
        const qint64 deflated = qCompress(e.bytes, kLevel).size() - 10;
        e.store = deflated >= e.bytes.size();
        e.packed = e.store ? e.bytes.size() : deflated;
        entries << e;
    }
    if (entries.isEmpty()) {
        result.error = QStringLiteral("Nessun file da mettere nell'archivio.");
        return result;
    }

    // Filled in order; a file that would take the ZIP over the limit starts the next one.
    QList<QList<const Entry*>> parts{{}};
    qint64 size = kEndRecord;
    for (const Entry& e : std::as_const(entries)) {
        const qint64 adds = e.packed + entryOverhead(e.name);
        if (!parts.last().isEmpty() && size + adds > kMaxZipSize) {
            parts.append(QList<const Entry*>{});
            size = kEndRecord;
        }
        parts.last() << &e;
        size += adds;
    }

    QStringList targets{zipPath};
    for (int i = 1; i < parts.size(); ++i) {
        const QString next = nextZipName(QFileInfo(targets.last()).fileName());
        if (next.isEmpty()) {
            result.error = QStringLiteral("Servono %1 archivi, ma il progressivo del nome %2 non "
                                          "può crescere tanto: sceglierne uno più basso.")
                               .arg(parts.size())
                               .arg(zipName);
            return result;
        }
        targets << QFileInfo(zipPath).dir().filePath(next);
    }
    for (const QString& target : std::as_const(targets)) {
        if (QFileInfo(target).isSymLink() || (QFileInfo::exists(target) && !replace)) {
            result.error =
                QStringLiteral("Il file %1 esiste già.").arg(QDir::toNativeSeparators(target));
            return result;
        }
    }

    QStringList work;
    const auto removeWork = [&] {
        for (const QString& w : std::as_const(work))
            QFile::remove(w);
    };
    for (int i = 0; i < parts.size(); ++i) {
        work << workName(targets[i], i);
        const QString why = writeZip(work.last(), parts[i]);
        if (!why.isEmpty()) {
            removeWork();
            result.error = QStringLiteral("Impossibile scrivere l'archivio %1: %2")
                               .arg(QDir::toNativeSeparators(targets[i]), why);
            return result;
        }
        if (QFileInfo(work.last()).size() > kMaxZipSize) {
            removeWork();
            result.error = QStringLiteral("L'archivio %1 supererebbe %2 byte.")
                               .arg(QDir::toNativeSeparators(targets[i]))
                               .arg(kMaxZipSize);
            return result;
        }
    }
    // Every ZIP is complete: each takes its name (a rename replaces a file there at once).
    for (int i = 0; i < parts.size(); ++i) {
        if (std::rename(QFile::encodeName(work[i]).constData(),
                        QFile::encodeName(targets[i]).constData()) != 0) {
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            for (int j = 0; j < i; ++j)
                QFile::remove(targets[j]);
            removeWork();
            result.error = QStringLiteral("Impossibile scrivere l'archivio %1: %2")
                               .arg(QDir::toNativeSeparators(targets[i]), why);
            return result;
        }
        result.archives << targets[i];
        QStringList inside;
        for (const Entry* e : std::as_const(parts[i]))
            inside << QString::fromUtf8(e->name);
        result.contents << inside;
    }
    return result;
}

} // namespace brevalto::portal
