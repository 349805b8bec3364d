#pragma once
// The passwords of certified-mail boxes, kept in this process's memory for the rest of the
// program run and never written anywhere: not in the archive, not in a settings file. A desktop
// without a keyring service (and every CI machine) works the same way: the password is asked the
// first time it is needed in a run. A password the server refuses is forgotten, so that the next
// attempt asks again.
#include "channel/PecAccounts.h"

#include <QString>
#include <functional>
#include <optional>

namespace brevalto::channel {

// How a password is obtained when none is kept: asked through the prompt seam on the desktop,
// read from BREVALTO_PEC_PASSWORD or the terminal on the command line. nullopt: the user
// declined.
using PasswordSource = std::function<std::optional<QString>(const PecAccountSettings&)>;

// The password kept for the account, or the one the source gives (then kept).
std::optional<QString> pecPassword(const PecAccountSettings& account, const PasswordSource& source);
void forgetPecPassword(const PecAccountSettings& account);
void forgetAllPecPasswords();

// The desktop's source: a masked entry through prompt().text().
std::optional<QString> askPecPasswordWithPrompt(const PecAccountSettings& account);

// The environment variable the command line reads the password from.
inline constexpr char kPecPasswordVariable[] = "BREVALTO_PEC_PASSWORD";

} // namespace brevalto::channel
