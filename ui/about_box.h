// TAboutBox: the modal "About..." dialog with the program's icon, name,
// version (read from the program file's version record each time it is
// shown), maker lines and the mail and web links.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TKivURLLabel;

class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    // The program file whose version record gives the version line, found
    // beside the running program first and then along PATH.
    static constexpr const char* kProgramFileName = "orvane";

    explicit TAboutBox(QWidget* parent = nullptr);

    // Another program file to read the version from: an absolute path is used
    // as it is, a bare name is looked for like the default one.
    void SetProgramFileName(const QString& name);
    QString ProgramFileName() const { return m_programFileName; }

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void FormShow();

    // The controls carry their names as object names ("Version", "OKButton"...).
    QLabel* m_version = nullptr;
    QPushButton* m_okButton = nullptr;

    QString m_programFileName = QString::fromLatin1(kProgramFileName);
};
