#include "programdriver.h"

#include "foundation/core/cp1252.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace {

// The pause between two looks at a condition.
constexpr int kPollMs = 40;

const QString kProgram = QStringLiteral("sumbrix");

// Files the program writes: never taken from the build folder.
bool WrittenByTheProgram(const QString& name)
{
    return name == QLatin1String("sumbrix.ini") || name == QLatin1String("expr.lst") ||
           name.endsWith(QLatin1String(".tmp")) || name.endsWith(QLatin1String(".log"));
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

ProgramDriver::ProgramDriver()
{
    const QString bin = qEnvironmentVariable("SUMBRIX_BIN_DIR");
    if (bin.isEmpty()) {
        m_error = QStringLiteral("SUMBRIX_BIN_DIR is not set");
        return;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    const QDir from(bin);
    const QString exe = from.filePath(kProgram);
    if (!QFileInfo(exe).isExecutable()) {
        m_error = QStringLiteral("no program at ") + exe;
        return;
    }
    // The program finds its data and writes its settings in its own folder
    // (the folder of /proc/self/exe): a hard link is a program of that folder
    // and costs nothing; a copy where links cannot be made.
    const QString to = path(kProgram);
    if (::link(QFile::encodeName(exe).constData(), QFile::encodeName(to).constData()) != 0 &&
        !QFile::copy(exe, to)) {
        m_error = QStringLiteral("cannot copy the program");
        return;
    }
    // The data files beside it: every plain file of the build folder that is
    // not a program.
    for (const QFileInfo& f : from.entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (f.isExecutable() || WrittenByTheProgram(f.fileName()))
            continue;
        if (!QFile::copy(f.absoluteFilePath(), path(f.fileName()))) {
            m_error = QStringLiteral("cannot copy ") + f.fileName();
            return;
        }
    }
    m_ready = true;
}

ProgramDriver::~ProgramDriver()
{
    if (running()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

// ---------------------------------------------------------------------------
// Files

void ProgramDriver::writeSettings(const QByteArray& options, const QByteArray& more, bool tips)
{
    WriteAll(path(QStringLiteral("sumbrix.ini")),
             "[Opciones]\r\nVer=280\r\n" + options + "\r\n" + more);
    setTipsAtStart(tips);
}

void ProgramDriver::setTipsAtStart(bool on)
{
    const QString file = path(QStringLiteral("tips.ini"));
    QByteArray text = ReadAll(file);
    static const QRegularExpression usa(QStringLiteral("(\\[OPC\\]\\r?\\n(?:[^\\[]*?\\n)?)Usa=\\d"));
    QString s = QString::fromLatin1(text);
    if (s.contains(usa))
        s.replace(usa, QStringLiteral("\\1Usa=") + (on ? QLatin1Char('1') : QLatin1Char('0')));
    else
        s.prepend(QStringLiteral("[OPC]\r\nUsa=") + (on ? QLatin1Char('1') : QLatin1Char('0')) +
                  QStringLiteral("\r\n"));
    WriteAll(file, s.toLatin1());
}

QByteArray ProgramDriver::readFile(const QString& name) const { return ReadAll(path(name)); }

QStringList ProgramDriver::iniSection(const QString& section) const
{
    const QStringList lines = cp1252::decode(readFile(QStringLiteral("sumbrix.ini"))).split(QStringLiteral("\r\n"));
    QStringList out;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line.compare(QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inside && !line.isEmpty())
            out << line;
    }
    return out;
}

QString ProgramDriver::iniValue(const QString& section, const QString& key) const
{
    for (const QString& line : iniSection(section)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

// ---------------------------------------------------------------------------
// The program

bool ProgramDriver::start(bool answerStartBoxes)
{
    if (!m_ready)
        return false;
    m_main.clear();
    m_output.clear();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setWorkingDirectory(folder());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A Spanish desktop: numbers must keep their "." all the same.
    env.insert(QStringLiteral("LANG"), QStringLiteral("es_ES.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("es_ES.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process->setProcessEnvironment(env);
    m_process->start(path(kProgram), QStringList());
    if (!m_process->waitForStarted(kTimeoutMs)) {
        m_error = QStringLiteral("the program did not start");
        return false;
    }
    if (!answerStartBoxes)
        return true;
    return waitMainWindow();
}

bool ProgramDriver::waitMainWindow()
{
    // The main window, after the boxes of the start: a box with the
    // application's title is the new-version offer (the first-run offer does
    // not come with a settings file): "No".
    m_main.clear();
    const bool shown = waitUntil([this] {
        if (!running())
            return true;
        const QStringList boxes = windows(QStringLiteral("^Sumbrix$"));
        if (!boxes.isEmpty()) {
            clickUntilGone(boxes.last(), 50, 23, 5000);
        }
        const QStringList main = windows(QStringLiteral("^Sumbrix 2\\.84$"));
        if (!main.isEmpty())
            m_main = main.first();
        return !m_main.isEmpty();
    });
    if (!shown || m_main.isEmpty()) {
        m_error = QStringLiteral("no main window; the program said: ") + output();
        return false;
    }
    // The pointer rests on the main window's bottom bar: over no expression
    // box (there it brings up the on-screen keyboard) and clear of the
    // dialogs, which open in the middle of the screen.
    const QRect r = geometry(m_main);
    m_rest = QPoint(r.left() + 8, r.bottom() - 4);
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(m_rest.x()), QString::number(m_rest.y())});
    // The window takes keys once copying its result box works.
    static const QString kMarker = QStringLiteral("<sin copiar>");
    setClipboard(kMarker);
    if (!waitUntil([this] { return resultText() != kMarker; })) {
        m_error = QStringLiteral("the main window takes no keys");
        return false;
    }
    return true;
}

bool ProgramDriver::running() const { return m_process && m_process->state() != QProcess::NotRunning; }

int ProgramDriver::waitFinished(int timeoutMs)
{
    if (!m_process)
        return -1;
    if (running() && !m_process->waitForFinished(timeoutMs))
        return -1;
    output();
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

QString ProgramDriver::output()
{
    if (m_process)
        m_output += m_process->readAll();
    return QString::fromLocal8Bit(m_output);
}

bool ProgramDriver::closeByEsc()
{
    if (!running() || m_main.isEmpty())
        return false;
    // With text in the box Esc empties it; on the empty box it asks.
    keyInto(m_main, QStringLiteral("Escape"));
    QString box;
    waitUntil([&] {
        const QStringList asks = windows(QStringLiteral("^Sumbrix 2\\.84$"));
        for (const QString& id : asks)
            if (id != m_main)
                box = id;
        if (box.isEmpty())
            keyInto(m_main, QStringLiteral("Escape"));
        return !box.isEmpty() || !running();
    }, 10000);
    if (box.isEmpty())
        return false;
    // "¿Cierra este programa?": "Sí" is the default button.
    if (!pressUntilGone(box, QStringLiteral("Return")))
        return false;
    return waitFinished() == 0;
}

// ---------------------------------------------------------------------------
// Windows

QString ProgramDriver::run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList ProgramDriver::windows(const QString& titlePattern) const
{
    if (!running())
        return {};
    const QString pid = QString::number(m_process->processId());
    // --all: the process and the title (without it xdotool takes either).
    const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"),
                                                       QStringLiteral("--onlyvisible"),
                                                       QStringLiteral("--pid"), pid, QStringLiteral("--name"),
                                                       titlePattern});
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString ProgramDriver::waitWindow(const QString& titlePattern, int timeoutMs) const
{
    QString found;
    waitUntil([&] {
        const QStringList ids = windows(titlePattern);
        if (!ids.isEmpty())
            found = ids.last();
        return !found.isEmpty() || !running();
    }, timeoutMs);
    return found;
}

QString ProgramDriver::waitNewWindow(const QStringList& known, int timeoutMs) const
{
    QString found;
    waitUntil([&] {
        for (const QString& id : windows())
            if (!known.contains(id))
                found = id;
        return !found.isEmpty() || !running();
    }, timeoutMs);
    return found;
}

bool ProgramDriver::waitGone(const QString& id, int timeoutMs) const
{
    return waitUntil([&] { return !windows().contains(id); }, timeoutMs);
}

QString ProgramDriver::windowName(const QString& id) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).trimmed();
}

QRect ProgramDriver::geometry(const QString& id) const
{
    // "X=..", "Y=..", "WIDTH=..", "HEIGHT=.." lines.
    const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    QRect r;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.section(QLatin1Char('='), 0, 0);
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (name == QLatin1String("X"))
            r.moveLeft(value);
        else if (name == QLatin1String("Y"))
            r.moveTop(value);
        else if (name == QLatin1String("WIDTH"))
            r.setWidth(value);
        else if (name == QLatin1String("HEIGHT"))
            r.setHeight(value);
    }
    return r;
}

// ---------------------------------------------------------------------------
// Input

void ProgramDriver::focus(const QString& id) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id}, 5000);
}

void ProgramDriver::type(const QString& text) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void ProgramDriver::typeInto(const QString& id, const QString& text) const
{
    focus(id);
    type(text);
}

void ProgramDriver::key(const QString& keys) const
{
    QStringList args{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")};
    args << keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    run(QStringLiteral("xdotool"), args);
}

void ProgramDriver::keyInto(const QString& id, const QString& keys) const
{
    focus(id);
    key(keys);
}

void ProgramDriver::click(int x, int y) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(x),
                                    QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    // The pointer goes back to rest: over an expression box it would bring
    // up the on-screen keyboard.
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(m_rest.x()), QString::number(m_rest.y())});
}

bool ProgramDriver::pressUntilGone(const QString& id, const QString& keys, int timeoutMs) const
{
    return waitUntil([&] {
        keyInto(id, keys);
        return waitGone(id, 1500);
    }, timeoutMs);
}

bool ProgramDriver::clickUntilGone(const QString& id, int fromRight, int fromBottom, int timeoutMs) const
{
    return waitUntil([&] {
        const QRect r = geometry(id);
        if (r.isValid())
            click(r.right() - fromRight, r.bottom() - fromBottom);
        return waitGone(id, 1500);
    }, timeoutMs);
}

bool ProgramDriver::answerUntilGone(const QString& id, const QString& text, int timeoutMs) const
{
    return waitUntil([&] {
        keyInto(id, QStringLiteral("ctrl+a"));
        type(text);
        key(QStringLiteral("Return"));
        return waitGone(id, 1500);
    }, timeoutMs);
}

void ProgramDriver::setClipboard(const QString& text)
{
    QProcess p;
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")});
    if (!p.waitForStarted(5000))
        return;
    p.write(text.toUtf8());
    p.closeWriteChannel();
    // xclip leaves a child behind that serves the text, and ends; the child
    // takes the clipboard a moment later.
    p.waitForFinished(5000);
    waitUntil([&] { return clipboard() == text; }, 5000);
}

void ProgramDriver::enter(const QString& text) const
{
    keyInto(m_main, QStringLiteral("ctrl+a"));
    static const QRegularExpression letters(QStringLiteral("[A-Za-z]"));
    if (text.contains(letters)) {
        setClipboard(text);
        key(QStringLiteral("ctrl+v"));
    } else {
        type(text);
    }
    key(QStringLiteral("Return"));
}

// ---------------------------------------------------------------------------
// The screen

QString ProgramDriver::clipboard()
{
    return run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                         QStringLiteral("-t"), QStringLiteral("UTF8_STRING")},
               5000);
}

QString ProgramDriver::resultText() const
{
    keyInto(m_main, QStringLiteral("Next ctrl+a ctrl+c Prior"));
    return clipboard();
}

QString ProgramDriver::waitResult(const QString& text, int timeoutMs) const
{
    QString last;
    waitUntil([&] {
        last = resultText();
        return last == text;
    }, timeoutMs);
    return last;
}

bool ProgramDriver::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kPollMs);
    }
}
