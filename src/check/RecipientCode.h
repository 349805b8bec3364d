#pragma once
// The exchange system delivers an invoice by its recipient code: an office of a public
// administration has a code of 6 characters, every other recipient a channel code of 7 ("0000000"
// for one who receives by certified mail or is not accredited). The screens refuse a code of the
// wrong length; the check on a file reports a code of the other kind of recipient.
#include <QList>
#include <QString>

namespace brevalto {

inline int recipientCodeLength(bool publicAdministration) {
    return publicAdministration ? 6 : 7;
}

// The code has the length of the other kind of recipient (7 characters for an administration, 6
// for anyone else), counted in characters.
inline bool isOtherKindOfRecipientCode(bool publicAdministration, const QString& code) {
    return code.toUcs4().size() == recipientCodeLength(!publicAdministration);
}

} // namespace brevalto
