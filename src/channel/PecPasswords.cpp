#include "channel/PecPasswords.h"

#include "store/Prompt.h"

#include <QHash>
#include <QMutex>

namespace brevalto::channel {

namespace {

QMutex& lock() {
    static QMutex mutex;
    return mutex;
}

QHash<QString, QString>& kept() {
    static QHash<QString, QString> passwords;
    return passwords;
}

} // namespace

std::optional<QString> pecPassword(const PecAccountSettings& account,
                                   const PasswordSource& source) {
    {
        QMutexLocker locker(&lock());
        const auto found = kept().constFind(account.passwordKey());
        if (found != kept().constEnd())
            return *found;
    }
    if (!source)
        return std::nullopt;
    std::optional<QString> given = source(account);
    if (!given)
        return std::nullopt;
    QMutexLocker locker(&lock());
    kept().insert(account.passwordKey(), *given);
    return given;
}

void forgetPecPassword(const PecAccountSettings& account) {
    QMutexLocker locker(&lock());
    kept().remove(account.passwordKey());
}

void forgetAllPecPasswords() {
    QMutexLocker locker(&lock());
    kept().clear();
}

std::optional<QString> askPecPasswordWithPrompt(const PecAccountSettings& account) {
    bool ok = false;
    const QString password = prompt().text(
        QStringLiteral("Password PEC"),
        QStringLiteral("Password della casella %1 (resta in memoria fino alla chiusura del "
                       "programma, non viene salvata):")
            .arg(account.address.trimmed()),
        true, &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

} // namespace brevalto::channel
