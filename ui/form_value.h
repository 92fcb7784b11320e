// The value editor: a small modal dialog in which the operator enters one new
// value for a word cell (16 bits) or a byte cell (8 bits), in decimal or bit
// by bit. The text and the sixteen check boxes stay in step, and every entry
// is kept between 0 and the cell's upper bound, so that the caller can store
// the result of an accepted dialog without further checks.
//
// Calling protocol: SetBitWidth(16 or 8), EditValore()->setText(value in
// decimal), exec(); on Accepted read EditValore()->text() as a decimal.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

class TFormValue : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kBits = 16;

    explicit TFormValue(QWidget* parent = nullptr);

    int bitWidth() const { return m_bitWidth; }
    // 16 for a word cell, 8 for a byte cell. Takes effect at once (character
    // limit, enabled upper bits, bound of the change handling), so that a
    // value set right after it is not cut to a previous cell's limit.
    void SetBitWidth(int bitWidth);
    // 65535 for a bit width above 15, else 255.
    int upperBound() const;

    QLineEdit* EditValore() const { return m_editValore; }
    QPushButton* BtnOK() const { return m_btnOk; }
    QPushButton* BtnCancel() const { return m_btnCancel; }
    // n = 1 to 16; check box n and label n stand for bit n - 1.
    QCheckBox* CheckBox(int n) const;
    QLabel* Label(int n) const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void ApplyBitWidth();
    void CentreOnScreen();
    // Both return true when the key is consumed.
    bool EditValoreKeyDown(QKeyEvent* event);
    bool EditValoreKeyPress(QKeyEvent* event);
    void EditValoreChange();
    void EditValoreExit();
    void CheckBox1Click(QCheckBox* box);
    void ClampText();
    void SetTextIfDifferent(const QString& text);
    QWidget* NextTabStop(QWidget* from) const;

    int m_bitWidth = kBits;
    QLabel* m_lblValore = nullptr;
    QLineEdit* m_editValore = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
    std::array<QLabel*, kBits> m_labels{};
    std::array<QCheckBox*, kBits> m_checkBoxes{};
};
