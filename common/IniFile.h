#pragma once

#include "common/RegularFile.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// An ini file held in memory and written whole: sections and keys keep their order and are found
// without regard to case, by hash, so that loading and looking up take time in proportion to the
// file. Where a key stands twice in a section (or in two sections of one name) the first one counts.
// Bad values read as the caller's default. Reading a damaged file never fails: lines that are neither
// a section nor a key are skipped.
class IniFile {
public:
    IniFile() = default;
    // Loads the file when it exists; a missing file gives an empty ini. A file that exists but cannot
    // be read also gives an empty ini, marked unreadable: it is never written over, so the settings
    // in it are not lost.
    // The file is read only when it is a regular file of at most maxBytes (see ReadRegularFile).
    explicit IniFile(const QString &fileName, qint64 maxBytes = -1);
    ~IniFile();
    IniFile(const IniFile &) = default;
    IniFile &operator=(const IniFile &) = default;
    IniFile(IniFile &&) = default;
    IniFile &operator=(IniFile &&) = default;

    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // Replaces the contents with the text of an ini file.
    void setText(const QString &text);
    // The ini file's text, CRLF line ends.
    QString text() const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    double readFloat(const QString &section, const QString &key, double defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeFloat(const QString &section, const QString &key, double value);

    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;
    QStringList readSections() const;
    QStringList readSection(const QString &section) const;   // key names
    QStringList readSectionValues(const QString &section) const; // "key=value"
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);
    void clear();

    // The file exists but could not be read; readError() says why. A caller that asks takes it on to
    // report the failure; when nobody asks, the failure is left to the program to show
    // (DeferFileReadFailure) as the object goes.
    bool unreadable() const;
    const QString &readError() const { return m_readError; }

    // Writes the whole file atomically in Windows-1251; raises EInOutError on failure, and when the
    // file was unreadable.
    void updateFile() const;
    // Restricts the written file to its owner (for files that hold passwords).
    void setOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }
    // A file the user named is written where a link of that name leads (see TNamedBy).
    void setNamedBy(TNamedBy namedBy) { m_namedBy = namedBy; }

private:
    friend class TIniFileRun;
    // Keeps this file's text as the copy of the run, when the run holds its name.
    void keepForRun() const;

    struct Entry {
        QString key;
        QString value;
        QString folded; // the key without regard to case
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, size_t> index; // folded key -> entry, once the section has many keys
    };
    // The entry of the folded key in the section, -1 when it has none.
    static qsizetype position(const Section &section, const QString &foldedKey);
    static void append(Section &section, Entry entry);

    const Section *findSection(const QString &name) const;
    Section *findSection(const QString &name);
    Section &sectionFor(const QString &name);
    const Entry *findEntry(const QString &section, const QString &key) const;
    static void reindex(Section &section);
    void reindexSections();

    QString m_fileName;
    std::vector<Section> m_sections;
    QHash<QString, size_t> m_sectionIndex; // folded name -> section
    QString m_readError;
    mutable bool m_readErrorTaken = false;
    bool m_ownerOnly = false;
    TNamedBy m_namedBy = TNamedBy::Program;
};

// The program's run: it holds the data folder alone, so no one else writes its settings files meanwhile.
// While a TIniFileRun lives, each of its files is read from the disk once: every IniFile of that name
// starts from the copy kept in memory, and every updateFile() writes both (user-interface thread only).
class TIniFileRun {
public:
    explicit TIniFileRun(const QStringList &fileNames);
    ~TIniFileRun();
    TIniFileRun(const TIniFileRun &) = delete;
    TIniFileRun &operator=(const TIniFileRun &) = delete;
};
