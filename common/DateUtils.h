#pragma once

#include "common/DateTime.h"

#include <QString>

// The local date-time of a UTC date-time, through the system's time zone (TZ or /etc/localtime),
// daylight saving time included.
TDateTime UtcToLocalTime(TDateTime value);

// A UTC date stamp of the online services, "YYYY-MM-DD HH:NN:SS", as local time; 0 for an empty text.
// The fields are taken from their fixed places (the separators are not looked at).
// Raises EConvertError when a field is not a number or the date or time is impossible.
TDateTime UtcStampToLocalTime(const QString &text);
// The same fields as one date-time, without conversion (an empty text is an error here).
TDateTime ParseDateTimeStamp(const QString &text);
