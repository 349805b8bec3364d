#include "RenderTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brevalto::test {

int run(const QString& program, const QStringList& args, QByteArray* out) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << program.toStdString() << " is missing: scripts/setup installs it";
        return -1;
    }
    process.waitForFinished(60000);
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitCode();
}

namespace {

QString writeTemp(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("doc.pdf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

QStringList pdfPages(const QByteArray& pdf) {
    QTemporaryDir dir;
    QByteArray text;
    EXPECT_EQ(run(QStringLiteral("pdftotext"),
                  {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                   writeTemp(dir, pdf), QStringLiteral("-")},
                  &text),
              0);
    QStringList pages = QString::fromUtf8(text).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // Compatibility forms: the ligature "ﬁ" reads as "fi".
    for (QString& page : pages)
        page = page.normalized(QString::NormalizationForm_KC)
                   .replace(blanks, QStringLiteral(" "))
                   .trimmed();
    return pages;
}

QList<PdfWord> pdfWords(const QByteArray& pdf) {
    QTemporaryDir dir;
    QByteArray html;
    EXPECT_EQ(run(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), writeTemp(dir, pdf), QStringLiteral("-")}, &html),
              0);
    QList<PdfWord> words;
    static const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\""));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" "
                       "yMax=\"[0-9.]+\">([^<]*)</word>"));
    double width = 0;
    for (const QString& line : QString::fromUtf8(html).split(QLatin1Char('\n'))) {
        if (const auto m = page.match(line); m.hasMatch())
            width = m.captured(1).toDouble();
        if (const auto m = word.match(line); m.hasMatch())
            words.append({m.captured(2), m.captured(1).toDouble(), width});
    }
    return words;
}

QByteArray sample(const QString& name) {
    QFile file(QStringLiteral(BREVALTO_SOURCE_DIR "/../shared/fatturapa/samples/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace brevalto::test
