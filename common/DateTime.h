#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// Date-times as the program stores them: days since 30 December 1899, the fraction is the time of day.
using TDateTime = double;

// Raises EConvertError for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
bool TryEncodeDate(int year, int month, int day, TDateTime &result);
void DecodeDate(TDateTime value, int &year, int &month, int &day);

QDate DateTimeToQDate(TDateTime value);
QTime DateTimeToQTime(TDateTime value);
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime QDateToDateTime(QDate date);
TDateTime QDateTimeToDateTime(const QDateTime &value);

// The local date and time now, and today's date.
TDateTime NowDateTime();
TDateTime TodayDate();
