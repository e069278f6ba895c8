// sumbrix-datagen: makes the shipped data files from their plain sources in
// data/src. The build runs it; every file is written by the program's own
// settings-file engine, so what ships is exactly what the program reads.
//
//   sumbrix-datagen tips <source> <output>
//       a tips file from a list of tips (format: the header of data/src/tips.txt)
//   sumbrix-datagen ini <source> <output> [--key KEY]
//       a settings-format file from its text, scrambled with KEY when given
//   sumbrix-datagen lines <source> <output>
//       a text file of lines from its text (linesfile.cpp)
//   sumbrix-datagen img <source> <output>
//       the formula pictures' container form.img (formimg.cpp)
//   sumbrix-datagen help <source> <output>
//       the help file from its topics (helpgen.cpp; format: data/src/ayuda.txt)
//
// Sources are UTF-8 with LF or CR LF line ends. A line whose first character
// is "#" is a comment in both kinds. In an ini source every other non-empty
// line is either a section header "[name]" or a line of the section above it,
// stored as written ("name=value", or a raw line): the source shows the file
// as it will be, only in UTF-8 and with comments.
//
// Every line of the output must fit the file format: at most 255 characters,
// only characters of Windows-1252, no control characters. Anything else is an
// error with the source line's number; the output is then not written (an
// old output is removed, so the build cannot go on with it).

#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/zelini.h"
#include "sourcetext.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstdio>
#include <stdexcept>
#include <utility>
#include <vector>

void WriteLinesFile(const QString& source, const QString& output);   // linesfile.cpp
void WriteFormImg(const QString& source, const QString& output);     // formimg.cpp
void WriteHelpFile(const QString& source, const QString& output);    // helpgen.cpp

namespace {

constexpr int kMaxLine = 255;
constexpr int kMaxTips = 99;

// An error in a source or on the command line: its text goes to stderr.
struct Failure : std::runtime_error {
    explicit Failure(const QString& text) : std::runtime_error(text.toStdString()) {}
};

struct SourceLine {
    int number; // 1-based, in the source file
    QString text;
};

struct Section {
    QString name;
    QStringList lines;
};

QString where(const QString& file, int line) { return file + QLatin1Char(':') + QString::number(line) + QStringLiteral(": "); }

// The source's lines without comments; empty lines are kept (tips use them).
std::vector<SourceLine> readSource(const QString& path)
{
    const QString text = ReadSourceText(path);
    std::vector<SourceLine> out;
    int number = 0;
    for (const QString& line : SplitLines(text)) {
        ++number;
        if (!line.startsWith(QLatin1Char('#')))
            out.push_back({number, line});
    }
    return out;
}

// A line as it will stand in the output file must survive the format whole.
void checkOutputLine(const QString& line, const QString& file, int number)
{
    if (line.size() > kMaxLine)
        throw Failure(where(file, number) + QStringLiteral("the line would be %1 characters long, %2 at most")
                                                 .arg(line.size())
                                                 .arg(kMaxLine));
    for (QChar c : line) {
        unsigned char b;
        if (c.category() == QChar::Other_Control)
            throw Failure(where(file, number) + QStringLiteral("control character U+%1")
                                                     .arg(c.unicode(), 4, 16, QLatin1Char('0')));
        if (!cp1252::fromUnicode(c, b))
            throw Failure(where(file, number) + QStringLiteral("\"%1\" (U+%2) has no Windows-1252 byte")
                                                     .arg(c)
                                                     .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    }
}

bool isHeader(const QString& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

// Writes the sections through the engine, then reads the file back with the
// same key and compares: what was written is what the program will read.
void writeFile(const QString& output, const QString& key, const std::vector<Section>& sections)
{
    QFile::remove(output);
    QStringList expected;
    {
        TZelIniFile ini(output, key);
        for (const Section& s : sections)
            ini.SetSectionLines(s.name, s.lines);
        ini.GetStrings(expected);
        ini.UpdateFile();
    }
    TZelIniFile check(output, key);
    QStringList got;
    check.GetStrings(got);
    if (got != expected) {
        QFile::remove(output);
        throw Failure(output + QStringLiteral(": the file does not read back as written"));
    }
}

// --- ini --------------------------------------------------------------------

std::vector<Section> parseIni(const QString& path)
{
    std::vector<Section> sections;
    for (const SourceLine& l : readSource(path)) {
        if (l.text.isEmpty())
            continue;
        if (isHeader(l.text)) {
            const QString name = l.text.mid(1, l.text.size() - 2);
            for (const Section& s : sections) {
                if (s.name.compare(name, Qt::CaseInsensitive) == 0)
                    throw Failure(where(path, l.number) + QStringLiteral("section [%1] is already defined").arg(name));
            }
            checkOutputLine(l.text, path, l.number);
            sections.push_back({name, {}});
            continue;
        }
        if (sections.empty())
            throw Failure(where(path, l.number) + QStringLiteral("a line before the first section header"));
        checkOutputLine(l.text, path, l.number);
        sections.back().lines.append(l.text);
    }
    if (sections.empty())
        throw Failure(path + QStringLiteral(": no section"));
    return sections;
}

// --- tips -------------------------------------------------------------------

struct Tip {
    int number; // source line of its first line
    QStringList lines;
    int context = 1;
};

std::vector<Tip> parseTips(const QString& path)
{
    std::vector<Tip> tips;
    bool open = false; // the last line read belongs to a tip
    for (const SourceLine& l : readSource(path)) {
        if (l.text.trimmed().isEmpty()) {
            open = false;
            continue;
        }
        if (l.text.startsWith(QLatin1Char('@'))) {
            const QStringList parts = l.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            bool ok = false;
            const int context = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
            if (!open || parts[0] != QStringLiteral("@ayuda") || !ok || context < 1)
                throw Failure(where(path, l.number) +
                              QStringLiteral("expected \"@ayuda N\" (N > 0) on the last line of a tip"));
            tips.back().context = context;
            open = false;
            continue;
        }
        if (!open) {
            tips.push_back({l.number, {}, 1});
            open = true;
        }
        if (l.text != l.text.trimmed())
            throw Failure(where(path, l.number) + QStringLiteral("blanks at the start or end of a tip line"));
        // The longest item name of a tip is two digits: "NN=" and the text.
        checkOutputLine(QStringLiteral("99=") + l.text, path, l.number);
        tips.back().lines.append(l.text);
    }
    if (tips.empty())
        throw Failure(path + QStringLiteral(": no tip"));
    if (tips.size() > size_t(kMaxTips))
        throw Failure(path + QStringLiteral(": %1 tips, %2 at most").arg(tips.size()).arg(kMaxTips));
    return tips;
}

void writeTips(const QString& source, const QString& output)
{
    const std::vector<Tip> tips = parseTips(source);
    QFile::remove(output);
    QStringList expected;
    {
        TZelIniFile ini(output);
        ini.WriteBool(QStringLiteral("OPC"), QStringLiteral("Usa"), true);
        ini.WriteInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), int(tips.size()));
        auto sectionOf = [](size_t k) { return QStringLiteral("TIP%1").arg(k + 1, 2, 10, QLatin1Char('0')); };
        for (size_t k = 0; k < tips.size(); ++k)
            ini.WriteList(sectionOf(k), tips[k].lines);
        for (size_t k = 0; k < tips.size(); ++k)
            ini.WriteInteger(QStringLiteral("MAS"), sectionOf(k), tips[k].context);
        ini.GetStrings(expected);
        ini.UpdateFile();
    }
    TZelIniFile check(output);
    QStringList got;
    check.GetStrings(got);
    if (got != expected) {
        QFile::remove(output);
        throw Failure(output + QStringLiteral(": the file does not read back as written"));
    }
}

int usage()
{
    std::fputs("usage: sumbrix-datagen tips <source> <output>\n"
               "       sumbrix-datagen ini <source> <output> [--key KEY]\n"
               "       sumbrix-datagen lines <source> <output>\n"
               "       sumbrix-datagen help <source> <output>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.size() < 3)
        return usage();
    const QString kind = args[0];
    const QString source = args[1];
    const QString output = args[2];
    try {
        if (kind == QStringLiteral("tips") && args.size() == 3) {
            writeTips(source, output);
        } else if (kind == QStringLiteral("lines") && args.size() == 3) {
            WriteLinesFile(source, output);
        } else if (kind == QStringLiteral("img") && args.size() == 3) {
            WriteFormImg(source, output);
        } else if (kind == QStringLiteral("help") && args.size() == 3) {
            WriteHelpFile(source, output);
        } else if (kind == QStringLiteral("ini") && (args.size() == 3 || args.size() == 5)) {
            QString key;
            if (args.size() == 5) {
                if (args[3] != QStringLiteral("--key"))
                    return usage();
                key = args[4];
                if (key.isEmpty())
                    throw Failure(QStringLiteral("--key: the key is empty"));
                checkOutputLine(key, QStringLiteral("--key"), 0);
            }
            writeFile(output, key, parseIni(source));
        } else {
            return usage();
        }
    } catch (const Failure& e) {
        QFile::remove(output);
        std::fprintf(stderr, "sumbrix-datagen: %s\n", e.what());
        return 1;
    } catch (const Exception& e) {
        QFile::remove(output);
        std::fprintf(stderr, "sumbrix-datagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
