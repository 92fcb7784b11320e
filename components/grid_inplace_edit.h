// The line editor that a grid shows over its current cell while editing.
// Navigation keys go back to the grid; every typed character passes the
// grid's KeyPress first, which may change or swallow it.
#pragma once

#include <QLineEdit>

class TKivCustomGrid;

class GridInplaceEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit GridInplaceEdit(TKivCustomGrid* grid);

    // Cuts the tie to the grid while the grid is being destroyed.
    void detachGrid() { m_grid = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    TKivCustomGrid* m_grid = nullptr;
};
