#pragma once

#include "common/DateTime.h"
#include "online/CatalogueService.h"

#include <QString>
#include <QStringView>

// One row of a catalogue reply: the text between "<row>" and "</row>". Elements are read by name
// ("title" reads "<title>...</title>", the tag found without regard to case); their text is trimmed
// and taken out of double quotes. A missing element reads as empty; an opening tag without its
// closing tag raises Exception.
class TCatalogueRow {
public:
    TCatalogueRow() = default;
    explicit TCatalogueRow(QString text) : m_text(std::move(text)) {}

    const QString &text() const { return m_text; }

    QString element(QStringView name) const;
    // An integer; raises EConvertError when the element does not hold one.
    int integer(QStringView name) const;
    // An integer, or the default when the element does not hold one.
    int integerDef(QStringView name, int defaultValue) const;
    // A decimal number written with "."; the default when the element holds none.
    double decimal(QStringView name, double defaultValue) const;
    // A text sent as Base64 of UTF-8; raises EConvertError for text that is not Base64.
    QString base64Text(QStringView name) const;
    // A time "yyyy-mm-dd hh:mm:ss" read at its fixed places, as the service sends it: UTC.
    // 0 for an empty element; raises EConvertError for a bad one.
    TDateTime utcTime(QStringView name) const;

private:
    QString m_text;
};

// A reply of the catalogue service: the text between "<result>" and "</result>", cut into rows
// taken one after another.
//
//     TCatalogueReply reply(CataloguePost(path, fields));
//     TCatalogueRow row;
//     while (reply.next(row)) ...
class TCatalogueReply {
public:
    // Raises ECatalogueError when "<result>" has no "</result>" after it (a cut-off reply).
    explicit TCatalogueReply(const QString &reply);

    // True when the result holds no text at all (no "<result>", or nothing inside it).
    bool isEmpty() const { return m_empty; }

    // The next row; false when none is left. A row with a non-empty "<error>" element raises
    // ECatalogueError with that element's text (the rows before it were already given). A row
    // without its "</row>" raises ECatalogueError.
    bool next(TCatalogueRow &row);

private:
    QString m_rest;
    bool m_empty = true;
};

// A time of the service (UTC) as the lists show it: local time, "yyyy-mm-dd hh:mm:ss"; empty for 0.
QString CatalogueTimeText(TDateTime utc);
// The reverse: a local "yyyy-mm-dd hh:mm:ss" as UTC; 0 for an empty text; raises EConvertError.
TDateTime CatalogueTimeFromText(const QString &localText);
// The time now, UTC.
TDateTime CatalogueNowUtc();
