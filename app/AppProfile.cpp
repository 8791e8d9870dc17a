#include "app/AppProfile.h"

#include <cstdlib>
#include <memory>

#include <wx/filename.h>
#include <wx/fileconf.h>
#include <wx/log.h>

namespace {

wxString g_overridePath;
std::unique_ptr<wxFileConfig> g_config;

wxString DefaultFilePath()
{
    wxString base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = wxString::FromUTF8(xdg);
    else
        base = wxFileName::GetHomeDir() + "/.config";
    return base + "/" + AppProfile::kVendorName + "/" + AppProfile::kAppName + ".conf";
}

wxFileConfig& Config()
{
    if (!g_config)
    {
        // A missing or unreadable file reads as an empty profile; say nothing about it.
        wxLogNull quiet;
        g_config = std::make_unique<wxFileConfig>(AppProfile::kAppName, AppProfile::kVendorName,
                                                  AppProfile::GetFilePath(), wxString(),
                                                  wxCONFIG_USE_LOCAL_FILE);
    }
    return *g_config;
}

wxString KeyOf(const wxString& section, const wxString& entry)
{
    return "/" + section + "/" + entry;
}

bool Flush()
{
    // Reads and writes report nothing to the user; a failure only shows in the result.
    wxLogNull quiet;
    wxFileName::Mkdir(wxFileName(AppProfile::GetFilePath()).GetPath(), 0700, wxPATH_MKDIR_FULL);
    return Config().Flush();
}

}  // namespace

int AppProfile::GetProfileInt(const wxString& section, const wxString& entry, int defaultValue)
{
    long value = defaultValue;
    Config().Read(KeyOf(section, entry), &value, defaultValue);
    return static_cast<int>(value);
}

wxString AppProfile::GetProfileString(const wxString& section, const wxString& entry,
                                      const wxString& defaultValue)
{
    return Config().Read(KeyOf(section, entry), defaultValue);
}

bool AppProfile::WriteProfileInt(const wxString& section, const wxString& entry, int value)
{
    return Config().Write(KeyOf(section, entry), static_cast<long>(value)) && Flush();
}

bool AppProfile::WriteProfileString(const wxString& section, const wxString& entry,
                                    const wxString& value)
{
    return Config().Write(KeyOf(section, entry), value) && Flush();
}

void AppProfile::UseFile(const wxString& path)
{
    g_config.reset();
    g_overridePath = path;
}

wxString AppProfile::GetFilePath()
{
    return g_overridePath.empty() ? DefaultFilePath() : g_overridePath;
}
