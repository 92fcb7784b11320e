// Field handlers follow one rule: a text set from the program runs the
// field's change handling like typing, so a clamped value is shown and
// stored the same way an operator's entry is.
#include "ui/memory_views.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "components/kiv_grid.h"
#include "core/plc_image.h"
#include "ui/up_down_buttons.h"
#include "ui/value_text.h"

namespace {

constexpr int kGridTop = 28;
constexpr int kColWidths[] = {64, 77, 76, 75, 162};

// Lets through backspace, the full stop and the digits; every other typed
// character is dropped before it reaches the field.
class NumberKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || key->key() == Qt::Key_Backspace)
            return false;
        const QChar c = text.at(0);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;  // editing and shortcut keys, not characters
        return !(c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')));
    }
};

// A page whose grid fills everything below its row of controls.
class GridPage : public QWidget
{
public:
    using QWidget::QWidget;
    QWidget* grid = nullptr;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (grid)
            grid->setGeometry(0, kGridTop, width(), std::max(0, height() - kGridTop));
    }
};

// Places a right-aligned label before a field designed to start at fieldX
// and returns where the field goes. With the designed font the layout is
// the designed one; a wider desktop font pushes the row to the right
// instead of cutting the labels. cursor is the right end of the row so far.
int AddLabel(QWidget* page, const QString& text, int x, int y, int fieldX, int& cursor)
{
    auto* label = new QLabel(text, page);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int left = std::max(x, cursor);
    const int needed = label->sizeHint().width();
    const int field = std::max(fieldX, left + needed + 4);
    label->setGeometry(left, y - 4, field - 4 - left, 21);
    return field;
}

const char* const kHeaders[] = {"DWord", "Timer", "Counter", "Merker", "Input", "Output"};

} // namespace

MemoryViews::MemoryViews(PlcImage& image, QTabWidget* pages)
    : QObject(pages), m_image(image), m_pages(pages)
{
    m_pages->addTab(BuildDataBlockPage(), QStringLiteral("Data Block"));
    m_pages->addTab(BuildAreaPage(TimerPage, QStringLiteral("Timer")), QStringLiteral("Timer"));
    m_pages->addTab(BuildAreaPage(CounterPage, QStringLiteral("Counter")), QStringLiteral("Counter"));
    m_pages->addTab(BuildAreaPage(MerkerPage, QStringLiteral("Merker")), QStringLiteral("Merker"));
    m_pages->addTab(BuildAreaPage(InputPage, QStringLiteral("Input")), QStringLiteral("Input"));
    m_pages->addTab(BuildAreaPage(OutputPage, QStringLiteral("Output")), QStringLiteral("Output"));
    m_pages->addTab(BuildSystemPage(), QStringLiteral("System"));
    m_pages->setCurrentIndex(DataBlockPage);
}

QLineEdit* MemoryViews::BuildNumberField(QWidget* page, int x, int width, int maxLength)
{
    auto* field = new QLineEdit(page);
    field->setGeometry(x, 4, width, 21);
    field->setMaxLength(maxLength);
    field->installEventFilter(new NumberKeyFilter(field));
    return field;
}

TKivGrid* MemoryViews::BuildGrid(QWidget* page, int rows)
{
    auto* grid = new TKivGrid(page);
    grid->SetColCount(5);
    grid->SetRowCount(rows);
    grid->SetFixedCols(0);
    grid->SetDefaultRowHeight(18);
    for (int c = 0; c < 5; ++c)
        grid->SetColWidths(c, kColWidths[c]);
    grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    grid->SetColor(clBtnFace);
    KivFont focusFont = defaultKivFont();
    focusFont.color = clWhite;
    grid->SetFocusFont(focusFont);
    KivFont fixedFont = defaultKivFont();
    fixedFont.color = clWindowText;
    fixedFont.font.setBold(true);
    grid->SetFixedFont(fixedFont);
    grid->setGeometry(0, kGridTop, 785, 453);
    grid->OnDblClick = [this](TKivGrid*) { emit modifyRequested(); };
    grid->OnKeyPress = [this](TKivGrid*, QChar& key) {
        if (key == QChar(13))
            emit modifyRequested();
    };
    static_cast<GridPage*>(page)->grid = grid;
    return grid;
}

QWidget* MemoryViews::BuildDataBlockPage()
{
    auto* page = new GridPage;
    int cursor = 0;
    int x = AddLabel(page, QStringLiteral("DB Number:"), 8, 8, 68, cursor);
    m_edits[1] = BuildNumberField(page, x, 37, 3);
    m_edits[1]->setText(QStringLiteral("1"));
    m_upDown = new UpDownButtons(m_edits[1], page);
    m_upDown->setGeometry(x + 37, 4, 15, 21);
    cursor = x + 37 + 15 + 8;
    m_upDown->SetRange(1, kHighestDb);
    // The Up and Down keys in the field step the number too.
    class StepKeys : public QObject
    {
    public:
        StepKeys(UpDownButtons* upDown) : QObject(upDown), m_upDown(upDown) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() != QEvent::KeyPress)
                return false;
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Up && key != Qt::Key_Down)
                return false;
            m_upDown->Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
        UpDownButtons* m_upDown;
    };
    m_edits[1]->installEventFilter(new StepKeys(m_upDown));

    x = AddLabel(page, QStringLiteral("Address:"), 128, 8, 176, cursor);
    m_edits[2] = BuildNumberField(page, x, 65, 5);
    cursor = x + 65 + 8;
    x = AddLabel(page, QStringLiteral("State:"), 252, 8, 296, cursor);
    m_comboBoxes[1] = new QComboBox(page);
    m_comboBoxes[1]->setGeometry(x, 4, 93, 21);
    cursor = x + 93 + 8;
    m_comboBoxes[1]->addItems({QStringLiteral("Not Exist"), QStringLiteral("Exist")});
    x = AddLabel(page, QStringLiteral("Words:"), 396, 8, 436, cursor);
    m_edits[8] = BuildNumberField(page, x, 37, 3);
    m_edits[8]->setText(QStringLiteral("128"));
    m_grids[DataBlockPage] = BuildGrid(page, 129);

    connect(m_edits[1], &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(m_edits[2], &QLineEdit::textChanged, this, [this] {
        const int address = ClampField(m_edits[2], 1, 65535);
        const int db = dbNumber();
        if (db >= 0 && db <= kHighestDb)
            m_image.SetDbStart(db, address);
    });
    connect(m_edits[8], &QLineEdit::textChanged, this, [this] {
        const int words = ClampField(m_edits[8], 1, PlcImage::kDbWords);
        const int db = dbNumber();
        if (db >= 0 && db <= kHighestDb)
            m_image.SetDbLength(db, words);
    });
    connect(m_comboBoxes[1], &QComboBox::activated, this, [this](int index) {
        const int db = dbNumber();
        if (db >= 0 && db <= kHighestDb)
            m_image.SetDbExists(db, index > 0);
    });
    return page;
}

QWidget* MemoryViews::BuildAreaPage(Page which, const QString&)
{
    auto* page = new GridPage;
    const int n = 3 + (which - TimerPage);  // Edit3 .. Edit7
    int cursor = 0;
    const int x = AddLabel(page, QStringLiteral("Address:"), 8, 8, 60, cursor);
    m_edits[n] = BuildNumberField(page, x, 65, 5);
    m_grids[which] = BuildGrid(page, which == MerkerPage ? 257 : 129);
    connect(m_edits[n], &QLineEdit::textChanged, this, [this, n] { AreaAddressChange(n); });
    return page;
}

QWidget* MemoryViews::BuildSystemPage()
{
    auto* page = new QWidget;
    // Both lists line up under the wider of the two labels.
    int cursor = 0;
    const int x = std::max(AddLabel(page, QStringLiteral("PLC Status:"), 8, 12, 88, cursor),
                           AddLabel(page, QStringLiteral("Battery Status:"), 8, 36, 88, cursor));
    m_comboBoxes[2] = new QComboBox(page);
    m_comboBoxes[2]->setGeometry(x, 8, 89, 21);
    m_comboBoxes[2]->addItems({QStringLiteral("RUN"), QStringLiteral("STOP")});
    m_comboBoxes[3] = new QComboBox(page);
    m_comboBoxes[3]->setGeometry(x, 32, 89, 21);
    m_comboBoxes[3]->addItems({QStringLiteral("OK"), QStringLiteral("FAULT")});
    connect(m_comboBoxes[2], &QComboBox::activated, this,
            [this](int index) { m_image.SetRunning(index == 0); });
    connect(m_comboBoxes[3], &QComboBox::activated, this,
            [this](int index) { m_image.SetBatteryOk(index == 0); });
    return page;
}

int MemoryViews::ClampField(QLineEdit* field, int low, int high)
{
    if (ReadDecimal(field->text()) <= 0)
        field->setText(QString::number(low));
    if (ReadDecimal(field->text()) > high)
        field->setText(QString::number(high));
    return ReadDecimal(field->text());
}

void MemoryViews::AreaAddressChange(int n)
{
    static constexpr PlcArea kAreas[] = {PlcArea::T, PlcArea::Z, PlcArea::MB, PlcArea::EB,
                                         PlcArea::AB};
    const int address = ClampField(m_edits[n], 1, 65535);
    m_image.SetAreaBase(kAreas[n - 3], address);
}

void MemoryViews::Edit1Change()
{
    ClampField(m_edits[1], 1, kHighestDb);
    const int d = dbNumber();
    if (d < 1 || d > kHighestDb)
        return;
    const DbDirectoryEntry entry = m_image.DbEntry(d);
    m_edits[2]->setText(QString::number(entry.start));
    m_comboBoxes[1]->setCurrentIndex(entry.exists ? 1 : 0);
    m_edits[8]->setText(QString::number(entry.length));
    TKivGrid* grid = m_grids[DataBlockPage];
    for (int w = 0; w < PlcImage::kDbWords; ++w) {
        grid->SetCellText(0, w + 1, QString::number(w));
        WriteRow(grid, w + 1, m_image.ReadDbWord(d, w), true);
    }
}

void MemoryViews::SetUpGrids()
{
    for (int g = 0; g < kGridCount; ++g) {
        TKivGrid* grid = m_grids[g];
        const QString headers[] = {QString::fromLatin1(kHeaders[g]), QStringLiteral("DEC Value"),
                                   QStringLiteral("HEX Value"), QStringLiteral("BCD Value"),
                                   QStringLiteral("BIN Value")};
        for (int c = 0; c < 5; ++c)
            grid->SetCellText(c, 0, headers[c]);
        const int cells = g == MerkerPage ? PlcImage::kMerkers : PlcImage::kWordCells;
        for (int r = 0; r < cells; ++r)
            grid->SetCellText(0, r + 1, QString::number(r));
    }
}

void MemoryViews::SetUpAddressFields()
{
    m_edits[3]->setText(QString::number(m_image.AreaBase(PlcArea::T)));
    m_edits[4]->setText(QString::number(m_image.AreaBase(PlcArea::Z)));
    m_edits[5]->setText(QString::number(m_image.AreaBase(PlcArea::MB)));
    m_edits[6]->setText(QString::number(m_image.AreaBase(PlcArea::EB)));
    m_edits[7]->setText(QString::number(m_image.AreaBase(PlcArea::AB)));
}

void MemoryViews::WriteRow(TKivGrid* grid, int row, int32_t value, bool word)
{
    const CellTexts texts = FormatCell(value, word);
    grid->SetCellText(1, row, texts.dec);
    grid->SetCellText(2, row, texts.hex);
    grid->SetCellText(3, row, texts.bcd);
    grid->SetCellText(4, row, texts.bin);
}

void MemoryViews::UpdateRow(TKivGrid* grid, int row, int32_t value, bool word)
{
    const QString shown = grid->GetCellText(1, row);
    if (!shown.isEmpty() && ReadDecimal(shown) == value)
        return;
    WriteRow(grid, row, value, word);
}

void MemoryViews::RefreshViews()
{
    const int d = dbNumber();
    for (int r = 0; r < PlcImage::kWordCells; ++r) {
        if (d >= 0 && d <= kHighestDb)
            UpdateRow(m_grids[DataBlockPage], r + 1, m_image.ReadDbWord(d, r), true);
        UpdateRow(m_grids[TimerPage], r + 1, m_image.ReadCell(PlcArea::T, r), true);
        UpdateRow(m_grids[CounterPage], r + 1, m_image.ReadCell(PlcArea::Z, r), true);
        UpdateRow(m_grids[InputPage], r + 1, m_image.ReadCell(PlcArea::EB, r), false);
        UpdateRow(m_grids[OutputPage], r + 1, m_image.ReadCell(PlcArea::AB, r), false);
    }
    for (int r = 0; r < PlcImage::kMerkers; ++r)
        UpdateRow(m_grids[MerkerPage], r + 1, m_image.ReadCell(PlcArea::MB, r), false);

    auto follow = [](QComboBox* list, int wanted) {
        if (list->currentIndex() != wanted && !list->view()->isVisible())
            list->setCurrentIndex(wanted);
    };
    follow(m_comboBoxes[2], m_image.IsRunning() ? 0 : 1);
    follow(m_comboBoxes[3], m_image.IsBatteryOk() ? 0 : 1);
}

MemoryViews::Page MemoryViews::activePage() const
{
    return static_cast<Page>(m_pages->currentIndex());
}

TKivGrid* MemoryViews::grid(Page page) const
{
    return page >= DataBlockPage && page <= OutputPage ? m_grids[page] : nullptr;
}

PlcArea MemoryViews::areaOf(Page page)
{
    switch (page) {
    case DataBlockPage: return PlcArea::DB;
    case TimerPage: return PlcArea::T;
    case CounterPage: return PlcArea::Z;
    case MerkerPage: return PlcArea::MB;
    case InputPage: return PlcArea::EB;
    case OutputPage: return PlcArea::AB;
    case SystemPage: break;
    }
    return PlcArea::None;
}

int MemoryViews::dbNumber() const
{
    return ReadDecimal(m_edits[1]->text());
}

QLineEdit* MemoryViews::edit(int n) const
{
    return n >= 1 && n <= 8 ? m_edits[n] : nullptr;
}

QComboBox* MemoryViews::comboBox(int n) const
{
    return n >= 1 && n <= 3 ? m_comboBoxes[n] : nullptr;
}
