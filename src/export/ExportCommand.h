#pragma once
#include "check/Finding.h"

#include <QStringList>
#include <cstdio>

namespace brevalto {

class DataModule;

// Opens the archive at path for a headless command, refusing an unusable one (one of another
// version included), and puts TablePA_FE_Header on the Document numbered numberText with its
// bodies loaded. readOnly: the command only reads (an archive the user cannot write will do).
// Returns the message to print when that fails (empty on success). Throws nothing.
QString openDocument(DataModule& data, const QString& path, const QString& numberText,
                     bool readOnly = false);

// True when both paths name one existing file (through links and relative paths too).
bool sameFile(const QString& a, const QString& b);

// One line "FILE<TAB>CODE<TAB>ELEMENT<TAB>MESSAGE" per finding (tabs and line breaks inside the
// message become blanks).
void printFindings(std::FILE* out, const QString& file, const check::Findings& findings);

// brevalto export --archive PATH --document NUMERO [--out FILE] [--force] [--no-check]
//                [--sign (--pkcs12 FILE | --pkcs11-module LIB --token LABEL)]
// Exports one document without any window, through the same code as the screen. args are the
// words after "export". Prints the path written and returns 0; on any abort or error prints the
// message and returns 1 (2 for a wrong command line). The file is checked first: with findings
// they are printed (one "FILE<TAB>CODE<TAB>ELEMENT<TAB>MESSAGE" line each) and nothing is
// written, unless --no-check is given. With --sign the file is also signed (FILE.p7m beside it,
// also printed); a failed signature writes nothing.
int runExportCommand(const QStringList& args);
// The same, printing to the given streams.
int runExportCommand(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace brevalto
