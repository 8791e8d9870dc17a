#pragma once

// The real main dialog, shown under the test display, with every modal dialog answered
// (DialogAnswerer) and the worker's results recorded as they reach the dialog. The COM
// settings dialog that start-up offers is answered with the given port, so the dialog
// connects to a simulated modem just as a user would.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "app/CLumvexQ310DConfiguratorDlg.h"
#include "support/GuiDialogAnswerer.h"

class MainDialogRig
{
public:
    MainDialogRig();
    ~MainDialogRig();
    MainDialogRig(const MainDialogRig&) = delete;
    MainDialogRig& operator=(const MainDialogRig&) = delete;

    // Shows the dialog; the COM settings dialog at start-up is answered OK with portPath at
    // baudRate (or Cancel for an empty path). Returns once start-up has run.
    void Show(const std::string& portPath, uint32_t baudRate = 115200);
    // Destroys the dialog window the way wx does at the end of its life; idempotent.
    void DestroyDialog();

    // Waits until `count` results have arrived in all.
    bool WaitForResults(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Waits until the dialog is idle: no command pending, no result left to handle.
    bool WaitUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(20));

    CLumvexQ310DConfiguratorDlg* dlg = nullptr;
    DialogAnswerer answers;
    // (WorkerCommand, result) of every WM_APP_COMMAND_DONE, in arrival order.
    std::vector<std::pair<int, int>> results;
    int openPortMessages = 0;
    int commErrorMessages = 0;
};
