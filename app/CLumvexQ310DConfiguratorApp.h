#pragma once

#include <wx/app.h>

// The application: sets up the per-user profile, runs the one modal main dialog and ends
// when it closes. There is no frame and no document.
class CLumvexQ310DConfiguratorApp : public wxApp
{
public:
    CLumvexQ310DConfiguratorApp();
    ~CLumvexQ310DConfiguratorApp() override;

    // Takes the user's locale from the environment before the toolkit starts.
    bool Initialize(int& argc, wxChar** argv) override;
    // Runs the main dialog to its end. Returns true so that the program ends with status 0.
    bool OnInit() override;
    // The main dialog's loop was the program's only loop: nothing is left to run.
    int OnRun() override;

private:
    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CLumvexQ310DConfiguratorApp);
