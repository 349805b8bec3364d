#pragma once
// Validation against the official FatturaPA 1.2.3 schema with libxml2. The schema and the W3C
// signature schema it imports are compiled into the program; the import's absolute URL is
// answered from that copy and every other outside resource is refused, so validation never
// touches the network or the disk.
#include "check/Finding.h"

#include <libxml/tree.h>

namespace brevalto::check {

// Schema errors of a parsed document as 00200 findings (the first 50, then one 00201, as the SdI
// stops there too), each with the line, the element path and an Italian sentence.
Findings validateSchema(xmlDoc* doc);

// The Italian sentence for one of libxml2's schema messages ("Element 'X': This element is not
// expected. Expected is ( Y )."): the common cases are put in plain words, any other is given
// as it is after "Non conforme allo schema:".
QString schemaMessageInItalian(const QString& libxmlMessage);

} // namespace brevalto::check
