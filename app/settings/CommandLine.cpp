#include "app/settings/CommandLine.h"

bool HasSwitch(const QStringList &arguments, QStringView word)
{
    static const QStringView prefixes[] = {u"", u"-", u"--", u"/", u"\\"};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        for (QStringView prefix : prefixes)
            if (arg.size() == prefix.size() + word.size() && arg.startsWith(prefix) &&
                QStringView(arg).mid(prefix.size()).compare(word, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

TStartSwitches TStartSwitches::fromArguments(const QStringList &arguments)
{
    TStartSwitches s;
    s.restart = HasSwitch(arguments, kSwitchRestart);
    s.noLanguage = HasSwitch(arguments, kSwitchNoLanguage);
    s.loadOnly = HasSwitch(arguments, kSwitchLoadOnly);
    s.fullRecreate = HasSwitch(arguments, kSwitchFullRecreate);
    s.fullRefresh = HasSwitch(arguments, kSwitchFullRefresh);
    return s;
}
