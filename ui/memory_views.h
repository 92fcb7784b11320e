// The seven pages of the main window: one grid per memory area with the
// value in four notations, the data block directory fields, the area base
// fields and the RUN/STOP and battery selectors. Every change the operator
// makes is written to the image at once; RefreshViews brings the grids and
// selectors back in step with the image, whoever changed it.
#pragma once

#include <QObject>
#include <array>

class PlcImage;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QWidget;
class TKivGrid;
class UpDownButtons;
enum class PlcArea;

class MemoryViews : public QObject
{
    Q_OBJECT

public:
    enum Page { DataBlockPage, TimerPage, CounterPage, MerkerPage, InputPage, OutputPage, SystemPage };
    static constexpr int kGridCount = 6;
    static constexpr int kHighestDb = 127;

    // Builds the pages into pages (the window's page control).
    MemoryViews(PlcImage& image, QTabWidget* pages);

    // Header rows and row numbers of the six grids.
    void SetUpGrids();
    // The five area Address fields get the current bases.
    void SetUpAddressFields();
    void RefreshViews();

    // Fills the "Data Block" page from the block in the DB number field.
    void Edit1Change();

    Page activePage() const;
    // Grid of a page (DataBlockPage to OutputPage), null for SystemPage.
    TKivGrid* grid(Page page) const;
    // The area of a grid page, PlcArea::DB for the data block page.
    static PlcArea areaOf(Page page);
    // The DB number field read as a number.
    int dbNumber() const;

    // Edit1 (DB number), Edit2 (Address), Edit8 (Words), Edit3..Edit7 (area addresses).
    QLineEdit* edit(int n) const;
    // ComboBox1 (State), ComboBox2 (PLC Status), ComboBox3 (Battery Status).
    QComboBox* comboBox(int n) const;
    UpDownButtons* upDown() const { return m_upDown; }

signals:
    // A double click on a grid, or Enter typed in it.
    void modifyRequested();

private:
    QWidget* BuildDataBlockPage();
    QWidget* BuildAreaPage(Page page, const QString& name);
    QWidget* BuildSystemPage();
    TKivGrid* BuildGrid(QWidget* page, int rows);
    QLineEdit* BuildNumberField(QWidget* page, int x, int width, int maxLength);
    void WriteRow(TKivGrid* grid, int row, int32_t value, bool word);
    void UpdateRow(TKivGrid* grid, int row, int32_t value, bool word);
    void AreaAddressChange(int n);
    int ClampField(QLineEdit* field, int low, int high);

    PlcImage& m_image;
    QTabWidget* m_pages;
    std::array<TKivGrid*, kGridCount> m_grids{};
    std::array<QLineEdit*, 9> m_edits{};       // index 1..8
    std::array<QComboBox*, 4> m_comboBoxes{};  // index 1..3
    UpDownButtons* m_upDown = nullptr;
};
