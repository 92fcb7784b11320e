// The value editor dialog. Enter in the field only moves on to the Ok
// button, so that one stray Enter never stores a half-typed value; neither
// button is a default button, and Enter presses the button that has the
// focus.
#include "ui/form_value.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "ui/value_text.h"

namespace {

constexpr int kClientWidth = 277;
constexpr int kClientHeight = 113;
constexpr int kBitBoxSize = 13;
constexpr int kLabelTop = 40;
constexpr int kCheckBoxTop = 56;
constexpr int kWordBound = 65535;
constexpr int kByteBound = 255;

// Bit 0 stands at the right; the two bytes are set apart by 8 extra pixels.
int BitLeft(int bit)
{
    return bit < 8 ? 256 - 16 * bit : 120 - 16 * (bit - 8);
}

} // namespace

TFormValue::TFormValue(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormValue"));
    setWindowTitle(QStringLiteral("Modify Value..."));
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);

    // Created in tab order: the focus chain follows creation.
    m_btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    m_btnOk->setObjectName(QStringLiteral("BtnOK"));
    m_btnOk->setGeometry(8, 80, 85, 25);
    m_btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));
    m_btnCancel->setGeometry(184, 80, 85, 25);
    for (QPushButton* button : {m_btnOk, m_btnCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_editValore = new QLineEdit(this);
    m_editValore->setObjectName(QStringLiteral("EditValore"));
    m_editValore->move(76, 8);
    m_editValore->resize(73, m_editValore->sizeHint().height());
    m_editValore->installEventFilter(this);

    m_lblValore = new QLabel(QStringLiteral("DEC Value:"), this);
    m_lblValore->setObjectName(QStringLiteral("LblValore"));
    // Right edge fixed at 69; a font wider than the designed one grows the
    // label to the left rather than clipping its text.
    const int labelWidth =
        std::clamp(m_lblValore->fontMetrics().horizontalAdvance(m_lblValore->text()) + 2, 57, 69);
    m_lblValore->setGeometry(69 - labelWidth, 12, labelWidth, 17);
    m_lblValore->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblValore->setBuddy(m_editValore);

    for (int bit = 0; bit < kBits; ++bit) {
        auto* label = new QLabel(QString::number(bit), this);
        label->setObjectName(QStringLiteral("Label%1").arg(bit + 1));
        label->setGeometry(BitLeft(bit), kLabelTop, kBitBoxSize, kBitBoxSize);
        label->setAlignment(Qt::AlignCenter);
        m_labels[bit] = label;

        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(bit + 1));
        box->setGeometry(BitLeft(bit), kCheckBoxTop, kBitBoxSize, kBitBoxSize);
        // A click gives the box the focus, Tab skips it.
        box->setFocusPolicy(Qt::ClickFocus);
        m_checkBoxes[bit] = box;
        connect(box, &QCheckBox::clicked, this, [this, box] { CheckBox1Click(box); });
    }

    setTabOrder(m_btnOk, m_btnCancel);
    setTabOrder(m_btnCancel, m_editValore);

    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_editValore, &QLineEdit::textChanged, this, [this] { EditValoreChange(); });

    ApplyBitWidth();
    m_editValore->setText(QStringLiteral("0"));
}

void TFormValue::SetBitWidth(int bitWidth)
{
    m_bitWidth = bitWidth;
    ApplyBitWidth();
}

int TFormValue::upperBound() const
{
    return m_bitWidth > 15 ? kWordBound : kByteBound;
}

QCheckBox* TFormValue::CheckBox(int n) const
{
    return n >= 1 && n <= kBits ? m_checkBoxes[n - 1] : nullptr;
}

QLabel* TFormValue::Label(int n) const
{
    return n >= 1 && n <= kBits ? m_labels[n - 1] : nullptr;
}

void TFormValue::ApplyBitWidth()
{
    const bool word = m_bitWidth >= 16;
    for (int bit = 8; bit < kBits; ++bit)
        m_checkBoxes[bit]->setEnabled(word);
    m_editValore->setMaxLength(word ? 5 : 3);
}

void TFormValue::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormValue::FormShow()
{
    ApplyBitWidth();
    CentreOnScreen();
    m_editValore->setFocus(Qt::OtherFocusReason);
    m_editValore->selectAll();
}

void TFormValue::CentreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TFormValue::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No default button: Enter presses only a button that has the focus.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            m_btnCancel->click();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool TFormValue::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editValore) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (EditValoreKeyDown(key) || EditValoreKeyPress(key))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            EditValoreExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFormValue::EditValoreKeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (QWidget* next = NextTabStop(m_editValore))
        next->setFocus(Qt::TabFocusReason);
    return true;
}

bool TFormValue::EditValoreKeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    for (const QChar c : text) {
        if (c.isLetter() || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

QWidget* TFormValue::NextTabStop(QWidget* from) const
{
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (w->window() != this)
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled()
            && w->isVisibleTo(const_cast<TFormValue*>(this)))
            return w;
    }
    return nullptr;
}

void TFormValue::SetTextIfDifferent(const QString& text)
{
    if (m_editValore->text() != text)
        m_editValore->setText(text);
}

void TFormValue::ClampText()
{
    if (ReadDecimal(m_editValore->text()) <= 0)
        SetTextIfDifferent(QStringLiteral("0"));
    if (ReadDecimal(m_editValore->text()) > upperBound())
        SetTextIfDifferent(QString::number(upperBound()));
}

void TFormValue::EditValoreChange()
{
    ClampText();
    const int value = ReadDecimal(m_editValore->text());
    for (int bit = 0; bit < kBits; ++bit)
        m_checkBoxes[bit]->setChecked(((value >> bit) & 1) != 0);
}

void TFormValue::EditValoreExit()
{
    ClampText();
}

void TFormValue::CheckBox1Click(QCheckBox* box)
{
    // Only the operator's click counts, and that gives the box the focus.
    if (focusWidget() != box)
        return;
    int value = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        if (m_checkBoxes[bit]->isChecked())
            value |= 1 << bit;
    }
    m_editValore->setText(QString::asprintf("%d", value));
}
