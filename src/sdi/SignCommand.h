#pragma once
// "brevalto sign" and the signing options that "brevalto export --sign" shares with it.
#include "sdi/Signer.h"

#include <QCommandLineOption>
#include <QList>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace brevalto {
class CommandParser;
}

namespace brevalto::sdi {

// The environment variable that gives the password or PIN to a run without a terminal.
inline constexpr char kSecretVariable[] = "BREVALTO_SIGN_PIN";

// --pkcs12 FILE, --pkcs11-module LIBRERIA, --token ETICHETTA.
QList<QCommandLineOption> signingKeyOptions();

// The key the parsed options name. A wrong combination returns the message of a wrong command
// line (the caller exits with 2); none of the options given leaves *key untouched and returns
// "Indicare la chiave di firma ...".
QString signingKeyFrom(const CommandParser& parser, SigningKey* key);

// The password or PIN: the environment variable when it is set, otherwise asked on the terminal
// without echo when standard input is one. nullopt (with the message printed on err) when neither.
std::optional<QString> commandLineSecret(const SigningKey& key, std::FILE* err);

// brevalto sign FILE.xml [--out FILE.xml.p7m] [--force] (--pkcs12 FILE | --pkcs11-module LIB
// --token LABEL): prints the path written and returns 0; a failed signature prints its message
// and returns 1; a wrong command line (or no way to get the password or PIN) returns 2.
int runSignCommand(const QStringList& args);
int runSignCommand(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace brevalto::sdi
