#pragma once
// Amount texts of the grids: "0.00" (at least one integer digit, exactly two
// decimals, no grouping, a leading minus sign), ties rounded away from zero
// on the decimal value, never on the binary double (1.005 gives 1.01,
// -2.675 gives -2.68). Sums are formed from the displayed texts.

#include <QString>

namespace nbr {

// Rounds a decimal text ("1234.5000", "-2.675", "1e-05") to "0.00".
// Text that is not a number gives an empty text.
QString formatAmount(const QString& decimalText);
// A double through its shortest decimal form of 15 significant digits.
QString formatAmount(double value);
// The numeric value of an amount text; an empty or unreadable text is 0.
double amountValue(const QString& text);

} // namespace nbr
