#pragma once
// Where an archive lives: a file path (an SQLite archive) or the address of a PostgreSQL database
// in libpq's URI form, e.g. postgresql://ufficio@server:5432/brevalto or, for a server on this
// machine reached through its socket folder,
// postgresql://ufficio@%2Fvar%2Frun%2Fpostgresql/brevalto.
//
// Passwords are never kept with the address: libpq reads them from ~/.pgpass or PGPASSWORD.
#include <QList>
#include <QPair>
#include <QString>

namespace brevalto {

// True for a text that starts with postgresql:// or postgres:// (any letter case, blanks around
// ignored): such a location is a server archive, anything else a file path.
bool isServerAddress(const QString& location);

struct ServerAddress {
    QString host; // a name, an address or a socket folder (starting with "/"); empty: the default
    int port = 0; // 0: the default
    QString user;
    QString password; // only when the address carried one (never stored by the program)
    QString database;
    QList<QPair<QString, QString>> options; // the parameters after "?", e.g. sslmode=require
    // The address as it may be shown and stored: without the password.
    QString text;
};

// Reads a postgresql:// address, its parts and parameters percent-decoded once. Throws DbError
// with an Italian message naming what is wrong (no database name, a port that is not a number, a
// malformed percent code, a parameter the program does not pass on, a parameter value holding a
// blank, "=", ";", a quote or a backslash); the message shows the address without its password.
ServerAddress parseServerAddress(const QString& location);

// The location without a password, fit to show and to write to percorsoPa.txt: a server address
// written again from its parts (so that no spelling of the password survives), or, when it cannot
// be read, with the user part cut at its ":" and only the known parameters kept. A file path is
// returned unchanged.
QString locationWithoutPassword(const QString& location);

} // namespace brevalto
