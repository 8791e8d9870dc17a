#include "support/GuiDialogAnswerer.h"

#include <thread>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "app/ComConfigDlg.h"
#include "app/FileDialogChoice.h"
#include "app/res/ResourceIds.h"
#include "support/GuiFixtures.h"

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;)
    {
        PumpEvents();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

DialogAnswerer::DialogAnswerer()
{
    Register();
    SetFileDialogAnswerer([this](wxFileDialog& dialog, wxString& path) {
        ++fileDialogs;
        fileDialogStyles.push_back(dialog.GetWindowStyle());
        fileDialogFilters.push_back(dialog.GetWildcard());
        if (filePaths.empty())
            return false;
        path = filePaths.front();
        filePaths.pop_front();
        return true;
    });
}

DialogAnswerer::~DialogAnswerer()
{
    SetFileDialogAnswerer(nullptr);
    Unregister();
}

std::vector<wxString> DialogAnswerer::Messages() const
{
    std::vector<wxString> texts;
    for (const MessageBox& box : messageBoxes)
        texts.push_back(box.message);
    return texts;
}

int DialogAnswerer::Enter(wxDialog* dialog)
{
    if (auto* com = dynamic_cast<ComConfigDlg*>(dialog))
    {
        ++comDialogs;
        if (!comOk)
            return IDCANCEL;
        com->m_settings = comSettings;
        return IDOK;
    }
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
    {
        messageBoxes.push_back({box->GetMessage(), box->GetTitle(), box->GetMessageDialogStyle()});
        return messageAnswer;
    }
    ++otherDialogs;
    return wxID_CANCEL;
}
