#include "ui/edit_commands.h"

#include <QLineEdit>
#include <QMessageBox>

#include "components/kiv_grid.h"
#include "core/plc_image.h"
#include "ui/form_value.h"
#include "ui/memory_views.h"
#include "ui/value_text.h"

EditCommands::EditCommands(PlcImage& image, MemoryViews& views, TFormValue& valueEditor,
                           QWidget* window)
    : m_image(image), m_views(views), m_valueEditor(valueEditor)
{
    m_question = [window](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Warning..."), text,
                        QMessageBox::Yes | QMessageBox::No, window);
        return box.exec() == QMessageBox::Yes;
    };
}

void EditCommands::EditModifyExecute()
{
    const MemoryViews::Page page = m_views.activePage();
    TKivGrid* grid = m_views.grid(page);
    if (!grid)
        return;
    const int r = grid->GetRow();
    const int dataRows = page == MemoryViews::MerkerPage ? PlcImage::kMerkers : PlcImage::kWordCells;
    if (r < 1 || r > dataRows)
        return;
    const int db = page == MemoryViews::DataBlockPage ? m_views.dbNumber() : 0;

    const PlcArea area = MemoryViews::areaOf(page);
    m_valueEditor.SetBitWidth(PlcImage::IsWordArea(area) ? 16 : 8);
    m_valueEditor.EditValore()->setText(grid->GetCellText(1, r));
    if (m_valueEditor.exec() != QDialog::Accepted)
        return;
    if (page == MemoryViews::DataBlockPage && (db < 0 || db > MemoryViews::kHighestDb))
        return;

    const int value = ReadDecimal(m_valueEditor.EditValore()->text());
    if (page == MemoryViews::DataBlockPage)
        m_image.WriteDbWord(db, r - 1, value);
    else
        m_image.WriteCell(area, r - 1, value);
}

void EditCommands::EditClearExecute()
{
    const MemoryViews::Page page = m_views.activePage();
    QString question;
    int db = 0;
    switch (page) {
    case MemoryViews::DataBlockPage:
        db = m_views.dbNumber();
        if (db < 0 || db > MemoryViews::kHighestDb)
            return;
        question = QStringLiteral("Clear all DB%1 ?").arg(db);
        break;
    case MemoryViews::TimerPage: question = QStringLiteral("Clear all Timers?"); break;
    case MemoryViews::CounterPage: question = QStringLiteral("Clear all Counters?"); break;
    case MemoryViews::MerkerPage: question = QStringLiteral("Clear all Merkers?"); break;
    case MemoryViews::InputPage: question = QStringLiteral("Clear all Inputs?"); break;
    case MemoryViews::OutputPage: question = QStringLiteral("Clear all Outputs?"); break;
    case MemoryViews::SystemPage: return;
    }
    if (!m_question(question))
        return;
    if (page == MemoryViews::DataBlockPage)
        m_image.ClearDb(db);
    else
        m_image.ClearArea(MemoryViews::areaOf(page));
}

void EditCommands::EmulationDefaultExecute()
{
    m_image.ResetToDefaults();
    m_views.Edit1Change();
    m_views.SetUpAddressFields();
}
