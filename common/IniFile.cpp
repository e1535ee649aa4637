#include "common/IniFile.h"

#include "common/AtomicFile.h"
#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/TextUtils.h"

#include <QFile>

IniFile::IniFile(const QString &fileName) : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readError = file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_readError = file.errorString();
        return;
    }
    setText(DecodeTextFile(bytes));
}

void IniFile::setText(const QString &text)
{
    m_sections.clear();
    Section *current = nullptr;
    const QStringList lines = QString(text).replace(u'\r', u'\n').split(u'\n');
    for (const QString &raw : lines) {
        const QString line = TrimControl(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = &sectionFor(line.mid(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        bool replaced = false;
        for (Entry &e : current->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                e.value = value;
                replaced = true;
                break;
            }
        if (!replaced)
            current->entries.push_back({key, value});
    }
}

QString IniFile::text() const
{
    QString out;
    for (const Section &s : m_sections) {
        out += u'[' + s.name + u"]\r\n";
        for (const Entry &e : s.entries)
            out += e.key + u'=' + e.value + u"\r\n";
        out += u"\r\n";
    }
    return out;
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    for (const Section &s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

IniFile::Section &IniFile::sectionFor(const QString &name)
{
    for (Section &s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return s;
    m_sections.push_back({name, {}});
    return m_sections.back();
}

const IniFile::Entry *IniFile::findEntry(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    for (const Entry &e : s->entries)
        if (e.key.compare(key, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Entry *e = findEntry(section, key);
    return e ? e->value : defaultValue;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const Entry *e = findEntry(section, key);
    if (!e)
        return defaultValue;
    const QString v = e->value.trimmed();
    bool ok = false;
    if (v.startsWith(u'$') || v.startsWith(u"0x", Qt::CaseInsensitive)) {
        const qsizetype skip = v.startsWith(u'$') ? 1 : 2;
        const qlonglong hex = v.mid(skip).toLongLong(&ok, 16);
        return ok && hex >= 0 && hex <= 0xFFFFFFFFLL ? static_cast<int>(static_cast<uint32_t>(hex)) : defaultValue;
    }
    return TextToIntDef(v, defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniFile::readFloat(const QString &section, const QString &key, double defaultValue) const
{
    const Entry *e = findEntry(section, key);
    return e ? DotTextToFloatDef(e->value, defaultValue) : defaultValue;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // A line break inside a value would split the line on reading: keep values on one line.
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    Section &s = sectionFor(section);
    for (Entry &e : s.entries)
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = clean;
            return;
        }
    s.entries.push_back({key, clean});
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, BoolToDigit(value));
}

void IniFile::writeFloat(const QString &section, const QString &key, double value)
{
    writeString(section, key, FloatToDotText(value));
}

bool IniFile::sectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    return findEntry(section, key) != nullptr;
}

QStringList IniFile::readSections() const
{
    QStringList out;
    for (const Section &s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::readSection(const QString &section) const
{
    QStringList out;
    if (const Section *s = findSection(section))
        for (const Entry &e : s->entries)
            out << e.key;
    return out;
}

QStringList IniFile::readSectionValues(const QString &section) const
{
    QStringList out;
    if (const Section *s = findSection(section))
        for (const Entry &e : s->entries)
            out << e.key + u'=' + e.value;
    return out;
}

void IniFile::eraseSection(const QString &section)
{
    std::erase_if(m_sections, [&](const Section &s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; });
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    for (Section &s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0)
            std::erase_if(s.entries, [&](const Entry &e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
}

void IniFile::updateFile() const
{
    if (unreadable())
        throw EInOutError(FileWriteErrorText(
            m_fileName, u"файл существует, но его не удалось прочитать (" + m_readError + u"); он оставлен без изменений"));
    std::optional<QFileDevice::Permissions> perms;
    if (m_ownerOnly)
        perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    WriteFileAtomically(m_fileName, Cp1251::encode(text()), perms);
}
