#pragma once
// The program's help file: one file of HTML topics, each with a short name,
// a title and the help context numbers that open it. Its first line is
// "Sumbrix ayuda" and the version; each topic starts with a line
//   @tema <name> <contexts separated by ",", or "-">|<title>
// followed by the topic's HTML. Windows-1252, CR LF (made by the data
// generator from data/src/ayuda.txt).
#include <QList>
#include <QString>

struct THelpTopic {
    QString Name;
    QString Title;
    QList<int> Contexts;
    QString Html;
};

class THelpFile {
public:
    // Reads the file; false (and the reason in Spanish) when it is missing,
    // unreadable or not a help file.
    bool Load(const QString& fileName, QString* error = nullptr);
    // Reads the file's text (as Load does after reading it).
    bool Parse(const QString& text, QString* error = nullptr);

    const QList<THelpTopic>& Topics() const { return m_topics; }
    // The topic a context number opens; -1 when none does.
    int TopicOfContext(int context) const;
    // The topic of that name (no letter-case difference); -1 when none.
    int TopicByName(const QString& name) const;
    const QString& FileName() const { return m_fileName; }

private:
    QString m_fileName;
    QList<THelpTopic> m_topics;
};
