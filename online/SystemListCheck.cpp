#include "online/SystemListCheck.h"

#include "common/Format.h"
#include "online/SystemTypes.h"
#include "online/SystemsFolder.h"

TSystemListCheck CheckSystemList(const QString &text)
{
    TSystemListCheck result;
    const QStringList lines = SplitSystemLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList words = SystemLineWords(lines[i]);
        if (words.size() != kSystemCombLength)
            continue;
        QStringList numbers;
        std::array<int, kSystemCombLength> positions{};
        for (int k = 0; k < kSystemCombLength; ++k) {
            bool ok = false;
            const int p = words[k].toInt(&ok);
            if (!ok)
                result.error = Format(u"Строка %d: \"%s\" не является допустимым целым числом.", {i + 1, words[k]});
            else if (p < 1)
                result.error = Format(u"Строка %d: номера позиций начинаются с 1, а не с %d.", {i + 1, p});
            else if (std::find(positions.begin(), positions.begin() + k, p) != positions.begin() + k)
                result.error = Format(u"Строка %d: позиция %d указана дважды.", {i + 1, p});
            if (!result.error.isEmpty()) {
                result.errorLine = i;
                result.lines.clear();
                result.nums = result.csize = 0;
                return result;
            }
            positions[static_cast<size_t>(k)] = p;
            result.nums = std::max(result.nums, p);
            numbers << Format(u"%.2d", {p});
        }
        result.lines << numbers.join(u' ');
    }
    result.csize = static_cast<int>(result.lines.size());
    return result;
}
