#include "uninstall/UninstallMain.h"

#include "uninstall/MainForm.h"

int UninstallMain() {
    ui::TApplication app;
    try {
        app.Initialize();
        app.SetMainFormOnTaskBar(true);
        app.SetTitle(L"");
        app.CreateForm(MainForm);
        app.Run();
    } catch (const ui::Exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowException(ui::Exception(L""));
    }
    return 0;
}
