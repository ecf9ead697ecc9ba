#include "app/language.h"

namespace {

int indexOfUiLanguage(const QString &name)
{
    static const QStringList traditional = {
        QStringLiteral("zh-TW"),
        QStringLiteral("zh_TW"),
        QStringLiteral("zh-HK"),
        QStringLiteral("zh_HK"),
        QStringLiteral("zh-MO"),
        QStringLiteral("zh_MO"),
    };
    if (traditional.contains(name))
        return 4;
    if (name.startsWith(QLatin1String("zh")))
        return 0;
    if (name.startsWith(QLatin1String("en")))
        return 1;
    if (name.startsWith(QLatin1String("ja")))
        return 2;
    if (name.startsWith(QLatin1String("ko")))
        return 3;
    return -1;
}

bool isValid(int index)
{
    return index >= 0 && index < Language::Count;
}

} // namespace

int Language::chooseIndex(int storedIndex, int launcherType, const QStringList &uiLanguages)
{
    // A hand-edited index outside the table is ignored rather than trusted.
    if (isValid(storedIndex))
        return storedIndex;
    if (launcherType == 3)
        return 3;
    if (launcherType == 0)
        return 0;
    for (const QString &name : uiLanguages) {
        const int index = indexOfUiLanguage(name);
        if (index != -1)
            return index;
    }
    return launcherType == 2 ? 2 : 1;
}

QString Language::code(int index)
{
    static const char *const codes[Count] = {"zh", "en", "ja", "ko", "zh_TC"};
    return QString::fromLatin1(codes[isValid(index) ? index : 1]);
}

int Language::indexOfCode(const QString &code)
{
    for (int index = 0; index < Count; ++index) {
        if (Language::code(index) == code)
            return index;
    }
    return -1;
}

QString Language::translationFile(int index)
{
    static const char *const files[Count]
        = {":/i18n/app_zh", ":/i18n/app_en", ":/i18n/app_jp", ":/i18n/app_ko", ":/i18n/app_zh_tc"};
    return QString::fromLatin1(files[isValid(index) ? index : 1]);
}
