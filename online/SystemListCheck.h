#pragma once

#include <QString>
#include <QStringList>

// The check of a system's lines as they are typed or pasted: every non-empty line with exactly
// six words (split as system lines are) is rewritten as its six positions "%.2d" separated by one
// blank; empty lines and lines of another length go. The positions of a line must be different
// numbers from 1 on; the count of numbers is the largest position.
struct TSystemListCheck {
    QStringList lines;  // the lines as rewritten
    int nums = 0;       // the largest position (0 for no line)
    int csize = 0;      // the number of lines
    QString error;      // why the list is refused, naming its line; empty when it is not
    int errorLine = -1; // that line (0-based, in the text as given)

    bool ok() const { return error.isEmpty(); }
};

TSystemListCheck CheckSystemList(const QString &text);
