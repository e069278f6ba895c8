#pragma once
// The lines the computing libraries answer in sumbrix-eval: "#name arguments"
// in, one line out. Each library adds its own while the driver starts (its
// registration function, see cmake/ToolAreas.cmake).

#include <QString>

#include <functional>
#include <vector>

struct TEvalDirective {
    QString Name;    // without the "#", compared without case
    QString Usage;   // one line for the driver's own list
    std::function<QString(const QString& arguments)> Run;
};

std::vector<TEvalDirective>& EvalDirectives();
void AddEvalDirective(const QString& name, const QString& usage,
                      std::function<QString(const QString& arguments)> run);
// The directive of that name; none.
const TEvalDirective* FindEvalDirective(const QString& name);
// "#name arguments" (a space or a tab after the name) when name is a directive of the computing libraries: its
// answer (an exception's message after "Excepción: "); otherwise nothing.
bool RunEvalDirective(const QString& line, QString& answer);
