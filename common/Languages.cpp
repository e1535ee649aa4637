#include "common/Languages.h"

#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/ProgramFiles.h"
#include "common/SysUtils.h"
#include "common/Translate.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
// A loaded module: the translator reads its texts from the file's bytes, which it does not copy.
struct LanguageModule {
    QByteArray data;
    QTranslator translator;
};

// Mends Qt's own texts in the shown language. Qt 6 asks the names of file types ("Folder", "%1 File")
// under a context that the installed translations of Qt do not have yet: they are taken from the
// context the same texts had before. Key names stay as the keys are labelled ("Ctrl+Up",
// "Ctrl+Return"), never half translated ("Ctrl+Вверх" beside "Ctrl+Return").
class QtTextsAmendments : public QTranslator {
public:
    explicit QtTextsAmendments(const QTranslator &qt) : m_qt(qt) {}
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *disambiguation, int n) const override
    {
        if (qstrcmp(context, "QShortcut") == 0)
            return QString::fromUtf8(source);
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0) {
            QString text = m_qt.translate("QFileDialog", source, disambiguation, n);
            if (text.isEmpty())
                text = m_qt.translate("QFileDialog", source, nullptr, n);
            return text;
        }
        return {};
    }

private:
    const QTranslator &m_qt;
};

struct LanguageState {
    TLCIDs ids;
    // Qt's own texts in the shown language with their mends, and the default locale before the first
    // switch.
    std::unique_ptr<QTranslator> qtTexts;
    std::unique_ptr<QTranslator> qtAmendments;
    std::optional<QLocale> systemLocale;
    int builtIn = 0;
    int current = 0;
    int shown = 0; // the language whose texts the windows show
    std::unique_ptr<LanguageModule> module;
    std::function<void()> changedHook;
};

LanguageState &State()
{
    static LanguageState state;
    return state;
}

const LanguageInfo *FindLanguage(int lcid)
{
    for (const LanguageInfo &info : KnownLanguages())
        if (info.lcid == lcid)
            return &info;
    return nullptr;
}

QString NotFoundText(const QString &fileName)
{
    return Format(u"Языковый модуль \"%s\" не найден!", {fileName});
}

QString LoadFailedText(const QString &fileName, const QString &reason)
{
    return Format(u"Не удалось загрузить языковый модуль \"%s\"!\r\r%s", {fileName, reason});
}

std::unique_ptr<LanguageModule> ReadModule(const QString &fileName)
{
    auto module = std::make_unique<LanguageModule>();
    try {
        module->data = ReadRegularFile(fileName, FileBounds::kText);
    } catch (const EFileReadError &e) {
        throw Exception(LoadFailedText(fileName, e.reason()));
    }
    if (module->data.size() > std::numeric_limits<int>::max() ||
        !module->translator.load(reinterpret_cast<const uchar *>(module->data.constData()),
                                 static_cast<int>(module->data.size())))
        throw Exception(LoadFailedText(fileName, QStringLiteral("Файл не является языковым модулем программы.")));
    return module;
}

// Qt's own texts and the default locale follow the shown language; identifier 0 gives both back to
// the system.
void FollowLanguage(int lcid)
{
    LanguageState &s = State();
    if (!s.systemLocale)
        s.systemLocale = QLocale();
    if (QCoreApplication::instance())
        for (QTranslator *t : {s.qtAmendments.get(), s.qtTexts.get()})
            if (t)
                QCoreApplication::removeTranslator(t);
    s.qtAmendments.reset();
    s.qtTexts.reset();
    if (lcid == 0) {
        QLocale::setDefault(*s.systemLocale);
        return;
    }
    const QLocale locale = LanguageLocale(lcid);
    QLocale::setDefault(locale);
    // Qt's own texts are English; any other language takes Debian's translations of Qt when installed.
    auto translator = std::make_unique<QTranslator>();
    if (locale.language() != QLocale::English && QCoreApplication::instance() &&
        translator->load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        s.qtTexts = std::move(translator);
        // Asked before Qt's own translations.
        s.qtAmendments = std::make_unique<QtTextsAmendments>(*s.qtTexts);
        QCoreApplication::installTranslator(s.qtAmendments.get());
    }
}

// Puts the module in place of the current one (nullptr: the built-in texts).
void InstallModule(std::unique_ptr<LanguageModule> module, int lcid)
{
    LanguageState &s = State();
    FollowLanguage(lcid);
    if (s.module && QCoreApplication::instance())
        QCoreApplication::removeTranslator(&s.module->translator);
    s.module = std::move(module);
    if (s.module && QCoreApplication::instance())
        QCoreApplication::installTranslator(&s.module->translator);
    SetTranslationActive(s.module != nullptr);
    s.shown = lcid;
}

void RetranslateWindows()
{
    if (State().changedHook)
        State().changedHook();
}

// The built-in texts, whatever state a failed switch left behind.
void RestoreBuiltIn()
{
    LanguageState &s = State();
    if (s.shown != s.builtIn || s.module) {
        InstallModule(nullptr, s.builtIn);
        try {
            RetranslateWindows();
        } catch (const std::exception &e) {
            ShowErrorBox(ExceptionText(e));
        }
    }
    s.current = s.builtIn;
}
} // namespace

const std::vector<LanguageInfo> &KnownLanguages()
{
    static const std::vector<LanguageInfo> languages{
        {1029, u"CSY", u"Čeština", 1250, u"cs_CZ"},
        {1031, u"DEU", u"Deutsch", 1252, u"de_DE"},
        {1032, u"ELL", u"Ελληνικά", 1253, u"el_GR"},
        {1033, u"ENU", u"English", 1252, u"en_US"},
        {1034, u"ESP", u"Español", 1252, u"es_ES"},
        {1036, u"FRA", u"Français", 1252, u"fr_FR"},
        {1040, u"ITA", u"Italiano", 1252, u"it_IT"},
        {1045, u"PLK", u"Polski", 1250, u"pl_PL"},
        {1049, u"RUS", u"Русский", 1251, u"ru_RU"},
        {1055, u"TRK", u"Türkçe", 1254, u"tr_TR"},
        {1058, u"UKR", u"Українська", 1251, u"uk_UA"},
        {1059, u"BEL", u"Беларуская", 1251, u"be_BY"},
        {1061, u"ETI", u"Eesti", 1257, u"et_EE"},
        {1062, u"LVI", u"Latviešu", 1257, u"lv_LV"},
        {1063, u"LTH", u"Lietuvių", 1257, u"lt_LT"},
        {1087, u"KKZ", u"Қазақ тілі", 1251, u"kk_KZ"},
        {2057, u"ENG", u"English (United Kingdom)", 1252, u"en_GB"},
    };
    return languages;
}

QLocale LanguageLocale(int lcid)
{
    const LanguageInfo *info = FindLanguage(lcid);
    return info ? QLocale(QString::fromUtf16(info->locale)) : QLocale::c();
}

QString GetLanguageAbbrev(int lcid)
{
    const LanguageInfo *info = FindLanguage(lcid);
    return info ? QString::fromUtf16(info->abbrev) : QString();
}

QString GetLanguageName(int lcid)
{
    const LanguageInfo *info = FindLanguage(lcid);
    return info ? QString::fromUtf16(info->name) : QString();
}

int GetLocaleAnsiCodePage(int lcid)
{
    const LanguageInfo *info = FindLanguage(lcid);
    return info ? info->ansiCodePage : 0;
}

int CodePageCharset(int codePage)
{
    switch (codePage) {
    case 874: return 222;  // Thai
    case 932: return 128;  // Japanese
    case 936: return 134;  // Simplified Chinese
    case 949: return 129;  // Korean
    case 950: return 136;  // Traditional Chinese
    case 1250: return 238; // Central European
    case 1251: return RUSSIAN_CHARSET;
    case 1252: return 0;   // Western
    case 1253: return 161; // Greek
    case 1254: return 162; // Turkish
    case 1255: return 177; // Hebrew
    case 1256: return 178; // Arabic
    case 1257: return 186; // Baltic
    case 1258: return 163; // Vietnamese
    default: return DEFAULT_CHARSET;
    }
}

int GetLocaleCharset(int lcid)
{
    return CodePageCharset(GetLocaleAnsiCodePage(lcid));
}

void SetLanguageChangedHook(std::function<void()> hook)
{
    State().changedHook = std::move(hook);
}

QString LanguageModuleName(int lcid)
{
    if (lcid != 0 && lcid == State().builtIn)
        return GetProgramFileName();
    return GetProgramBasePath() + u'_' + GetLanguageAbbrev(lcid) + u".lng";
}

void FindLanguageModules()
{
    LanguageState &s = State();
    s.ids.clear();
    for (const LanguageInfo &info : KnownLanguages())
        if (QFileInfo(LanguageModuleName(info.lcid)).isFile())
            s.ids.push_back(info.lcid);
}

void InitLanguages(int builtInLcid, int wantedLcid)
{
    LanguageState &s = State();
    s.builtIn = builtInLcid;
    s.current = builtInLcid;
    if (!s.module) {
        s.shown = builtInLcid;
        FollowLanguage(builtInLcid);
    }
    FindLanguageModules();
    SwitchLanguage(wantedLcid, false);
}

TLCIDs GetLanguageIds()
{
    return State().ids;
}

QStringList GetLanguageNames()
{
    if (State().ids.empty())
        InitLanguages(kRussianLcid, kRussianLcid);
    QStringList names;
    for (int lcid : State().ids)
        names << GetLanguageName(lcid);
    return names;
}

int DefaultLanguageId()
{
    return State().builtIn;
}

int CurrentLanguageId()
{
    return State().current;
}

int LanguageIndexOf(int lcid, int fallbackLcid)
{
    const TLCIDs &ids = State().ids;
    for (int wanted : {lcid, fallbackLcid}) {
        const auto it = std::find(ids.begin(), ids.end(), wanted);
        if (it != ids.end())
            return static_cast<int>(it - ids.begin());
    }
    return -1;
}

int LanguageIdAt(int index, int defaultLcid)
{
    const TLCIDs &ids = State().ids;
    return index >= 0 && index < static_cast<int>(ids.size()) ? ids[static_cast<size_t>(index)] : defaultLcid;
}

void CheckLanguageModule(int lcid)
{
    if (lcid == State().builtIn)
        return;
    const QString fileName = LanguageModuleName(lcid);
    if (!QFileInfo(fileName).isFile())
        throw Exception(NotFoundText(fileName));
}

bool LoadLanguageModule(int lcid, bool raiseIfMissing)
{
    LanguageState &s = State();
    try {
        std::unique_ptr<LanguageModule> module;
        if (lcid != s.builtIn) {
            const QString fileName = LanguageModuleName(lcid);
            if (!QFileInfo(fileName).isFile()) {
                if (!raiseIfMissing)
                    return false;
                throw Exception(NotFoundText(fileName));
            }
            module = ReadModule(fileName);
        }
        InstallModule(std::move(module), lcid);
        RetranslateWindows();
        return true;
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

int SwitchLanguage(int lcid, bool raiseIfMissing)
{
    LanguageState &s = State();
    if (lcid == s.current && s.shown == s.current)
        return s.current;
    if (LoadLanguageModule(lcid, raiseIfMissing)) {
        s.current = lcid;
        return lcid;
    }
    RestoreBuiltIn();
    return s.builtIn;
}

void FinalizeLanguages()
{
    LanguageState &s = State();
    InstallModule(nullptr, 0);
    s.ids.clear();
    s.builtIn = 0;
    s.current = 0;
}
