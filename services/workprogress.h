#pragma once
// A tool window's long work shown on one of its labels: the wait cursor from
// the first report on, "Calculando... n%   <Esc> para cancelar" at most every
// 100 ms, and Esc read at each of those moments stops the work with
// "Cálculo cancelado" (EAbort). The cursor comes back when the object goes.
#include <cstdint>

class QLabel;

class TWorkProgress {
public:
    explicit TWorkProgress(QLabel* label);
    ~TWorkProgress();
    TWorkProgress(const TWorkProgress&) = delete;
    TWorkProgress& operator=(const TWorkProgress&) = delete;

    // `done` from 0 to 1.
    void operator()(double done);

private:
    QLabel* m_label;
    std::uint32_t m_lastReport;
    bool m_waiting = false;
};
