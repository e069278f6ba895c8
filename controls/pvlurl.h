#pragma once
// Opens a web address with the browser registered for ".htm" files.
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

enum TUrlShowCmd {
    ssHide, ssMaximize, ssMinimize, ssRestore, ssShow, ssShowDefault, ssShowMaximized,
    ssShowMinimized, ssShowMinNoActivate, ssShowNA, ssShowNoActivate, ssShowNormal
};

// The window-show value of a show command.
int ShowCommandValue(TUrlShowCmd cmd);

// A registered open command cut before its placeholder: before the first
// "%1" in double quotes, else before the first "%1"; a command without a
// placeholder whole. Trailing blanks are dropped.
QString CutOpenCommand(const QString& command);

class TpvlUrl : public QObject {
    Q_OBJECT
public:
    explicit TpvlUrl(QObject* parent = nullptr);

    QString Url;
    TUrlShowCmd UrlShowCommand = ssShowDefault;

    // Runs the registered browser with Url. Nothing happens when no browser
    // is registered; raises "No se puede activar el navegador predeterminado"
    // when it cannot be started.
    void OpenUrl();

    // Where the desktop's registration is read and the browser started
    // (tests replace them). The command gets the address as one argument of
    // its own, so an address cannot add switches or commands.
    struct Services {
        // The open command registered for ".htm" files; none when there is none.
        std::function<std::optional<QString>()> HtmOpenCommand;
        // Starts the command with the address; false when it cannot be started.
        std::function<bool(const QString& command, const QString& url, int show)> Run;
    };
    static Services& services();
    static void reset();
};
