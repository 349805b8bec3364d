#pragma once
// Validation against the official FatturaPA 1.2.3 schema with libxml2. The schema and the W3C
// signature schema it imports are compiled into the program; the import's absolute URL is
// answered from that copy and every other outside resource is refused, so validation never
// touches the network or the disk.
#include "check/Finding.h"

#include <libxml/xmlschemas.h>

namespace brevalto::check {

// The compiled schema, built once per process; null when the program lacks it.
xmlSchemaPtr officialSchema();

// Compiles a schema compiled into the program (a resource path). Its import of the XML signature
// schema, by whatever address, is answered from the compiled-in copy and every other outside
// resource is refused: compiling never reads the disk or the network. Null when the resource is
// missing or does not compile. The caller keeps the result for the program's life.
xmlSchemaPtr compileBundledSchema(const char* resourcePath);

// Schema errors are reported up to this many (00200), then one 00201 says how many there were,
// as the SdI stops there too.
constexpr int kMaxSchemaErrors = 50;

// The 00200 finding of one of libxml2's schema messages about an element at a line of the file
// (0: unknown), in Italian; its element path is left to the caller.
Finding schemaFinding(int line, const QString& libxmlMessage);
// The 00201 finding after count schema errors.
Finding tooManySchemaErrors(int count);
// The finding when the schema is not in the program.
Finding schemaMissing();

// The Italian sentence for one of libxml2's schema messages ("Element 'X': This element is not
// expected. Expected is ( Y )."): the common cases are put in plain words, any other is given
// as it is after "Non conforme allo schema:".
QString schemaMessageInItalian(const QString& libxmlMessage);

} // namespace brevalto::check
