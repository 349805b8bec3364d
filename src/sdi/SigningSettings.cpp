#include "sdi/SigningSettings.h"

#include <QSettings>
#include <memory>

namespace brevalto::sdi {

namespace {

const QString kKind = QStringLiteral("firma/tipo");
const QString kFile = QStringLiteral("firma/file");
const QString kModule = QStringLiteral("firma/modulo");
const QString kToken = QStringLiteral("firma/carta");

// Brevalto.ini in the user's configuration folder (~/.config/Brevalto).
std::unique_ptr<QSettings> programSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Brevalto"), QStringLiteral("Brevalto"));
}

} // namespace

SigningKey loadSigningKey(QSettings& settings) {
    SigningKey key;
    key.kind = settings.value(kKind).toString() == QLatin1String("pkcs11")
                   ? SigningKey::Kind::Pkcs11
                   : SigningKey::Kind::Pkcs12;
    key.file = settings.value(kFile).toString();
    key.module = settings.value(kModule).toString();
    key.token = settings.value(kToken).toString();
    return key;
}

void saveSigningKey(QSettings& settings, const SigningKey& key) {
    settings.setValue(kKind, key.kind == SigningKey::Kind::Pkcs11 ? QStringLiteral("pkcs11")
                                                                  : QStringLiteral("pkcs12"));
    settings.setValue(kFile, key.file);
    settings.setValue(kModule, key.module);
    settings.setValue(kToken, key.token);
    settings.sync();
}

SigningKey loadSigningKey() {
    return loadSigningKey(*programSettings());
}

void saveSigningKey(const SigningKey& key) {
    saveSigningKey(*programSettings(), key);
}

} // namespace brevalto::sdi
