// The program's help viewer: a window of its own, beside the main window and
// not modal, that shows the help file "ORVANE.hlp" (an HTML document) from
// the folder of the program file (or the installed data folder), opened at
// its contents page.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// "ORVANE.hlp" beside the program in programDir, as a build tree has it;
// where there is none but an installed program has one in its data folder
// (../share/orvane from the program's bin folder), that one.
QString HelpFilePath(const QString& programDir);
// The same for the program file's own folder, whatever the current directory.
QString HelpFilePath();

class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads helpFile and shows its contents page. Returns an empty text on
    // success; otherwise a message for the caller's box, and the window
    // stays as it was.
    QString ShowContents(const QString& helpFile);
    QString ShowContents() { return ShowContents(HelpFilePath()); }

    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
};
