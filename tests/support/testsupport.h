#pragma once
// Small helpers every test program shares.
#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

// Lets GoogleTest print QStrings in its failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The folder of golden files and fixtures (tests/data).
inline QString testDataDir()
{
    QByteArray d = qgetenv("SUMBRIX_TEST_DATA");
    return d.isEmpty() ? QStringLiteral("tests/data/") : QString::fromLocal8Bit(d) + '/';
}
