#pragma once
// The "Sabía que..." window: the tips of tips.ini one at a time, in an order
// drawn anew at each creation, each with a link to its help topic, and the
// switch that shows the window at start.
#include "controls/formmx.h"

#include <QList>
#include <QString>

#include <functional>

class QCheckBox;
class QEventLoop;
class QLabel;
class QPushButton;
class TfrmCalcu;
class TLinkLabel;

class TfmTips : public TFormMX {
    Q_OBJECT
public:
    explicit TfmTips(QWidget* parent = nullptr);
    ~TfmTips() override;

    static constexpr int kMaxTips = 99;

    // The number of tips (1 to 99).
    int Count() const { return m_count; }
    // Positions 1 to Count hold a permutation of the tip numbers.
    const QList<int>& Order() const { return m_order; }
    int Current() const { return m_current; }
    // The tip shown and its help context.
    const QString& TipText() const { return m_text; }
    int TipHelpContext() const { return m_context; }
    // The section of tip k: "TIP" and two digits.
    static QString SectionOf(int k);

    void ShowTip(int position);
    // Shown modally: returns when the window closes, with its result.
    int ShowModal();
    int ModalResult() const { return m_modalResult; }

    // Where "Mas información" sends the tip's help context.
    std::function<void(int context)> OnHelp;

    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    TLinkLabel* Label2 = nullptr;
    QWidget* Area1 = nullptr;
    QLabel* Image1 = nullptr;
    QCheckBox* chkUsa = nullptr;
    QPushButton* btnAnt = nullptr;
    QPushButton* btnSig = nullptr;
    QPushButton* btnCerrar = nullptr;

public slots:
    void btnAntClick();
    void btnSigClick();
    void btnCerrarClick();
    void Label2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Finish(int result);
    void PaintTip();

    int m_count = 4;
    QList<int> m_order;
    int m_current = 1;
    QString m_text;
    int m_context = 1;
    int m_modalResult = 0;
    QEventLoop* m_loop = nullptr;
};

// The tips file: "tips.ini" in ExeDir.
QString TipsFileName();
// The start-up's tips: shown modally when their box is ticked.
void ShowTipsAtStart();
// The main window's "Sabía que...".
void InstallTips(TfrmCalcu& main);
