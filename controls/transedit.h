#pragma once
// An edit and a memo whose text can be aligned and whose background can show
// through to the parent.
#include "controls/events.h"
#include "engine/canvas.h"

#include <QLineEdit>
#include <QPlainTextEdit>

// The alignment, transparency and colour the two boxes share; a change that
// differs from the stored value is applied through applyLook.
class TTransLook {
public:
    TAlignment AlignText() const { return m_align; }
    void setAlignText(TAlignment a);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    TColor Color() const { return m_color; }
    void setColor(TColor c);

protected:
    TTransLook() = default;
    ~TTransLook() = default;
    // Shows the stored look on the box.
    virtual void applyLook() = 0;

    TAlignment m_align = taLeftJustify;
    bool m_transparent = false;
    TColor m_color = clWhite;
};

class TTransEdit : public QLineEdit, public TTransLook {
    Q_OBJECT
public:
    explicit TTransEdit(QWidget* parent = nullptr);

protected:
    void applyLook() override;
};

class TTransMemo : public QPlainTextEdit, public TTransLook {
    Q_OBJECT
public:
    explicit TTransMemo(QWidget* parent = nullptr);

protected:
    void applyLook() override;
};
