#include "app/res/StringTable.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct StringEntry
{
    int id;
    const wchar_t* korean;
    const wchar_t* english;
};

// clang-format off
const StringEntry kStrings[] = {
    {101, L"Q310 Manager 정보(&A)...", L"Q310 Configurator Info(&A)..."},
    {107, L"기본설정", L"Basic Config"},
    {109, L"탭 윈도우 생성 실패", L"Tab window creation was failed"},
    {112, L"Q310 접속 설정", L"Configuring parameters for communication with device"},
    {113, L"제품이 응답하지 않거나 응답이 잘못 되었습니다. 통신 속도 등을 확인하시고 다시 시도해 주세요.",
          L"Failed to communicate with device. Please check serial port, baud rate and other parameters and try again."},
    {114, L"COM 포트 닫힘", L"Serial port closed"},
    {115, L"준비", L"Ready"},
    {116, L"GPIO설정", L"Config GPIOs"},
    {117, L"적 용", L"Apply"},
    {118, L"그룹 ID 설정값이 잘못되어 있습니다.", L"Invalid PAN ID value"},
    {119, L"GPIO 알림 간격 설정이 잘못  설정되어 있습니다.", L"Invalid GPIO  report interval is set"},
    {120, L"기본설정 적용을 실패하였습니다.", L"Failed to apply general setting values"},
    {121, L"기본설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다.",
          L"General settings are applied successfully.\r\nChanges will be applied after restart the device"},
    {122, L"GPIO설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다.",
          L"GPIO settings are applied successfully.\r\nChanges will be applied after restart the device."},
    {123, L"GPIO설정 적용을 실패하였습니다.", L"Failed to apply GPIO setting values"},
    {124, L"설정 파일(*.json) | *.json |모든파일(*.*) |*.*||",
          L"Config File (*.json) | *.json |All Files(*.*) |*.*||"},
    {125, L"설정 파일을 읽어 들이는데 실패하였습니다. 설정 파일 형식을 확인하시고 다시 시도해 주세요",
          L"Failed to load configuation file. Please check configuration file is valid and then try again."},
    {126, L"설정 파일을 저장할 수 없습니다. 파일 이름과 저장 위치가 올바른지 확인한 후 다시 시도해 주세요.",
          L"Cannot save configuration file. Please check the filename and path are vaild and then try again."},
    {127, L"설정 파일을 저장하였습니다.", L"Configuration file is saved."},
    {128, L"설정 파일 적용을 성공하였습니다.", L"Configuration applied successfully"},
    {129, L"설정 파일 적용을 실패하였습니다.", L"Failed to apply configuration."},
    {130, L"COM 포트를 열지 못하였습니다.", L"Failed to open serial port"},
};
// clang-format on

// Whether a locale or LANGUAGE entry ("ko", "ko_KR", "ko_KR.UTF-8", "ko@...") names the
// two-letter language code; "kok" (Konkani) does not name "ko".
bool IsLanguage(std::string_view name, std::string_view code)
{
    return name.substr(0, code.size()) == code &&
           (name.size() == code.size() || std::strchr("_.@", name[code.size()]) != nullptr);
}

// -1 until the language is decided; then the Language value.
std::atomic<int> g_language{-1};

}  // namespace

StringTable::Language StringTable::DetectLanguage()
{
    // POSIX precedence: the first of these that is set and not empty names the locale.
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(name);
        if (value && *value)
        {
            locale = value;
            break;
        }
    }
    if (!locale)
        return Language::English;
    // GNU gettext lets LANGUAGE name the wanted languages, first choice first, unless the
    // locale is the untranslated "C" one; it passes over those it has no texts for.
    const std::string_view language = locale;
    const char* preferences = std::getenv("LANGUAGE");
    if (preferences && language != "C" && language != "POSIX")
    {
        std::string_view list = preferences;
        while (!list.empty())
        {
            const std::size_t end = std::min(list.find(':'), list.size());
            if (IsLanguage(list.substr(0, end), "ko"))
                return Language::Korean;
            if (IsLanguage(list.substr(0, end), "en"))
                return Language::English;
            list.remove_prefix(std::min(end + 1, list.size()));
        }
    }
    return IsLanguage(language, "ko") ? Language::Korean : Language::English;
}

StringTable::Language StringTable::GetLanguage()
{
    int language = g_language.load();
    if (language < 0)
    {
        int expected = -1;
        g_language.compare_exchange_strong(expected, static_cast<int>(DetectLanguage()));
        language = g_language.load();
    }
    return static_cast<Language>(language);
}

void StringTable::SetLanguage(Language language)
{
    g_language.store(static_cast<int>(language));
}

wxString StringTable::Load(int id, Language language)
{
    for (const StringEntry& entry : kStrings)
    {
        if (entry.id == id)
            return wxString(language == Language::Korean ? entry.korean : entry.english);
    }
    return wxString();
}

wxString StringTable::Load(int id)
{
    return Load(id, GetLanguage());
}

wxString LoadString(int id)
{
    return StringTable::Load(id);
}
