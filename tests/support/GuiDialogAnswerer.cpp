#include "support/GuiDialogAnswerer.h"

#include <thread>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "app/ComConfigDlg.h"
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
}

DialogAnswerer::~DialogAnswerer()
{
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
    if (auto* file = dynamic_cast<wxFileDialog*>(dialog))
    {
        ++fileDialogs;
        if (filePaths.empty())
            return wxID_CANCEL;
        file->SetPath(filePaths.front());
        filePaths.pop_front();
        return wxID_OK;
    }
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
    {
        messageBoxes.push_back({box->GetMessage(), box->GetTitle(), box->GetMessageDialogStyle()});
        return messageAnswer;
    }
    ++otherDialogs;
    return wxID_CANCEL;
}
