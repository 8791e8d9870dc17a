#include "app/AppProfile.h"

#include <cstdlib>
#include <memory>

#include <wx/filename.h>
#include <wx/fileconf.h>
#include <wx/log.h>

namespace {

wxString g_overridePath;

wxString DefaultFilePath()
{
    wxString base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = wxString::FromUTF8(xdg);
    else
        base = wxFileName::GetHomeDir() + "/.config";
    return base + "/" + AppProfile::kVendorName + "/" + AppProfile::kAppName + ".conf";
}

// The file as it is now. Each read and each write opens it afresh, as every access to a
// registry value would: another copy of the program may have changed other values since,
// and a write must neither miss nor undo those.
std::unique_ptr<wxFileConfig> Open()
{
    // A missing or unreadable file reads as an empty profile; say nothing about it.
    wxLogNull quiet;
    return std::make_unique<wxFileConfig>(AppProfile::kAppName, AppProfile::kVendorName,
                                          AppProfile::GetFilePath(), wxString(),
                                          wxCONFIG_USE_LOCAL_FILE);
}

wxString KeyOf(const wxString& section, const wxString& entry)
{
    return "/" + section + "/" + entry;
}

template <typename Value>
bool Store(const wxString& key, const Value& value)
{
    // Writes report nothing to the user; a failure only shows in the result.
    wxLogNull quiet;
    wxFileName::Mkdir(wxFileName(AppProfile::GetFilePath()).GetPath(), 0700, wxPATH_MKDIR_FULL);
    const std::unique_ptr<wxFileConfig> config = Open();
    return config->Write(key, value) && config->Flush();
}

}  // namespace

int AppProfile::GetProfileInt(const wxString& section, const wxString& entry, int defaultValue)
{
    long value = defaultValue;
    Open()->Read(KeyOf(section, entry), &value, defaultValue);
    return static_cast<int>(value);
}

wxString AppProfile::GetProfileString(const wxString& section, const wxString& entry,
                                      const wxString& defaultValue)
{
    return Open()->Read(KeyOf(section, entry), defaultValue);
}

bool AppProfile::WriteProfileInt(const wxString& section, const wxString& entry, int value)
{
    return Store(KeyOf(section, entry), static_cast<long>(value));
}

bool AppProfile::WriteProfileString(const wxString& section, const wxString& entry,
                                    const wxString& value)
{
    return Store(KeyOf(section, entry), value);
}

void AppProfile::UseFile(const wxString& path)
{
    g_overridePath = path;
}

wxString AppProfile::GetFilePath()
{
    return g_overridePath.empty() ? DefaultFilePath() : g_overridePath;
}
