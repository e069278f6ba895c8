#pragma once
// Golden files piped through the test driver sumbrix-eval (tests/data/*.txt),
// shared by the engines' golden tests.
//
// Format: an expression line followed by the line the driver must answer.
// Lines "#set ...", "#var ..." and "#fun ..." are sent and answer nothing;
// "#again" is answered like an expression. Lines starting with "##" are
// comments and blank lines separate groups; neither is sent.
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <string>

namespace golden {

struct Golden {
    QStringList input;
    QStringList expected;
    QList<int> lineOf;   // line number in the file of each expected line
};

inline Golden ReadGolden(const QString& path)
{
    Golden g;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1String("##")))
            continue;
        g.input << line;
        if (line.startsWith(QLatin1String("#set ")) || line.startsWith(QLatin1String("#var ")) ||
            line.startsWith(QLatin1String("#fun ")))
            continue;
        ++i;
        QString expected = i < lines.size() ? lines[i] : QString();
        if (expected.endsWith(QLatin1Char('\r')))
            expected.chop(1);
        g.expected << expected;
        g.lineOf << i + 1;
    }
    return g;
}

inline QStringList RunDriver(const QStringList& input)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/sumbrix-eval"), {});
    EXPECT_TRUE(p.waitForStarted());
    p.write((input.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QStringList out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

// Every file of tests/data matching the pattern ("real_*.txt"), each through a
// driver of its own; each answer compared with its expected line.
inline void RunGoldenFiles(const QString& pattern)
{
    const QStringList files = QDir(testDataDir()).entryList({pattern}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no golden files " << pattern.toStdString() << " in "
                                  << testDataDir().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const Golden g = ReadGolden(testDataDir() + name);
        const QStringList out = RunDriver(g.input);
        ASSERT_EQ(out.size(), g.expected.size());
        for (int i = 0; i < out.size(); ++i) {
            SCOPED_TRACE("line " + std::to_string(g.lineOf[i]));
            EXPECT_EQ(out[i], g.expected[i]);
        }
    }
}

} // namespace golden
