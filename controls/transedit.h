#pragma once
// An edit and a memo whose text can be aligned and whose background can show
// through to the parent.
#include "controls/events.h"
#include "engine/canvas.h"

#include <QLineEdit>
#include <QPlainTextEdit>

class TTransEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TTransEdit(QWidget* parent = nullptr);

    TAlignment AlignText() const { return m_align; }
    void setAlignText(TAlignment a);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TColor Color() const { return m_color; }
    void setColor(TColor c);

private:
    void applyLook();

    TAlignment m_align = taLeftJustify;
    bool m_transparent = false;
    TColor m_color = clWhite;
};

class TTransMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TTransMemo(QWidget* parent = nullptr);

    TAlignment AlignText() const { return m_align; }
    void setAlignText(TAlignment a);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TColor Color() const { return m_color; }
    void setColor(TColor c);

private:
    void applyLook();

    TAlignment m_align = taLeftJustify;
    bool m_transparent = false;
    TColor m_color = clWhite;
};

// The Qt alignment of a text alignment.
Qt::Alignment ToQtAlignment(TAlignment a);
