#include "services/frmayuda.h"

#include "platform/shell.h"
#include "controls/toolbutton.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QPointer<TfmAyuda>& Instance()
{
    static QPointer<TfmAyuda> window;
    return window;
}

} // namespace

TfmAyuda::TfmAyuda(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmAyuda"));
    setWindowTitle(QStringLiteral("Ayuda de Sumbrix"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    btnContenido = MakeToolButton(this, "btnContenido", QStringLiteral("Contenido"), QStringLiteral("Primera página de la ayuda"));
    btnAtras = MakeToolButton(this, "btnAtras", QStringLiteral("Atrás"), QStringLiteral("Tema anterior"));
    btnAdelante = MakeToolButton(this, "btnAdelante", QStringLiteral("Adelante"), QStringLiteral("Tema siguiente"));
    bar->addWidget(btnContenido);
    bar->addWidget(btnAtras);
    bar->addWidget(btnAdelante);
    bar->addStretch(1);
    root->addLayout(bar);
    auto* split = new QSplitter(Qt::Horizontal, this);
    lstTemas = new QListWidget(split);
    lstTemas->setObjectName(QStringLiteral("lstTemas"));
    Browser = new QTextBrowser(split);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenLinks(false);
    split->addWidget(lstTemas);
    split->addWidget(Browser);
    split->setStretchFactor(1, 3);
    split->setSizes({180, 520});
    root->addWidget(split, 1);
    resize(720, 520);

    connect(Browser, &QTextBrowser::anchorClicked, this, &TfmAyuda::BrowserAnchorClicked);
    connect(lstTemas, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_current)
            Show(row, true);
    });
    connect(btnContenido, &QToolButton::clicked, this, [this] {
        const int first = m_file.TopicOfContext(1);
        Show(first >= 0 ? first : 0, true);
    });
    connect(btnAtras, &QToolButton::clicked, this, [this] {
        if (m_back.isEmpty())
            return;
        if (m_current >= 0)
            m_forward.append(m_current);
        Show(m_back.takeLast(), false);
    });
    connect(btnAdelante, &QToolButton::clicked, this, [this] {
        if (m_forward.isEmpty())
            return;
        if (m_current >= 0)
            m_back.append(m_current);
        Show(m_forward.takeLast(), false);
    });
    UpdateButtons();
}

bool TfmAyuda::OpenFile(const QString& fileName, QString* error)
{
    if (fileName == m_file.FileName() && !m_file.Topics().isEmpty())
        return true;
    THelpFile file;
    if (!file.Load(fileName, error))
        return false;
    m_file = file;
    m_current = -1;
    m_back.clear();
    m_forward.clear();
    const QSignalBlocker block(lstTemas);
    lstTemas->clear();
    for (const THelpTopic& t : m_file.Topics())
        lstTemas->addItem(t.Title);
    UpdateButtons();
    return true;
}

void TfmAyuda::ShowContext(int context)
{
    const int topic = m_file.TopicOfContext(context);
    if (topic >= 0) {
        Show(topic, true);
        return;
    }
    if (m_current >= 0)
        m_back.append(m_current);
    m_forward.clear();
    m_current = -1;
    const int contents = m_file.TopicOfContext(1);
    Browser->setHtml(QStringLiteral("<h1>Tema no encontrado</h1><p>No hay un tema de ayuda para el contexto %1.</p>")
                         .arg(context) +
                     (contents >= 0 ? QStringLiteral("<p><a href=\"%1\">Ver el contenido de la ayuda</a></p>")
                                          .arg(m_file.Topics()[contents].Name)
                                    : QString()));
    const QSignalBlocker block(lstTemas);
    lstTemas->setCurrentRow(-1);
    UpdateButtons();
}

void TfmAyuda::ShowTopic(int index) { Show(index, true); }

void TfmAyuda::Show(int index, bool record)
{
    if (index < 0 || index >= m_file.Topics().size())
        return;
    if (record && index != m_current) {
        if (m_current >= 0)
            m_back.append(m_current);
        m_forward.clear();
    }
    m_current = index;
    const THelpTopic& t = m_file.Topics()[index];
    Browser->setHtml(t.Html);
    setWindowTitle(QStringLiteral("Ayuda de Sumbrix - ") + t.Title);
    const QSignalBlocker block(lstTemas);
    lstTemas->setCurrentRow(index);
    UpdateButtons();
}

void TfmAyuda::UpdateButtons()
{
    btnAtras->setEnabled(!m_back.isEmpty());
    btnAdelante->setEnabled(!m_forward.isEmpty());
    btnContenido->setEnabled(!m_file.Topics().isEmpty());
}

void TfmAyuda::BrowserAnchorClicked(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
        OpenUrl(url.toString());
        return;
    }
    const int topic = m_file.TopicByName(url.toString(QUrl::RemoveFragment));
    if (topic >= 0)
        Show(topic, true);
}

TfmAyuda* HelpWindow() { return Instance().data(); }

TfmAyuda& EnsureHelpWindow()
{
    if (!Instance())
        Instance() = new TfmAyuda;
    return *Instance();
}

void FreeHelpWindow()
{
    if (TfmAyuda* w = Instance().data()) {
        w->close();
        delete w;
    }
    Instance() = nullptr;
}
