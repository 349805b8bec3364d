#pragma once
// The signing key chosen on this workstation (kind, file or module, token label), kept in the
// user's settings of this computer: a card reader or a certificate file belongs to a desk, not
// to the shared archive. A password or PIN is never kept.
#include "sdi/Signer.h"

class QSettings;

namespace brevalto::sdi {

// The key last chosen; an empty PKCS#12 key when none was.
SigningKey loadSigningKey(QSettings& settings);
void saveSigningKey(QSettings& settings, const SigningKey& key);

// The same in the program's own settings of this user on this computer.
SigningKey loadSigningKey();
void saveSigningKey(const SigningKey& key);

} // namespace brevalto::sdi
