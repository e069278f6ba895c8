#include "controls/application.h"
#include "platform/msgbox.h"
#include "shell/startup.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    InstallQtMessageSink();
    return RunProgram();
}
