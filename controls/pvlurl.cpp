#include "controls/pvlurl.h"

#include "foundation/core/exceptions.h"

#include <QProcess>
#include <QStandardPaths>

int ShowCommandValue(TUrlShowCmd cmd)
{
    switch (cmd) {
    case ssHide: return 0;
    case ssMaximize: return 3;
    case ssMinimize: return 6;
    case ssRestore: return 9;
    case ssShow: return 5;
    case ssShowDefault: return 10;
    case ssShowMaximized: return 3;
    case ssShowMinimized: return 2;
    case ssShowMinNoActivate: return 7;
    case ssShowNA: return 8;
    case ssShowNoActivate: return 4;
    case ssShowNormal: return 1;
    }
    return 10;
}

QString CutOpenCommand(const QString& command)
{
    int at = command.indexOf(QLatin1String("\"%1\""));
    if (at < 0)
        at = command.indexOf(QLatin1String("%1"));
    QString r = at < 0 ? command : command.left(at);
    while (r.endsWith(u' '))
        r.chop(1);
    return r;
}

namespace {

TpvlUrl::Services defaultServices()
{
    TpvlUrl::Services s;
    s.HtmOpenCommand = []() -> std::optional<QString> {
        // The desktop's own opener stands in for the ".htm" registration.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return std::nullopt;
        return QStringLiteral("\"%1\" \"%2\"").arg(opener, QStringLiteral("%1"));
    };
    s.Run = [](const QString& command, const QString& url, int) {
        QStringList args = QProcess::splitCommand(command);
        if (args.isEmpty())
            return false;
        const QString program = args.takeFirst();
        args.append(url);
        return QProcess::startDetached(program, args);
    };
    return s;
}

} // namespace

TpvlUrl::Services& TpvlUrl::services()
{
    static Services s = defaultServices();
    return s;
}

void TpvlUrl::reset()
{
    services() = defaultServices();
}

TpvlUrl::TpvlUrl(QObject* parent) : QObject(parent) {}

void TpvlUrl::OpenUrl()
{
    const int show = ShowCommandValue(UrlShowCommand);
    const std::optional<QString> registered = services().HtmOpenCommand ? services().HtmOpenCommand() : std::nullopt;
    if (!registered)
        return;
    const QString command = CutOpenCommand(*registered);
    if (!services().Run || !services().Run(command, Url, show))
        throw Exception(QStringLiteral("No se puede activar el navegador predeterminado"));
}
