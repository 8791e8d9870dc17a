#pragma once

#include <wx/string.h>

// The program's string table (ids 101 to 130) in Korean and in English. The language is
// chosen once, from the user's locale, the first time a string is looked up.
class StringTable
{
public:
    enum class Language
    {
        Korean,
        English,
    };

    // The language in use; decided from the environment on first use.
    static Language GetLanguage();
    // Forces a language (tests, or a caller that knows better than the environment).
    static void SetLanguage(Language language);
    // Korean when the user's language is Korean, else English: the first entry of LANGUAGE
    // that names Korean or English, unless the locale is "C"; otherwise the locale's
    // language (LC_ALL, then LC_MESSAGES, then LANG).
    static Language DetectLanguage();

    // The text of a string id in the language in use; empty when the table has no such id.
    static wxString Load(int id);
    // The text of a string id in a given language.
    static wxString Load(int id, Language language);
};

// Shorthand for StringTable::Load, the way the dialogs load their texts.
wxString LoadString(int id);
