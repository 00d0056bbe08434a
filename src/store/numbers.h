#pragma once

#include <QString>
#include <QVariant>

namespace tarnvel {

// Text of a number as it goes into a statement or a list cell: 15
// significant digits, or up to 17 where fewer would not read back as the
// very same number, exponent form where the value needs it (1E-08), always
// a decimal point. An empty text becomes one blank. A value that is not a
// finite number becomes NULL, so that no statement is spoilt by it and the
// store keeps an empty value instead of an infinity.
QString SqlNum(double value);
QString SqlNum(const QString &text);
QString SqlNum(const QVariant &value);

// The text printf's "%.<precision>G" writes in the C locale (1.5, 1E-08,
// INF), made without printf: numbers are written by the ten thousand.
QString formatG(double value, int precision);

// The number the text SqlNum writes reads back as: what the store keeps of a
// value a statement carried (15 significant digits). Not finite: unchanged.
double storedNumber(double value);

// The leading decimal number of a text ("38 ID" -> 38, " 2.5e3x" -> 2500):
// leading blanks skipped, point as decimal separator, optional exponent.
// A text that does not start with a number reads as 0.
double leadingNumber(const QString &text);

// A number typed by the user into an editor or a dialog field: a comma is a
// point, the leading number counts, and text that is no usable number
// (nothing numeric, or beyond the range of numbers) reads as 0.
double typedNumber(const QString &text);

// Rounding with halves going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
double roundHalfEven(double value, int places);
int wholeNumber(double value);

} // namespace tarnvel
