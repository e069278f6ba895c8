#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sumbrix"));
    std::fputs("Sumbrix: la ventana principal todavía no está construida; "
               "por ahora solo el motor y sus pruebas.\n", stdout);
    return 0;
}
