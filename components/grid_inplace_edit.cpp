// The grid's in-place line editor.
#include "components/grid_inplace_edit.h"

#include "components/kiv_custom_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

GridInplaceEdit::GridInplaceEdit(TKivCustomGrid* grid) : QLineEdit(grid), m_grid(grid)
{
    setFrame(false);
    hide();
}

void GridInplaceEdit::keyPressEvent(QKeyEvent* e)
{
    if (m_grid == nullptr) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        int key = e->key();
        m_grid->KeyDown(key, e->modifiers());
        return;
    }
    default:
        break;
    }
    const QChar typed = TKivCustomGrid::keyCharOf(*e);
    if (typed.isNull()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QChar key = typed;
    const QPointer<GridInplaceEdit> self(this);
    m_grid->KeyPress(key);
    if (self.isNull() || key.isNull())
        return;
    const char16_t k = key.unicode();
    if (k >= 32 && !m_grid->CanEditAcceptKey(key))
        return;
    if (k == 9 || k == 13 || k == 27)
        return;
    if (isHidden())
        return;  // the key ended editing
    if (key == typed) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QKeyEvent changed(QEvent::KeyPress, k == 8 ? Qt::Key_Backspace : 0, e->modifiers(),
                      QString(key));
    QLineEdit::keyPressEvent(&changed);
}

void GridInplaceEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (isHidden() || m_grid == nullptr)
        return;
    m_grid->editorLostFocus(QApplication::focusWidget());
}
