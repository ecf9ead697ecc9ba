#pragma once

#include <QString>
#include <QStringList>

// The five user-interface languages and how the launcher picks one.
namespace Language {

constexpr int Count = 5;

// The index to use: the stored one when it is valid; else Chinese for
// edition 0 and Korean for edition 3; else the first of the system's UI
// languages that the launcher speaks; else the edition's language (English
// for 1, Japanese for 2, English for anything else).
int chooseIndex(int storedIndex, int launcherType, const QStringList &uiLanguages);

// "zh", "en", "ja", "ko", "zh_TC" for indexes 0..4; English for anything else.
QString code(int index);

// The index whose code() is `code`; -1 for any other text.
int indexOfCode(const QString &code);

// The compiled catalogue in the resources (":/i18n/app_en"...).
QString translationFile(int index);

} // namespace Language
