#include "support/GuiMainDialogRig.h"

#include "app/AppMessageEvent.h"
#include "support/GuiFixtures.h"

MainDialogRig::MainDialogRig()
{
    dlg = new CLumvexQ310DConfiguratorDlg;
    SetAppMainWindow(dlg);
    dlg->Bind(WM_APP_COMMAND_DONE, [this](AppMessageEvent& event) {
        results.emplace_back(static_cast<int>(event.GetWParam()), static_cast<int>(event.GetLParam()));
        event.Skip();
    });
    dlg->Bind(WM_APP_OPEN_PORT, [this](AppMessageEvent& event) {
        ++openPortMessages;
        event.Skip();
    });
    dlg->Bind(WM_APP_COMM_ERROR, [this](AppMessageEvent& event) {
        ++commErrorMessages;
        event.Skip();
    });
}

MainDialogRig::~MainDialogRig()
{
    DestroyDialog();
    SetAppMainWindow(nullptr);
}

void MainDialogRig::Show(const std::string& portPath, uint32_t baudRate)
{
    answers.comOk = !portPath.empty();
    answers.comSettings.portName = std::wstring(portPath.begin(), portPath.end());
    answers.comSettings.baudRate = baudRate;
    dlg->Show();
    PumpEvents();
}

void MainDialogRig::DestroyDialog()
{
    if (!dlg)
        return;
    dlg->Destroy();
    dlg = nullptr;
    PumpEvents();
}

bool MainDialogRig::WaitForResults(std::size_t count, std::chrono::milliseconds limit)
{
    return PumpUntil([&] { return results.size() >= count; }, limit);
}

bool MainDialogRig::WaitUntilIdle(std::chrono::milliseconds limit)
{
    return PumpUntil([&] { return dlg && !dlg->m_busy && dlg->IsPortOpen(); }, limit);
}
