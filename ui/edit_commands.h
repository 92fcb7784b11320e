// Modify, Clear and Default: the operator's changes to the memory image.
// Modify and Clear act on the active page; Default resets the whole image.
#pragma once

#include <QString>
#include <functional>

class MemoryViews;
class PlcImage;
class TFormValue;
class QWidget;

class EditCommands
{
public:
    // Asks a Yes/No question with the caption "Warning..."; true for Yes.
    using Question = std::function<bool(const QString& text)>;

    EditCommands(PlcImage& image, MemoryViews& views, TFormValue& valueEditor, QWidget* window);

    void EditModifyExecute();
    void EditClearExecute();
    void EmulationDefaultExecute();

    // Replaces the message box, for tests.
    void SetQuestion(Question question) { m_question = std::move(question); }

private:
    PlcImage& m_image;
    MemoryViews& m_views;
    TFormValue& m_valueEditor;
    Question m_question;
};
