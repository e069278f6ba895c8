#include "foundation/core/directives.h"

#include "foundation/core/exceptions.h"

std::vector<TEvalDirective>& EvalDirectives()
{
    static std::vector<TEvalDirective> list;
    return list;
}

void AddEvalDirective(const QString& name, const QString& usage,
                      std::function<QString(const QString& arguments)> run)
{
    EvalDirectives().push_back({name, usage, std::move(run)});
}

const TEvalDirective* FindEvalDirective(const QString& name)
{
    for (const TEvalDirective& d : EvalDirectives())
        if (d.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

bool RunEvalDirective(const QString& line, QString& answer)
{
    if (!line.startsWith(QLatin1Char('#')))
        return false;
    // The name ends at the first space or tab.
    qsizetype space = 1;
    while (space < line.size() && line[space] != QLatin1Char(' ') && line[space] != QLatin1Char('\t'))
        ++space;
    if (space == line.size())
        space = -1;
    const QString name = line.mid(1, space < 0 ? -1 : space - 1);
    const TEvalDirective* d = FindEvalDirective(name);
    if (!d)
        return false;
    const QString arguments = space < 0 ? QString() : line.mid(space + 1).trimmed();
    try {
        answer = d->Run(arguments);
    } catch (const Exception& e) {
        answer = QStringLiteral("Excepción: ") + e.message();
    }
    // One line in, one line out.
    answer.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return true;
}
