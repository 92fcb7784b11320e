// Shows the about box with the version read from this program's own file,
// for a look at the dialog (run it under a display or xvfb-run).
#include "ui/about_box.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TAboutBox box;
    box.SetProgramFileName(QCoreApplication::applicationFilePath());
    return box.exec() == QDialog::Accepted ? 0 : 1;
}
