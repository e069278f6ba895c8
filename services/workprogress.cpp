#include "services/workprogress.h"

#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "platform/keystate.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>

namespace {
constexpr std::uint32_t kReportInterval = 100;   // ms between two progress displays (and Esc readings)
}

TWorkProgress::TWorkProgress(QLabel* label) : m_label(label), m_lastReport(TickCount()) {}

TWorkProgress::~TWorkProgress()
{
    if (m_waiting)
        QApplication::restoreOverrideCursor();
}

void TWorkProgress::operator()(double done)
{
    if (!m_waiting) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waiting = true;
    }
    const std::uint32_t now = TickCount();
    if (now - m_lastReport < kReportInterval)
        return;
    m_lastReport = now;
    m_label->setText(Format(QStringLiteral("Calculando... %d%%   <Esc> para cancelar"),
                            {static_cast<int>(std::clamp(done, 0.0, 1.0) * 100)}));
    m_label->repaint();
    if (IsKeyDown(vk::Escape)) {
        m_label->setText(QStringLiteral("Cálculo cancelado"));
        throw EAbort();
    }
}
