#include "common/IniFile.h"

#include "common/AtomicFile.h"
#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/RegularFile.h"
#include "common/TextUtils.h"


namespace {

QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// A section with few keys is searched in order; a larger one gets a hash of its keys.
constexpr size_t kIndexedSection = 16;

// The files of the run, each as read once and written since.
std::vector<IniFile> g_runFiles;

IniFile *runCopy(const QString &fileName)
{
    for (IniFile &file : g_runFiles)
        if (file.fileName() == fileName)
            return &file;
    return nullptr;
}

} // namespace

TIniFileRun::TIniFileRun(const QStringList &fileNames)
{
    g_runFiles.clear();
    for (const QString &name : fileNames) {
        IniFile file(name);
        file.m_readErrorTaken = true; // the copies made from it tell a failure to read it, not the run's own
        g_runFiles.push_back(std::move(file));
    }
}

TIniFileRun::~TIniFileRun()
{
    g_runFiles.clear();
}

void IniFile::keepForRun() const
{
    if (IniFile *copy = runCopy(m_fileName)) {
        *copy = *this;
        copy->m_readErrorTaken = true;
    }
}

IniFile::IniFile(const QString &fileName, qint64 maxBytes) : m_fileName(fileName)
{
    if (const IniFile *copy = runCopy(fileName)) {
        *this = *copy;
        m_readErrorTaken = false;
        return;
    }
    QByteArray bytes;
    try {
        if (!ReadRegularFile(fileName, maxBytes < 0 ? FileBounds::kIni : maxBytes, bytes))
            return;
    } catch (const EFileReadError &e) {
        m_readError = e.reason();
        return;
    }
    setText(DecodeTextFile(bytes));
}

IniFile::~IniFile()
{
    // Nobody asked whether the file could be read: the program still has to hear of it.
    if (!m_readError.isEmpty() && !m_readErrorTaken)
        DeferFileReadFailure(m_fileName, FileReadErrorText(m_fileName, m_readError));
}

bool IniFile::unreadable() const
{
    if (!m_readError.isEmpty() && !m_readErrorTaken)
        MarkFileReadFailureReported(m_fileName);
    m_readErrorTaken = true;
    return !m_readError.isEmpty();
}

void IniFile::clear()
{
    m_sections.clear();
    m_sectionIndex.clear();
}

void IniFile::setText(const QString &text)
{
    clear();
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
        // The first of two equal keys counts; the later one is dropped.
        QString foldedKey = folded(key);
        if (position(*current, foldedKey) >= 0)
            continue;
        append(*current, {key, line.mid(eq + 1).trimmed(), std::move(foldedKey)});
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
    const auto it = m_sectionIndex.constFind(folded(name));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    const auto it = m_sectionIndex.constFind(folded(name));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

IniFile::Section &IniFile::sectionFor(const QString &name)
{
    if (Section *s = findSection(name))
        return *s;
    m_sectionIndex.insert(folded(name), m_sections.size());
    m_sections.push_back({name, {}, {}});
    return m_sections.back();
}

qsizetype IniFile::position(const Section &section, const QString &foldedKey)
{
    if (!section.index.isEmpty()) {
        const auto it = section.index.constFind(foldedKey);
        return it == section.index.cend() ? -1 : qsizetype(*it);
    }
    for (size_t i = 0; i < section.entries.size(); ++i)
        if (section.entries[i].folded == foldedKey)
            return qsizetype(i);
    return -1;
}

void IniFile::append(Section &section, Entry entry)
{
    section.entries.push_back(std::move(entry));
    if (section.entries.size() > kIndexedSection) {
        if (section.index.isEmpty())
            reindex(section);
        else
            section.index.insert(section.entries.back().folded, section.entries.size() - 1);
    }
}

const IniFile::Entry *IniFile::findEntry(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    const qsizetype at = position(*s, folded(key));
    return at < 0 ? nullptr : &s->entries[size_t(at)];
}

void IniFile::reindex(Section &section)
{
    section.index.clear();
    if (section.entries.size() <= kIndexedSection)
        return;
    for (size_t i = 0; i < section.entries.size(); ++i)
        section.index.insert(section.entries[i].folded, i);
}

void IniFile::reindexSections()
{
    m_sectionIndex.clear();
    for (size_t i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.insert(folded(m_sections[i].name), i);
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
    QString foldedKey = folded(key);
    const qsizetype at = position(s, foldedKey);
    if (at >= 0) {
        s.entries[size_t(at)].value = clean;
        return;
    }
    append(s, {key, clean, std::move(foldedKey)});
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
    const auto it = m_sectionIndex.constFind(folded(section));
    if (it == m_sectionIndex.cend())
        return;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(*it));
    reindexSections();
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    Section *s = findSection(section);
    if (!s)
        return;
    const qsizetype at = position(*s, folded(key));
    if (at < 0)
        return;
    s->entries.erase(s->entries.begin() + static_cast<std::ptrdiff_t>(at));
    reindex(*s);
}

void IniFile::updateFile() const
{
    if (!m_readError.isEmpty())
        throw EFileWriteError(m_fileName, u"файл существует, но его не удалось прочитать (" + m_readError +
                                              u"); он оставлен без изменений");
    std::optional<QFileDevice::Permissions> perms;
    if (m_ownerOnly)
        perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    WriteNamedFile(m_namedBy, m_fileName, Cp1251::encode(text()), perms);
    keepForRun();
}
