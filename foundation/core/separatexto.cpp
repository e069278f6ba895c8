#include "foundation/core/separatexto.h"

TSeparaTexto::TSeparaTexto() : Separators_(QStringLiteral("\t")) {}

void TSeparaTexto::SetText(const QString& text)
{
    Text_ = text;
    Restart();
}

void TSeparaTexto::SetSeparators(const QString& separators)
{
    Separators_ = separators;
    Restart();
}

void TSeparaTexto::Restart()
{
    Position_ = 1;
    AtEnd_ = false;
    Advance();
}

void TSeparaTexto::Next(QString& field)
{
    field = Token_;
    Advance();
}

// The end is decided by where the current field starts, so a separator at the
// very end gives no extra empty field, while empty fields inside are kept.
void TSeparaTexto::Advance()
{
    if (Text_.isEmpty())
        AtEnd_ = true;
    if (AtEnd_) {
        Token_.clear();
        return;
    }
    const qsizetype len = Text_.size();
    const qsizetype start = Position_ - 1; // 0-based
    qsizetype j = 0;
    while (start + j < len && !Separators_.contains(Text_[start + j]))
        ++j;
    if (StripQuotes && j > 0 && Text_[start] == '"' && Text_[start + j - 1] == '"')
        Token_ = j >= 2 ? Text_.mid(start + 1, j - 2) : QString();
    else
        Token_ = start < len ? Text_.mid(start, j) : QString();
    if (Position_ > len)
        AtEnd_ = true;
    Position_ += static_cast<int>(j) + 1;
}
