#pragma once
// The primes window: is a number prime, the n-th prime, the primes between
// two bounds (in the window or to a text file), the prime factors and the
// divisors of a number. Long searches run in chunks on this thread: between
// chunks the window shows its progress (at most every 50 ms), repaints and
// lets the user cancel with Esc.
#include "services/toolwindow.h"
#include "tools/primos/primo.h"

#include <QString>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;
class TAreaFondo;

class TfmPrimos : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmPrimos");

    TfmPrimos(ToolHost& host, QWidget* parent);
    ~TfmPrimos() override;

    void ApplyAppearance() override;
    int HelpContext() const { return 28; }
    // True while an operation runs.
    bool Busy() const { return m_busy; }

    // The question for the lower bound of a list (the desktop's input box
    // unless replaced): false when cancelled.
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;
    // Help by context number (F1 and the help button).
    std::function<void(int context)> OnHelp;

    TAreaFondo* AreaFondo1 = nullptr;
    QLabel* Label2 = nullptr;          // "Número entero:"
    QLineEdit* Edit1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;   // the n-th prime
    QToolButton* SpeedButton2 = nullptr;   // is it prime?
    QToolButton* SpeedButton3 = nullptr;   // primes between
    QToolButton* SpeedButton4 = nullptr;   // prime factors
    QToolButton* SpeedButton5 = nullptr;   // divisors
    QToolButton* SpeedButton9 = nullptr;   // help
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label1 = nullptr;          // how many results; the spinner of a factor search
    QLabel* Label3 = nullptr;          // status: Esc, elapsed time, cancelled
    QLabel* Label4 = nullptr;          // progress and summary
    QProgressBar* pb = nullptr;

public slots:
    void btnEsPrimoClick();
    void btnPrimoNClick();
    void PrimosEntreClick();
    void FactoresPrimosClick();
    void SpeedButton5Click();
    void SpeedButton9Click();
    void Edit1Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Runs one operation from a button: a second one never starts while one
    // runs, and what it raises ends at this boundary (the cancellation
    // silently, anything else in the application's error box).
    void Run(const std::function<void()>& operation);
    void StartOperation();
    // Progress bar hidden, normal cursor, the list shown again.
    void EndSteps();
    void ShowElapsed();
    // Between chunks: at most every 50 ms the progress is shown and Esc is
    // read; a confirmed Esc raises the silent abort.
    void Report(const primos::TPrimeReport& r);
    void CancelRequested();
    void SetWaitCursor(bool on);
    void HideList(bool hidden);
    void AddLines(const QStringList& lines);
    // A number of the entry; false (after the box) when it is none.
    bool ReadOrSay(std::int64_t& n);
    void ListPrimesToFile(std::int64_t m0, std::int64_t n);
    QString Summary(std::int64_t count, std::int64_t m0, std::int64_t n) const;

    bool m_busy = false;
    bool m_waitCursor = false;
    std::uint32_t m_lastShown = 0;
    int m_spin = 0;
    int m_lines = 0;
};
