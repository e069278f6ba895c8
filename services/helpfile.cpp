#include "services/helpfile.h"

#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/zelini.h"

#include <QFileInfo>

namespace {
const QString kMagic = QStringLiteral("Sumbrix ayuda ");
const QString kTopic = QStringLiteral("@tema ");
} // namespace

bool THelpFile::Load(const QString& fileName, QString* error)
{
    m_fileName = fileName;
    m_topics.clear();
    QByteArray bytes;
    try {
        if (!ReadWholeFile(fileName, bytes)) {
            if (error)
                *error = QStringLiteral("No se encuentra el archivo de ayuda:\r\n") + fileName;
            return false;
        }
    } catch (const Exception& e) {
        if (error)
            *error = e.message();
        return false;
    }
    return Parse(cp1252::decode(bytes), error);
}

bool THelpFile::Parse(const QString& text, QString* error)
{
    m_topics.clear();
    const QStringList lines = SplitLines(text);
    if (lines.isEmpty() || !lines.first().startsWith(kMagic)) {
        if (error)
            *error = QStringLiteral("El archivo no es un archivo de ayuda de Sumbrix:\r\n") + m_fileName;
        return false;
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(kTopic)) {
            THelpTopic topic;
            const int bar = line.indexOf(QLatin1Char('|'));
            const QStringList head =
                line.mid(kTopic.size(), bar < 0 ? -1 : bar - kTopic.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            topic.Name = head.value(0);
            topic.Title = bar < 0 ? topic.Name : line.mid(bar + 1).trimmed();
            for (const QString& c : head.value(1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                bool ok = false;
                const int n = c.toInt(&ok);
                if (ok && n > 0)
                    topic.Contexts.append(n);
            }
            if (!topic.Name.isEmpty())
                m_topics.append(topic);
        } else if (!m_topics.isEmpty()) {
            m_topics.last().Html += line + QLatin1Char('\n');
        }
    }
    if (m_topics.isEmpty()) {
        if (error)
            *error = QStringLiteral("El archivo de ayuda no tiene temas:\r\n") + m_fileName;
        return false;
    }
    return true;
}

int THelpFile::TopicOfContext(int context) const
{
    for (int i = 0; i < m_topics.size(); ++i)
        if (m_topics[i].Contexts.contains(context))
            return i;
    return -1;
}

int THelpFile::TopicByName(const QString& name) const
{
    for (int i = 0; i < m_topics.size(); ++i)
        if (m_topics[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
