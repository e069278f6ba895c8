#pragma once
// The help viewer: a window with the help file's topics on the left and the
// topic shown on the right, with Atrás, Adelante and Contenido. Links to
// other topics open in it; web and mail addresses go to the desktop.
#include "services/helpfile.h"

#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

class TfmAyuda : public QWidget {
    Q_OBJECT
public:
    explicit TfmAyuda(QWidget* parent = nullptr);

    // Reads the help file (again when it is another file); false and the
    // reason when it cannot be read.
    bool OpenFile(const QString& fileName, QString* error = nullptr);
    const THelpFile& File() const { return m_file; }
    // The topic of the context number; a number without a topic shows a page
    // that says so, with a link to the contents.
    void ShowContext(int context);
    // The topic by its place in the file.
    void ShowTopic(int index);
    // The topic shown; -1 for the page of a missing context.
    int CurrentTopic() const { return m_current; }

    QListWidget* lstTemas = nullptr;
    QTextBrowser* Browser = nullptr;
    QToolButton* btnAtras = nullptr;
    QToolButton* btnAdelante = nullptr;
    QToolButton* btnContenido = nullptr;

public slots:
    void BrowserAnchorClicked(const QUrl& url);

private:
    void Show(int index, bool record);
    void UpdateButtons();

    THelpFile m_file;
    int m_current = -1;
    QList<int> m_back;
    QList<int> m_forward;
};

// The one help window of the program: none until help is first shown.
TfmAyuda* HelpWindow();
TfmAyuda& EnsureHelpWindow();
// Closes and frees it.
void FreeHelpWindow();
