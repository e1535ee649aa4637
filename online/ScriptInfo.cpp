#include "online/ScriptInfo.h"

#include "common/Format.h"
#include "common/Languages.h"
#include "common/Translate.h"
#include "online/CatalogueReply.h"

using namespace Qt::StringLiterals;

tScriptData NewScriptData(const QString &authorName, int lcid)
{
    tScriptData data;
    data.id = -1;
    data.key_cl_name = authorName;
    data.key_cl_lcid = lcid;
    data.uniapps = false;
    data.publics = true;
    return data;
}

tScriptData ScriptInfoToData(const tScriptInfo &info)
{
    tScriptData data;
    data.id = info.id;
    data.key_cl_name = info.key_cl_name;
    data.key_cl_lcid = info.key_cl_lcid;
    data.uniapps = info.uniapps;
    data.publics = info.publics;
    data.title = info.title;
    data.descr = info.descr;
    return data;
}

void ScriptDataToInfo(const tScriptData &data, tScriptInfo &info)
{
    info.key_cl_name = data.key_cl_name;
    info.key_cl_lcid = data.key_cl_lcid;
    info.uniapps = data.uniapps;
    info.publics = data.publics;
    info.title = data.title;
    info.descr = data.descr;
}

int ScriptItemImage(const tScriptInfo &info)
{
    return info.publics ? kScriptImagePublic : kScriptImagePrivate;
}

QStringList ScriptItemTexts(const tScriptInfo &info)
{
    QString ownMark;
    if (info.rating_you < 0)
        ownMark = Tr(u"Скрытый");
    else if (info.rating_you > 0)
        ownMark = QString::number(info.rating_you);
    return {
        info.own ? Tr(u"Мой") : Tr(u"Общий"),
        info.title,
        info.key_cl_name,
        info.uniapps ? Tr(u"Универсальный") : info.app_name,
        info.app_ver,
        GetLanguageAbbrev(info.key_cl_lcid),
        CatalogueTimeText(info.created),
        Format(u"%.3n", {info.rating_avg}),
        QString::number(info.rating_cnt),
        ownMark,
        QString::number(info.downloads),
        CatalogueTimeText(info.last_download),
        info.descr,
    };
}

QStringList ScriptListColumns()
{
    return {Tr(u"Тип"),         Tr(u"Название"),    Tr(u"Автор"),    Tr(u"Программа"), Tr(u"Версия"),
            Tr(u"Язык"),        Tr(u"Создан"),      Tr(u"Рейтинг"),  Tr(u"Оценок"),    Tr(u"Ваша оценка"),
            Tr(u"Загрузок"),    Tr(u"Последняя"),   Tr(u"Комментарии")};
}
