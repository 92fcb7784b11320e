// Program entry: the application, the main window and its dialogs, the
// message loop. An error that escapes start-up is shown and ends the program.
#include <QMessageBox>
#include <exception>

#include "ui/about_box.h"
#include "ui/form_config.h"
#include "ui/form_main.h"
#include "ui/form_value.h"
#include "ui/ini_settings_store.h"
#include "ui/orvane_application.h"

int main(int argc, char** argv)
{
    OrvaneApplication app(argc, argv);
    try {
        IniSettingsStore store;
        TFormMain formMain(store);
        TFormValue formValue(&formMain);
        TAboutBox aboutBox(&formMain);
        TFormConfig formConfig(store, &formMain);
        formMain.SetDialogs(&formValue, &aboutBox, &formConfig);
        formMain.show();
        return app.exec();
    } catch (const std::exception& e) {
        OrvaneApplication::ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        OrvaneApplication::ShowError(QStringLiteral("Unknown error"));
    }
    return 1;
}
