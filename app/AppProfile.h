#pragma once

#include <wx/string.h>

// The per-user profile: a wxConfig of vendor "Quorbit" and application
// "LumvexQ310DConfigurator" ($XDG_CONFIG_HOME/Quorbit/LumvexQ310DConfigurator.conf,
// ~/.config when XDG_CONFIG_HOME is not set). Values live in sections; every write
// reaches the file at once. UI thread only.
class AppProfile
{
public:
    static constexpr const wchar_t* kVendorName = L"Quorbit";
    static constexpr const wchar_t* kAppName = L"LumvexQ310DConfigurator";

    // The integer under section/entry, or defaultValue when there is none.
    static int GetProfileInt(const wxString& section, const wxString& entry, int defaultValue);
    // The text under section/entry, or defaultValue when there is none.
    static wxString GetProfileString(const wxString& section, const wxString& entry,
                                     const wxString& defaultValue);
    // Stores an integer; false when the profile could not be written.
    static bool WriteProfileInt(const wxString& section, const wxString& entry, int value);
    // Stores a text; false when the profile could not be written.
    static bool WriteProfileString(const wxString& section, const wxString& entry,
                                   const wxString& value);

    // Uses the given file from now on (tests); an empty path goes back to the user's file.
    static void UseFile(const wxString& path);
    // The file the profile is kept in.
    static wxString GetFilePath();
};
