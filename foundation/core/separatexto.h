#pragma once
// Walks through a text field by field; any character of Separators ends a
// field, and a field between double quotes loses them.
#include <QString>

class TSeparaTexto {
public:
    TSeparaTexto();

    void SetText(const QString& text);
    void SetSeparators(const QString& separators);
    void Restart();
    // Delivers the current field and moves to the next one.
    void Next(QString& field);

    const QString& Text() const { return Text_; }
    const QString& Separators() const { return Separators_; }
    const QString& Token() const { return Token_; }
    bool AtEnd() const { return AtEnd_; }

    bool StripQuotes = true;

private:
    void Advance();

    int Position_ = 1;
    QString Text_;
    QString Token_;
    QString Separators_;
    bool AtEnd_ = false;
};
