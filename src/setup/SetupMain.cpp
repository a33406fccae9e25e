#include "setup/SetupMain.h"

#include "setup/BackgroundForm.h"
#include "setup/MainForm.h"
#include "setup/SetupExitCodes.h"

int SetupMain() {
    ui::TApplication app;
    DWORD exitCode = kSetupError;
    try {
        if (app.ExeName().size() > kLongestSetupPath) {
            // Nothing is created or written from such a path.
            app.MessageBox(L"TLPD - Too Long Path Detector", L"ERROR", MB_OK | MB_ICONSTOP);
            return static_cast<int>(kSetupPathTooLong);
        }
        app.Initialize();
        app.SetMainFormOnTaskBar(true);
        app.CreateForm(BackgroundForm);
        app.CreateForm(MainForm);
        app.Run();
        exitCode = MainForm->ExitCode();
    } catch (const ui::Exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowException(ui::Exception(L""));
    }
    return static_cast<int>(exitCode);
}
