#include "online/CatalogueReply.h"

#include "common/DateUtils.h"
#include "common/Format.h"
#include "common/TextUtils.h"

using namespace Qt::StringLiterals;

namespace {

QString openTag(QStringView name)
{
    return u'<' + name.toString() + u'>';
}

QString closeTag(QStringView name)
{
    return u"</"_s + name.toString() + u'>';
}

[[noreturn]] void raiseCutOff(QStringView tag)
{
    throw ECatalogueError(Format(u"Ответ сервера каталога оборван: нет закрывающего тега \"%s\".", {tag}));
}

} // namespace

QString TCatalogueRow::element(QStringView name) const
{
    // An element cut off is told by its tag, never with the reply's text.
    const QString close = closeTag(name);
    const QString value = ExtractBetween(m_text, openTag(name), close, ExtractMode::Rest);
    const qsizetype open = m_text.indexOf(openTag(name), 0, Qt::CaseInsensitive);
    if (open >= 0 && m_text.indexOf(close, open, Qt::CaseInsensitive) < 0)
        raiseCutOff(close);
    return value;
}

int TCatalogueRow::integer(QStringView name) const
{
    const QString value = element(name);
    bool ok = false;
    const int result = TextToIntDef(value, 0, &ok);
    if (!ok)
        throw EConvertError(Format(u"\"%s\" не является допустимым целым числом", {value}));
    return result;
}

int TCatalogueRow::integerDef(QStringView name, int defaultValue) const
{
    return TextToIntDef(element(name), defaultValue);
}

double TCatalogueRow::decimal(QStringView name, double defaultValue) const
{
    return DotTextToFloatDef(element(name), defaultValue);
}

QString TCatalogueRow::base64Text(QStringView name) const
{
    const QString value = element(name);
    // Line breaks inside the encoded text are allowed; anything else outside the alphabet is not.
    QByteArray encoded = value.toLatin1();
    encoded.replace('\r', QByteArray()).replace('\n', QByteArray());
    const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || value.toLatin1() != value.toUtf8())
        throw EConvertError(Format(u"Некорректный текст Base64 в элементе \"%s\"", {name}));
    return QString::fromUtf8(*decoded);
}

TDateTime TCatalogueRow::utcTime(QStringView name) const
{
    const QString value = element(name);
    return value.isEmpty() ? 0 : ParseDateTimeStamp(value);
}

TCatalogueReply::TCatalogueReply(const QString &reply)
{
    static const QString kStart = u"<result>"_s;
    static const QString kEnd = u"</result>"_s;
    const qsizetype start = reply.indexOf(kStart, 0, Qt::CaseInsensitive);
    if (start < 0)
        return;
    const qsizetype end = reply.indexOf(kEnd, start + kStart.size(), Qt::CaseInsensitive);
    if (end < 0)
        raiseCutOff(kEnd);
    m_rest = QStringView(reply).mid(start + kStart.size(), end - start - kStart.size()).trimmed().toString();
    m_empty = m_rest.isEmpty();
}

bool TCatalogueReply::next(TCatalogueRow &row)
{
    static const QString kStart = u"<row>"_s;
    static const QString kEnd = u"</row>"_s;
    const qsizetype start = m_rest.indexOf(kStart, 0, Qt::CaseInsensitive);
    if (start < 0) {
        m_rest.clear();
        return false;
    }
    const qsizetype end = m_rest.indexOf(kEnd, start + kStart.size(), Qt::CaseInsensitive);
    if (end < 0) {
        m_rest.clear();
        raiseCutOff(kEnd);
    }
    row = TCatalogueRow(DequoteValue(QStringView(m_rest).mid(start + kStart.size(), end - start - kStart.size())));
    m_rest.remove(0, end + kEnd.size());
    const QString error = row.element(u"error");
    if (!error.isEmpty())
        throw ECatalogueError(error);
    return true;
}

QString CatalogueTimeText(TDateTime utc)
{
    if (utc == 0)
        return {};
    return DateTimeToQDateTime(UtcToLocalTime(utc)).toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

TDateTime CatalogueTimeFromText(const QString &localText)
{
    const QString text = localText.trimmed();
    if (text.isEmpty())
        return 0;
    const TDateTime local = ParseDateTimeStamp(text);
    const QDateTime value(DateTimeToQDate(local), DateTimeToQTime(local), Qt::LocalTime);
    const QDateTime utc = value.toUTC();
    return QDateTimeToDateTime(utc.isValid() ? utc : value);
}

TDateTime CatalogueNowUtc()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Whole seconds, as the service keeps its times.
    return QDateTimeToDateTime(QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(),
                                                           now.time().second()), Qt::UTC));
}
