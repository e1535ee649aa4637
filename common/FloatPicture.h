#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// A float formatted by a picture such as ",0.00" or "#,##0.000":
//   "0" a digit that always shows, "#" a digit that shows when it counts, "." the place of the
//   decimal separator, "," anywhere before it groups thousands; other characters before and after
//   the placeholders are copied. Up to three sections split by ";" are the pictures for positive,
//   negative (shown without a minus sign of its own) and zero values.
// The separators are the locale's. Halves round away from zero.
QString FormatFloatPicture(double value, QStringView picture, const QLocale &locale = QLocale());

// The general float text: up to 15 significant digits, the locale's decimal separator.
QString FloatToGeneralText(double value, const QLocale &locale = QLocale());
