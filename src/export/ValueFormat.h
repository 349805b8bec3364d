#pragma once
// The text forms the invoice file gives to archive values: amounts and rates, integers, dates,
// date-times and codes. Pure functions: no dataset, no state, no locale.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace brevalto {

// A real as decimal text: 15 significant digits (fixed notation from 0.00001 up to 15 integer
// digits, exponent notation outside), "." as the point, at least two decimals, then cut (never
// rounded) to maxLength characters without leaving a final point. Zero gives "0.00".
QString FormatDecimal(double value, int maxLength);

// FormatDecimal for an element of the invoice file, whose schema type admits a fixed number of
// decimals: two for rates, weights and two-decimal amounts (maximum lengths up to 15), eight for
// quantities, prices and eight-decimal amounts (21). Decimals past that are cut off, as the
// length rule cuts, and a value too small for fixed notation is written in fixed notation too
// ("0.00" for a two-decimal field), so that every number written is one the schema accepts.
QString FormatSchemaDecimal(double value, int maxLength);

// An integer as decimal text, cut to its first maxLength characters. Zero gives "0".
QString FormatInteger(qint64 value, int maxLength);

// The text left-padded with "0" to five characters; longer texts come back unchanged.
QString PadProgressive(const QString& text);

// Every occurrence of search replaced from left to right, never rescanning what was inserted.
// An empty text or an empty search gives the empty text.
QString ReplaceAll(const QString& text, const QString& search, const QString& replacement);

// The day an archive date counts from: what a null date reads as.
QDate archiveDayZero();

// yyyy-MM-dd of a date (the date part of a date-time). A null value reads as 1899-12-30.
QString FormatDate(const QVariant& value);
// yyyy-MM-ddTHH:mm:ss of a date-time (a plain date is taken at midnight). Null reads as day zero.
QString FormatDateTime(const QVariant& value);

// Every letter in its upper-case form, accented letters included.
QString UpperCase(const QString& text);

} // namespace brevalto

namespace brevalto {

// The number types of the invoice schema and what they hold: Amount2 "-?d{1,11}.dd", Amount8
// "-?d{1,11}.d{2,8}", Quantity "d{1,12}.d{2,8}", Rate "ddd.dd" up to 100.00, Weight
// "d{1,4}.d{1,2}".
enum class SchemaDecimal { Amount2, Amount8, Quantity, Rate, Weight };

// The checked texts of stored values for the invoice file. Archives are also edited by other
// tools and by update scripts, so a stored value is not trusted: a text where a number belongs,
// an infinite or not-a-number value, a number the schema type cannot hold, a fraction where an
// integer belongs or a date that is not a date gives an empty result and *problem says why (in
// Italian, for the user). Null reads as zero (numbers) or as day zero (dates), as the plain
// formatting does.
QString SchemaDecimalText(const QVariant& value, SchemaDecimal type, QString* problem);
QString SchemaIntegerText(const QVariant& value, qint64 minimum, qint64 maximum, QString* problem);
QString SchemaDateText(const QVariant& value, QString* problem);
QString SchemaDateTimeText(const QVariant& value, QString* problem);

} // namespace brevalto
