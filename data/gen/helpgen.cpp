// The "help" kind of sumbrix-datagen: the program's help file from the topics
// written in data/src/ayuda.txt (format: the header of that file). The output
// is the file the help viewer reads (services/helpfile.h): the first line
// "Sumbrix ayuda" and the version, then each topic as its "@tema" line and its
// HTML, in Windows-1252 with CR LF. Topic names and context numbers must be
// unique, every link to a topic must name one, and context 1 (the contents)
// must have a topic; anything else is an error with the source line's number
// and nothing is written.
#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/zelini.h"
#include "sourcetext.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <vector>

namespace {

struct HelpTopic {
    int line = 0;
    QString name;
    QList<int> contexts;
    QString title;
    QStringList html;
    QList<std::pair<int, QString>> links; // source line, target
};

QString at(const QString& source, int line) { return source + QLatin1Char(':') + QString::number(line) + QStringLiteral(": "); }

// Text with the inline marks: **bold** and [text](target).
QString Inline(const QString& text, HelpTopic& topic, int line)
{
    QString s = text.toHtmlEscaped();
    static const QRegularExpression bold(QStringLiteral("\\*\\*(.+?)\\*\\*"));
    s.replace(bold, QStringLiteral("<b>\\1</b>"));
    static const QRegularExpression link(QStringLiteral("\\[([^\\]]+)\\]\\(([^)\\s]+)\\)"));
    QString out;
    qsizetype last = 0;
    for (auto it = link.globalMatch(s); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += s.mid(last, m.capturedStart() - last);
        const QString target = m.captured(2);
        if (!target.contains(QLatin1Char(':')))
            topic.links.append({line, target});
        out += QStringLiteral("<a href=\"%1\">%2</a>").arg(target, m.captured(1));
        last = m.capturedEnd();
    }
    return out + s.mid(last);
}

} // namespace

void WriteHelpFile(const QString& source, const QString& output)
{
    const QString text = ReadSourceText(source);

    std::vector<HelpTopic> topics;
    QSet<QString> names;
    QSet<int> contexts;
    enum class Block { None, Paragraph, List } block = Block::None;
    QString paragraph;
    auto close = [&] {
        if (topics.empty())
            return;
        if (block == Block::Paragraph)
            topics.back().html.append(QStringLiteral("<p>") + paragraph + QStringLiteral("</p>"));
        else if (block == Block::List)
            topics.back().html.append(QStringLiteral("</ul>"));
        block = Block::None;
        paragraph.clear();
    };
    int number = 0;
    for (const QString& raw : SplitLines(text)) {
        ++number;
        if (raw.startsWith(QLatin1Char('#')))
            continue;
        for (QChar c : raw) {
            unsigned char b;
            if (c.category() == QChar::Other_Control || !cp1252::fromUnicode(c, b))
                throw Exception(at(source, number) +
                                QStringLiteral("U+%1 cannot be written in the file").arg(c.unicode(), 4, 16, QLatin1Char('0')));
        }
        const QString line = raw.trimmed();
        if (line.startsWith(QStringLiteral("@tema "))) {
            close();
            const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (parts.size() < 4)
                throw Exception(at(source, number) + QStringLiteral("expected \"@tema name contexts title\""));
            HelpTopic t;
            t.line = number;
            t.name = parts[1];
            if (t.name.contains(QLatin1Char(':')) || names.contains(t.name.toLower()))
                throw Exception(at(source, number) + QStringLiteral("topic name \"%1\" repeated or invalid").arg(t.name));
            names.insert(t.name.toLower());
            if (parts[2] != QLatin1String("-")) {
                for (const QString& c : parts[2].split(QLatin1Char(','))) {
                    bool ok = false;
                    const int n = c.toInt(&ok);
                    if (!ok || n < 1 || contexts.contains(n))
                        throw Exception(at(source, number) + QStringLiteral("context \"%1\" repeated or invalid").arg(c));
                    contexts.insert(n);
                    t.contexts.append(n);
                }
            }
            t.title = parts.mid(3).join(QLatin1Char(' '));
            t.html.append(QStringLiteral("<h1>") + t.title.toHtmlEscaped() + QStringLiteral("</h1>"));
            topics.push_back(t);
            continue;
        }
        if (line.isEmpty()) {
            close();
            continue;
        }
        if (topics.empty())
            throw Exception(at(source, number) + QStringLiteral("text before the first \"@tema\""));
        HelpTopic& t = topics.back();
        if (line.startsWith(QStringLiteral("== "))) {
            close();
            t.html.append(QStringLiteral("<h2>") + Inline(line.mid(3), t, number) + QStringLiteral("</h2>"));
        } else if (line.startsWith(QStringLiteral("- "))) {
            if (block != Block::List) {
                close();
                t.html.append(QStringLiteral("<ul>"));
                block = Block::List;
            }
            t.html.append(QStringLiteral("<li>") + Inline(line.mid(2), t, number) + QStringLiteral("</li>"));
        } else {
            if (block == Block::List)
                close();
            block = Block::Paragraph;
            paragraph += (paragraph.isEmpty() ? QString() : QStringLiteral(" ")) + Inline(line, t, number);
        }
    }
    close();
    if (topics.empty())
        throw Exception(source + QStringLiteral(": no topic"));
    if (!contexts.contains(1))
        throw Exception(source + QStringLiteral(": no topic for context 1 (the contents)"));
    QStringList out{QStringLiteral("Sumbrix ayuda 2.84.0.0")};
    for (const HelpTopic& t : topics) {
        for (const auto& [line, target] : t.links)
            if (!names.contains(target.toLower()))
                throw Exception(at(source, line) + QStringLiteral("link to an unknown topic \"%1\"").arg(target));
        QStringList ctx;
        for (int c : t.contexts)
            ctx.append(QString::number(c));
        out.append(QStringLiteral("@tema %1 %2|%3").arg(t.name, ctx.isEmpty() ? QStringLiteral("-") : ctx.join(QLatin1Char(',')), t.title));
        out.append(t.html);
    }
    QFile::remove(output);
    const QByteArray bytes = cp1252::encode(out.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    WriteWholeFile(output, bytes);
    QByteArray back;
    if (!ReadWholeFile(output, back) || back != bytes) {
        QFile::remove(output);
        throw Exception(output + QStringLiteral(": the file does not read back as written"));
    }
}
