#include "sdi/SignCommand.h"

#include "store/CommandParser.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace brevalto::sdi {

namespace {

const QString kPkcs12 = QStringLiteral("pkcs12");
const QString kModule = QStringLiteral("pkcs11-module");
const QString kToken = QStringLiteral("token");

CommandSyntax signSyntax() {
    QList<QCommandLineOption> options = {
        {QStringLiteral("out"),
         QStringLiteral("il file firmato da scrivere (se manca: FILE.xml.p7m accanto al file)"),
         QStringLiteral("FILE")},
        {QStringLiteral("force"), QStringLiteral("sostituisce un file firmato già esistente")},
    };
    options << signingKeyOptions();
    return {
        .name = QStringLiteral("sign"),
        .synopsis = QStringLiteral("FILE.xml [--out FILE.xml.p7m] [--force] "
                                   "(--pkcs12 FILE | --pkcs11-module LIBRERIA --token ETICHETTA)"),
        .description = QStringLiteral(
            "Firma il file con firma CAdES (.p7m), con il certificato di un file PKCS#12\n"
            "(.pfx, .p12) o con la carta di firma tramite il suo modulo PKCS#11. La password o\n"
            "il PIN si leggono dalla variabile d'ambiente BREVALTO_SIGN_PIN; se manca, vengono\n"
            "chiesti senza mostrarli quando c'è un terminale. Se la firma non riesce non\n"
            "scrive nulla. Stampa il percorso del file firmato."),
        .options = options,
        .positionalName = QStringLiteral("FILE.xml"),
        .positionalHelp = QStringLiteral("il file da firmare"),
    };
}

} // namespace

QList<QCommandLineOption> signingKeyOptions() {
    return {
        {kPkcs12, QStringLiteral("firma con il certificato di questo file PKCS#12 (.pfx, .p12)"),
         QStringLiteral("FILE")},
        {kModule,
         QStringLiteral("firma con la carta raggiunta da questo modulo PKCS#11 (per le carte CNS "
                        "più comuni /usr/lib/x86_64-linux-gnu/opensc-pkcs11.so)"),
         QStringLiteral("LIBRERIA")},
        {kToken, QStringLiteral("l'etichetta della carta con cui firmare"),
         QStringLiteral("ETICHETTA")},
    };
}

QString signingKeyFrom(const CommandParser& parser, SigningKey* key) {
    const bool file = parser.isSet(kPkcs12);
    const bool module = parser.isSet(kModule);
    const bool token = parser.isSet(kToken);
    if (file && (module || token))
        return QStringLiteral("Indicare --pkcs12 oppure --pkcs11-module con --token, non "
                              "entrambi.");
    if (file) {
        if (parser.value(kPkcs12).trimmed().isEmpty())
            return QStringLiteral("Indicare il file del certificato con --pkcs12.");
        *key = {.kind = SigningKey::Kind::Pkcs12, .file = parser.value(kPkcs12)};
        return QString();
    }
    if (module || token) {
        if (!module || parser.value(kModule).trimmed().isEmpty())
            return QStringLiteral("Indicare il modulo PKCS#11 della carta con --pkcs11-module.");
        if (!token || parser.value(kToken).trimmed().isEmpty())
            return QStringLiteral("Indicare l'etichetta della carta con --token.");
        *key = {.kind = SigningKey::Kind::Pkcs11,
                .module = parser.value(kModule),
                .token = parser.value(kToken)};
        return QString();
    }
    return QStringLiteral("Indicare la chiave di firma: --pkcs12 FILE oppure --pkcs11-module "
                          "LIBRERIA --token ETICHETTA.");
}

std::optional<QString> commandLineSecret(const SigningKey& key, std::FILE* err) {
    if (qEnvironmentVariableIsSet(kSecretVariable))
        return qEnvironmentVariable(kSecretVariable);
    if (isatty(STDIN_FILENO)) {
        const QString question =
            key.kind == SigningKey::Kind::Pkcs12
                ? QStringLiteral("Password del certificato %1")
                      .arg(QDir::toNativeSeparators(key.file))
                : QStringLiteral("PIN della carta «%1»").arg(key.token.trimmed());
        if (auto secret = askWithoutEcho(question, err))
            return secret;
    }
    printLine(err, QStringLiteral("Indicare %1 nella variabile d'ambiente %2: non c'è un "
                                  "terminale da cui chiederlo.")
                       .arg(key.kind == SigningKey::Kind::Pkcs12
                                ? QStringLiteral("la password del certificato")
                                : QStringLiteral("il PIN della carta"),
                            QString::fromLatin1(kSecretVariable)));
    return std::nullopt;
}

int runSignCommand(const QStringList& args) {
    return runSignCommand(args, stdout, stderr);
}

int runSignCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
    const auto app = coreApplicationIfNone();
    CommandParser parser(signSyntax());
    const int parsed = parser.parse(args, out, err);
    if (parsed >= 0)
        return parsed;
    if (const int wrong =
            parser.requireFiles(err, QStringLiteral("Indicare il file da firmare."), 1,
                                QStringLiteral("Indicare un solo file da firmare."));
        wrong >= 0)
        return wrong;
    if (parser.isSet(QStringLiteral("out")) &&
        parser.value(QStringLiteral("out")).trimmed().isEmpty())
        return parser.fail(err, QStringLiteral("Indicare il file firmato da scrivere con --out."));
    SigningKey key;
    const QString wrongKey = signingKeyFrom(parser, &key);
    if (!wrongKey.isEmpty())
        return parser.fail(err, wrongKey);

    const QString in = parser.positionalArguments().constFirst();
    const QString target = parser.isSet(QStringLiteral("out")) ? parser.value(QStringLiteral("out"))
                                                               : signedFileName(in);
    const QString shownTarget = QDir::toNativeSeparators(target);
    if (!QFileInfo(in).isFile()) {
        printLine(
            err,
            QStringLiteral("Il file da firmare %1 non esiste.").arg(QDir::toNativeSeparators(in)));
        return 1;
    }
    if (QFileInfo(target).isDir()) {
        printLine(err, QStringLiteral("%1 è una cartella: indicare il nome del file da scrivere.")
                           .arg(shownTarget));
        return 1;
    }
    if (QFileInfo::exists(target) && !parser.isSet(QStringLiteral("force"))) {
        printLine(err, QStringLiteral("Il file %1 esiste già: usare --force per sostituirlo.")
                           .arg(shownTarget));
        return 1;
    }
    const std::optional<QString> secret = commandLineSecret(key, err);
    if (!secret)
        return 2;
    const SignResult result = signFile(in, target, key, *secret);
    if (!result.ok()) {
        printLine(err, escapedControls(result.message));
        return 1;
    }
    printLine(out, QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()));
    return 0;
}

} // namespace brevalto::sdi
