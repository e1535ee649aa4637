#pragma once

#include "common/RegularFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// The scenario of the main window: its lines in run order, one scenario line each (see
// lottery/ScenarioLine.h), an empty line being a separator. The list is kept in "Vendra.lss" in the
// program's folder and saved after every change; the user exchanges it as scenario files "*.lsc".
//
// Both files are plain text, one line per text line in list order, Windows-1251 with CR LF line ends,
// no header. A file is read whole and checked before the list changes: a file with a line that is not
// a scenario line (binary data, another kind of text) is refused as a whole, so a damaged file can never
// replace or extend the scenario. A line whose header names no known source of combinations is still a
// scenario line: it runs on the full set (FULL) and, when its stake choice is unknown too, with RAND;
// the player is told how many lines are read that way. Files are written through a temporary file
// that replaces the old one.
class TScenarioList : public QObject {
    Q_OBJECT
public:
    explicit TScenarioList(QObject *parent = nullptr);

    // ---- Lines ----
    int count() const { return static_cast<int>(m_lines.size()); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    const QStringList &lines() const { return m_lines; }
    // The line at the index; an index outside the list raises "Запись со индексом %d в файле данных не
    // найдена!".
    QString GetLine(int index) const;
    // Appends the line and saves the list; returns its index.
    int AddLine(const QString &text);
    // Appends the lines in order and saves the list once; returns the index of the first.
    int AddLines(const QStringList &lines);
    // Replaces the line and saves the list; an index outside the list raises as GetLine.
    void SetLine(int index, const QString &text);
    // Deletes the lines at the indexes (any order, repeats ignored) from the last to the first and saves.
    void DeleteLines(std::vector<int> indexes);
    // Empties the list and saves it.
    void Clear();
    // Swaps the lines at the indexes and saves; raises as GetLine for an index outside the list.
    void ExchangeLines(int a, int b);
    // Replaces every line (a scenario taken from elsewhere, already checked) and saves the list.
    void ReplaceLines(const QStringList &lines);

    // ---- Files ----
    // "Vendra.lss" in the program's folder.
    static QString ListFileName();

    // Reads a scenario file (the file's text as the program reads text files: UTF-8 when it is valid
    // UTF-8, Windows-1251 otherwise). Raises EInOutError with "Ошибка чтения файла "%s"!\r\r%s" when the
    // file cannot be read, is too large or holds a line that is not a scenario line.
    // unknownSources, when given, gets the number of lines whose header names no known source.
    static QStringList ReadScenarioFile(const QString &fileName, int *unknownSources = nullptr);
    // Writes the lines as a scenario file (a file the user named where its link leads, see
    // TNamedBy); raises EInOutError with "Ошибка записи в файл "%s"!\r\r%s".
    static void WriteScenarioFile(const QString &fileName, const QStringList &lines,
                                  TNamedBy namedBy = TNamedBy::User);

    // Loads a scenario file: without append the list becomes the file's lines; with append the file's
    // lines follow the list's, after a separator unless the list already ends with one (an empty list
    // is replaced, a file without lines adds nothing). A failure is shown as a message and leaves the
    // list as it was. Does not save the list. Returns true when the file was read.
    bool LoadScenarioFile(const QString &fileName, bool append);
    // Writes the list to the file (by default one the user named); a failure is shown as a message.
    // Returns true when written.
    bool SaveScenarioFile(const QString &fileName, TNamedBy namedBy = TNamedBy::User);
    // Start-up: loads "Vendra.lss" when it exists (no file means an empty scenario and no message).
    void LoadScenarioList();
    // Writes the list to "Vendra.lss".
    bool SaveScenarioList();

    // The file name given to a copy of a "Vendra.lss" that could not be read, made before the list is
    // first saved over it; empty when no copy was needed (or none made yet).
    const QString &heldListCopy() const { return m_heldCopy; }

signals:
    // The lines changed (the view follows).
    void linesChanged();

private:
    void changed();

    QStringList m_lines;
    // "Vendra.lss" exists but could not be read at start-up: keep a copy before overwriting it.
    bool m_holdListFile = false;
    QString m_heldCopy;
};

// ---- The text of scenario files and of the clipboard ----

// True for a separator: a line with nothing but blanks.
bool IsScenarioSeparator(const QString &line);
// True when the line can stand in a scenario: a separator, or a line without control characters whose
// header begins with a source keyword (FULL, EXCL, CURR, letters in any case) or that has the fields
// of a scenario line ("|") with an unknown source.
bool IsScenarioLineText(const QString &line);
// True for a scenario line (not a separator) whose header begins with no known source keyword.
bool HasUnknownScenarioSource(const QString &line);
// The line as it is kept: characters with no Windows-1251 form become "?" (as the file will hold them)
// and control characters, line breaks among them, become blanks.
QString NormalizeScenarioLine(const QString &line);

// The lines of a text: CR LF, LF and a lone CR all end a line; an end at the very end of the text
// opens no further line.
QStringList SplitScenarioText(const QString &text);
// The lines as a scenario file holds them: each line followed by CR LF, in Windows-1251.
QByteArray ScenarioFileBytes(const QStringList &lines);
// The lines of a text taken from a file or the clipboard, each kept as NormalizeScenarioLine gives it.
// Raises EConvertError naming the first line (from 1) that is not a scenario line. unknownSources, when
// given, gets the number of lines whose header names no known source.
QStringList ParseScenarioText(const QString &text, int *unknownSources = nullptr);
