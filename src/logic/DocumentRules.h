#pragma once
// The save rules of a Document's rows, in order, as functions over the row's values: its
// transmission data, a body with its carrier and delivery, the body's sections and the lines. The
// screens show the first message that fails and focus its field; the command line and the import
// of invoice files run the same lists.
#include "logic/RowRules.h"

#include <functional>

namespace brevalto {

// The Document's transmission data: progressive number, transmitter's tax code and country.
QList<RowRule> transmissionRules();
// A body: its general data, then its carrier, delivery address, main invoice and vehicle blocks,
// each while it is included.
QList<RowRule> bodyRules();

// A discount or surcharge, of the body or of a line: a type, and a percentage or an amount.
QList<RowRule> discountRules();
// A pension-fund row. A nature given with a non-zero rate is no failure: the screen clears it.
QList<RowRule> pensionFundRules();
// A reason of the body.
QList<RowRule> causaleRules();
// A withholding row; knownReason says whether a payment reason is one of the archive's codes.
QList<RowRule> withholdingRules(std::function<bool(const QString&)> knownReason);
// An attachment: a name, and a path to a file that exists.
QList<RowRule> attachmentRules();
// A VAT summary.
QList<RowRule> summaryRules();

// A referred document (an order, a contract, an agreement, a reception or an invoice), one of its
// line numbers, a transport document and a stage of work (SAL).
QList<RowRule> referredDocumentRules();
QList<RowRule> referredLineRules();
QList<RowRule> ddtRules();
QList<RowRule> salRules();

// A payment term, and one of its instalments.
QList<RowRule> paymentRules();
QList<RowRule> instalmentRules();

// A line. A nature given with a non-zero rate is no failure: the screen offers to clear it.
QList<RowRule> lineRules();
// A line's article code, and a line's other data.
QList<RowRule> lineCodeRules();
QList<RowRule> lineOtherDataRules();

} // namespace brevalto
