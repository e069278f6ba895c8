#include "services/helplog.h"

#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>
#include <QStandardPaths>

namespace {

const QString kLogName = QStringLiteral("HHDebug.txt");
// The version the program and its help file carry.
const QString kProgramVersion = QStringLiteral("2.84.0.0");
// The first line of the help file: this text, a blank and its version.
const QString kHelpFileMagic = QStringLiteral("Sumbrix ayuda");

QString WithoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

struct VersionName {
    std::array<std::uint16_t, 4> at;
    const char* name;
};

// The help viewer's friendly names, newest first: the first row the version
// reaches names it.
const VersionName kHelpNames[] = {
    {{5, 2, 3626, 0}, "1.4"},      {{4, 74, 9273, 0}, "1.33"}, {{4, 74, 8857, 0}, "1.32"},
    {{4, 74, 8793, 0}, "1.31"},    {{4, 74, 8702, 0}, "1.3"},  {{4, 73, 8561, 0}, "1.22"},
    {{4, 73, 8474, 0}, "1.21a"},   {{4, 73, 8412, 0}, "1.21"}, {{4, 73, 8252, 0}, "1.2"},
    {{4, 72, 8164, 0}, "1.1b"},    {{4, 72, 7325, 0}, "1.1a"}, {{4, 72, 7323, 0}, "1.1"},
    {{4, 72, 7290, 0}, "1.0"},
};

const VersionName kBrowserNames[] = {
    {{6, 0, 3790, 0}, "Internet Explorer 6 (Windows Server 2003)"},
    {{6, 0, 3718, 0}, "Internet Explorer 6 (Windows Server 2003 RC2)"},
    {{6, 0, 3663, 0}, "Internet Explorer 6 (Windows Server 2003 RC1)"},
    {{6, 0, 2900, 2180}, "Internet Explorer 6 (Windows XP SP2)"},
    {{6, 0, 2800, 1106}, "Internet Explorer 6 SP1"},
    {{6, 0, 2712, 300}, "Internet Explorer 6 (Windows XP + minor update)"},
    {{6, 0, 2600, 0}, "Internet Explorer 6 (Windows XP)"},
    {{6, 0, 2479, 6}, "Internet Explorer 6 Public Preview (Beta) Refresh"},
    {{6, 0, 2462, 0}, "Internet Explorer 6 Public Preview (Beta)"},
    {{5, 50, 4807, 2300}, "Internet Explorer 5.5 Service Pack 2"},
    {{5, 50, 4522, 1800}, "Internet Explorer 5.5 Service Pack 1"},
    {{5, 50, 4308, 2900}, "Internet Explorer 5.5 Advanced Security Privacy Beta"},
    {{5, 50, 4134, 600}, "Internet Explorer 5.5"},
    {{5, 50, 4134, 100}, "Internet Explorer 5.5 for Windows Me (4.90.3000)"},
    {{5, 50, 4030, 2400}, "Internet Explorer 5.5 & Internet Tools Beta"},
    {{5, 50, 3825, 1300}, "Internet Explorer 5.5 Developer Preview"},
    {{5, 0, 2919, 6400}, "Internet Explorer 5.01"},
    {{5, 0, 2919, 6307}, "Internet Explorer 5.01"},
    {{5, 0, 2919, 3800}, "Internet Explorer 5.01 (Windows 2000 RC2, build 5.00.2128)"},
    {{5, 0, 2919, 800}, "Internet Explorer 5.01 (Windows 2000 RC1, build 5.00.2072)"},
    {{5, 0, 2723, 2900}, "Internet Explorer 5.0 updated"},
    {{5, 0, 2721, 1400}, "Internet Explorer 5.0 updated"},
    {{5, 0, 2614, 0}, "Internet Explorer 5.0b"},
    {{5, 0, 2314, 0}, "Internet Explorer 5.0a"},
    {{5, 0, 2014, 0}, "Internet Explorer 5.0"},
    {{5, 0, 910, 0}, "Internet Explorer 5 Beta (Beta 2)"},
    {{5, 0, 518, 0}, "Internet Explorer 5 Developer Preview (Beta 1)"},
    {{4, 72, 3612, 0}, "Internet Explorer 4.01 Service Pack 2 (SP2)"},
    {{4, 72, 3110, 0}, "Internet Explorer 4.01 Service Pack 1 (SP1)"},
    {{4, 72, 2106, 0}, "Internet Explorer 4.01"},
    {{4, 71, 1712, 0}, "Internet Explorer 4.0"},
    {{4, 71, 1008, 0}, "Internet Explorer 4.0 Platform Preview 2.0 (PP2)"},
    {{4, 71, 544, 0}, "Internet Explorer 4.0 Platform Preview 1.0 (PP1)"},
    {{4, 70, 1300, 0}, "Internet Explorer 3.02"},
    {{4, 70, 1215, 0}, "Internet Explorer 3.01"},
    {{4, 70, 1158, 0}, "Internet Explorer 3.0 (OSR2)"},
    {{4, 70, 1155, 0}, "Internet Explorer 3.0"},
    {{4, 40, 520, 0}, "Internet Explorer 2.0"},
    {{4, 40, 308, 0}, "Internet Explorer 1.0 (Plus!)"},
};

// The system locale as the locale numbers of the log: the primary language
// and the sublanguage (1, the language's default, unless listed).
struct LocaleIds {
    int primary = 0;
    int sub = 0;
};

LocaleIds LocaleIdsOf(const QLocale& locale)
{
    struct Lang {
        QLocale::Language language;
        int primary;
    };
    static const Lang langs[] = {
        {QLocale::Spanish, 0x0A}, {QLocale::English, 0x09},    {QLocale::Portuguese, 0x16},
        {QLocale::French, 0x0C},  {QLocale::German, 0x07},     {QLocale::Italian, 0x10},
        {QLocale::Catalan, 0x03}, {QLocale::Basque, 0x2D},     {QLocale::Galician, 0x56},
        {QLocale::Dutch, 0x13},   {QLocale::Russian, 0x19},    {QLocale::Polish, 0x15},
    };
    struct Sub {
        QLocale::Language language;
        QLocale::Territory territory;
        int sub;
    };
    static const Sub subs[] = {
        {QLocale::Spanish, QLocale::Spain, 0x03},       {QLocale::Spanish, QLocale::Mexico, 0x02},
        {QLocale::Spanish, QLocale::Guatemala, 0x04},   {QLocale::Spanish, QLocale::CostaRica, 0x05},
        {QLocale::Spanish, QLocale::Panama, 0x06},      {QLocale::Spanish, QLocale::DominicanRepublic, 0x07},
        {QLocale::Spanish, QLocale::Venezuela, 0x08},   {QLocale::Spanish, QLocale::Colombia, 0x09},
        {QLocale::Spanish, QLocale::Peru, 0x0A},        {QLocale::Spanish, QLocale::Argentina, 0x0B},
        {QLocale::Spanish, QLocale::Ecuador, 0x0C},     {QLocale::Spanish, QLocale::Chile, 0x0D},
        {QLocale::Spanish, QLocale::Uruguay, 0x0E},     {QLocale::Spanish, QLocale::Paraguay, 0x0F},
        {QLocale::Spanish, QLocale::Bolivia, 0x10},     {QLocale::Spanish, QLocale::ElSalvador, 0x11},
        {QLocale::Spanish, QLocale::Honduras, 0x12},    {QLocale::Spanish, QLocale::Nicaragua, 0x13},
        {QLocale::Spanish, QLocale::PuertoRico, 0x14},  {QLocale::English, QLocale::UnitedKingdom, 0x02},
        {QLocale::Portuguese, QLocale::Portugal, 0x02},
    };
    LocaleIds ids;
    for (const Lang& l : langs)
        if (l.language == locale.language()) {
            ids.primary = l.primary;
            ids.sub = 1;
        }
    for (const Sub& s : subs)
        if (s.language == locale.language() && s.territory == locale.territory())
            ids.sub = s.sub;
    return ids;
}

QString HexAndDecimal(const QString& label, int value)
{
    return Format(label, {QStringLiteral("0x") + IntToHex(value, 4), IntToStr(value)});
}

} // namespace

// ---------------------------------------------------------------------------

TFileVersion MakeVersion(int major, int minor, int release, int build)
{
    TFileVersion v;
    v.Parts = {std::uint16_t(major), std::uint16_t(minor), std::uint16_t(release), std::uint16_t(build)};
    v.Text = QStringLiteral("%1.%2.%3.%4").arg(v.Parts[0]).arg(v.Parts[1]).arg(v.Parts[2]).arg(v.Parts[3]);
    return v;
}

TFileVersion VersionFromText(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() > 4 || parts.value(0).isEmpty())
        return {};
    int n[4] = {0, 0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        long long v = 0;
        if (parts[i].startsWith(QLatin1Char('-')) || parts[i].startsWith(QLatin1Char('+')) ||
            !TryStrToInt(parts[i], v) || v > 0xFFFF)
            return {};
        n[i] = int(v);
    }
    return MakeVersion(n[0], n[1], n[2], n[3]);
}

int CompareVersions(const std::array<std::uint16_t, 4>& a, const std::array<std::uint16_t, 4>& b)
{
    for (int i = 0; i < 4; ++i)
        if (a[size_t(i)] != b[size_t(i)])
            return a[size_t(i)] > b[size_t(i)] ? 1 : -1;
    return 0;
}

TFileVersion GetFileVersion(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    const QFileInfo info(fileName);
    const QString own = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if ((!own.isEmpty() && info.absoluteFilePath() == QFileInfo(own).absoluteFilePath()) ||
        (!Basicos().ExeFile.isEmpty() && info.absoluteFilePath() == QFileInfo(Basicos().ExeFile).absoluteFilePath()))
        return VersionFromText(kProgramVersion);
    if (!info.isFile())
        return {};
    // The help file names its version on its first line.
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString first = cp1252::decode(f.readLine(200)).trimmed();
    if (!first.startsWith(kHelpFileMagic + QLatin1Char(' ')))
        return {};
    return VersionFromText(first.mid(kHelpFileMagic.size() + 1));
}

QString HtmlHelpVersionName(const TFileVersion& v)
{
    if (!v.Known())
        return QString();
    const std::array<std::uint16_t, 4> newest{5, 2, 3669, 0};
    const int c = CompareVersions(v.Parts, newest);
    if (c > 0)
        return QStringLiteral("> 1.4a");
    if (c == 0)
        return QStringLiteral("1.4a");
    for (const VersionName& row : kHelpNames)
        if (CompareVersions(v.Parts, row.at) >= 0)
            return QString::fromLatin1(row.name);
    return QStringLiteral("< 1.0");
}

QString BrowserVersionName(const TFileVersion& v)
{
    if (!v.Known())
        return QString();
    if (v.Parts[0] > 6)
        return QStringLiteral(">= Internet Explorer ") + v.Text;
    for (const VersionName& row : kBrowserNames)
        if (CompareVersions(v.Parts, row.at) >= 0)
            return QString::fromLatin1(row.name);
    return QStringLiteral("< Internet Explorer 1.0 (Plus!)");
}

// ---------------------------------------------------------------------------

bool FolderWritable(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString probe = QDir(folder).filePath(QStringLiteral("$_Temp_$.$$$"));
    QFile f(probe);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.close();
    f.remove();
    return true;
}

QString TempFolder()
{
    const QString t = WithoutTrailingSeparator(QDir::tempPath());
    return QFileInfo(t).isDir() ? t : QStringLiteral("/tmp");
}

bool DebugModeOf(const QString& moduleDir, const QStringList& parameters)
{
    if (QFileInfo(QDir(moduleDir).filePath(QStringLiteral("debug.debug"))).exists())
        return true;
    for (const QString& p : parameters)
        if (p.compare(QStringLiteral("/debug"), Qt::CaseInsensitive) == 0 ||
            p.compare(QStringLiteral("-debug"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// ---------------------------------------------------------------------------

std::function<QDateTime()>& TDLogFile::Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

namespace {
QDateTime Now() { return TDLogFile::Clock() ? TDLogFile::Clock()() : QDateTime::currentDateTime(); }
} // namespace

TDLogFile::TDLogFile(const QString& fileName, bool appendMode, bool headerDump, bool timeStamp, bool debugMode)
    : m_appendMode(appendMode), m_headerDump(headerDump), m_timeStamp(timeStamp), m_debugMode(debugMode)
{
    QString name = fileName;
    if (name.isEmpty()) {
        const QString folder = HelpLog().LogFolder.isEmpty() ? TempFolder() : HelpLog().LogFolder;
        name = QDir(folder).filePath(kLogName);
    }
    const QFileInfo info(name);
    if (!FolderWritable(info.absolutePath()))
        name = QDir(TempFolder()).filePath(info.fileName());
    m_fileName = name;
    // An old log that was made read-only can still be replaced.
    if (QFileInfo::exists(m_fileName))
        QFile::setPermissions(m_fileName, QFile::permissions(m_fileName) | QFileDevice::WriteOwner);
    WriteHeader();
}

void TDLogFile::WriteText(const QString& line)
{
    QFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    f.write(cp1252::encode(line) + "\r\n");
    f.flush();
}

void TDLogFile::WriteLine(const QString& format, std::initializer_list<FormatArg> args)
{
    QString line = args.size() == 0 ? format : Format(format, args);
    if (line == QLatin1String("-") || line == QLatin1String("="))
        line = QString(80, line[0]);
    if (line.startsWith(QLatin1Char('!')) || line.startsWith(QLatin1Char('-')) || line.startsWith(QLatin1Char('=')))
        line.remove(0, 1);
    else if (m_timeStamp)
        line = Now().time().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("   ") + line;
    WriteText(line);
}

void TDLogFile::DebugLine(const QString& format, std::initializer_list<FormatArg> args)
{
    if (m_debugMode)
        WriteLine(format, args);
}

void TDLogFile::ReportError(const QString& format, std::initializer_list<FormatArg> args)
{
    const QString text = args.size() == 0 ? format : Format(format, args);
    MsgBoxApp(text, mb::Ok | mb::IconWarning);
    // The text is written as it stands, never formatted a second time.
    if (m_debugMode)
        WriteLine(QStringLiteral("%s"), {text});
}

void TDLogFile::WriteHeader()
{
    if (!m_appendMode && QFileInfo::exists(m_fileName))
        QFile::remove(m_fileName);
    if (!m_debugMode || !m_headerDump)
        return;
    const HelpLogGlobals& g = HelpLog();
    auto line = [this](const char* format, std::initializer_list<FormatArg> args = {}) {
        WriteLine(QString::fromLatin1(format), args);
    };
    line("=");
    line("!Log File:             %s", {QDir::toNativeSeparators(m_fileName)});
    line("!Date:                 %s", {Now().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))});
    // The system: the kernel's name and version numbers, and the
    // distribution where a service pack would stand.
    const QStringList kernel = QSysInfo::kernelVersion().split(QRegularExpression(QStringLiteral("[.-]")));
    QString kernelName = QSysInfo::kernelType();
    if (!kernelName.isEmpty())
        kernelName[0] = kernelName[0].toUpper();
    const QString product = QSysInfo::prettyProductName();
    line("!Operating System:      %s %d.%d (Build %d) %s",
         {kernelName, kernel.value(0).toInt(), kernel.value(1).toInt(), kernel.value(2).toInt(),
          product.isEmpty() ? QStringLiteral("No Service Pack") : product});
    const LocaleIds ids = LocaleIdsOf(QLocale::system());
    WriteLine(HexAndDecimal(QStringLiteral("!SysLocale.DefaultLCID: %s (%s)"), (ids.sub << 10) | ids.primary));
    WriteLine(HexAndDecimal(QStringLiteral("!SysLocale.PriLangID:   %s (%s)"), ids.primary));
    WriteLine(HexAndDecimal(QStringLiteral("!SysLocale.SubLangID:   %s (%s)"), ids.sub));
    line("!DecimalSeparator:      %s", {QLocale::system().decimalPoint()});
    line("-");
    const QString exe = QDir::toNativeSeparators(g.ModulePath);
    line("!EXE Path =          %s", {exe});
    line("!EXE Version =       %s", {GetFileVersion(g.ModulePath).Text});
    line("!Cmdline Param(s) =  %s", {g.Parameters.join(QStringLiteral(" | "))});
    line("!Actual CmdLine =  %s", {g.CommandLine});
    line("!_RunDir =           %s", {QDir::toNativeSeparators(g.RunDir)});
    line("!_ModuleName =       %s", {g.ModuleName});
    line("!_ModuleDir =        %s", {QDir::toNativeSeparators(g.ModuleDir)});
    line("!_ModulePath =        %s", {exe});
    line("!Module Version =       %s", {GetFileVersion(g.ModulePath).Text});
    line("-");
    line("!_hhInstalled =      %s", {g.hhInstalled ? "YES" : "NO"});
    line("!_hhVerStr =         %s", {g.hhVerStr});
    line("!_hhFriendlyVerStr = %s", {g.hhFriendlyVerStr});
    line("-");
    line("!_ieInstalled =      %s", {g.ieInstalled ? "YES" : "NO"});
    line("!_ieVerStr =         %s", {g.ieVerStr});
    line("!_ieFriendlyVerStr = %s", {g.ieFriendlyVerStr});
    line("=");
}

// ---------------------------------------------------------------------------

void HelpLogGlobals::reset() { *this = HelpLogGlobals{}; }

HelpLogGlobals& HelpLog()
{
    static HelpLogGlobals g;
    return g;
}

QString ProgramHelpFile() { return ExeDir() + QStringLiteral("sumbrix.ayuda"); }

void StartHelpLog(const QStringList& arguments)
{
    HelpLogGlobals& g = HelpLog();
    g.Log.reset();
    g.ModulePath = Basicos().ExeFile.isEmpty() ? arguments.value(0) : Basicos().ExeFile;
    g.ModulePath = g.ModulePath.left(300);
    const QFileInfo module(g.ModulePath);
    g.ModuleDir = WithoutTrailingSeparator(ExeDir().isEmpty() ? module.absolutePath() : ExeDir());
    g.ModuleName = module.fileName();
    g.RunDir = WithoutTrailingSeparator(QFileInfo(arguments.value(0)).absolutePath());
    g.Parameters = arguments.mid(1);
    g.CommandLine = arguments.join(QLatin1Char(' '));
    g.LogFolder = FolderWritable(g.ModuleDir) ? g.ModuleDir : TempFolder();
    g.DebugMode = DebugModeOf(g.ModuleDir, g.Parameters);
    // The viewer is part of the program: it counts as installed while the
    // help file it shows is there.
    g.HelpFile = ProgramHelpFile();
    g.hhVerStr = GetFileVersion(g.HelpFile).Known()
                     ? VersionFromText(QString::fromLatin1(qVersion())).Text
                     : QString();
    g.hhInstalled = !g.hhVerStr.isEmpty();
    g.hhFriendlyVerStr = HtmlHelpVersionName(VersionFromText(g.hhVerStr));
    g.ieVerStr.clear();
    g.ieInstalled = false;
    g.ieFriendlyVerStr.clear();
    g.Log = std::make_unique<TDLogFile>(QString(), false, true, true, g.DebugMode);
}

void DebugLog(const QString& format, std::initializer_list<FormatArg> args)
{
    if (HelpLog().Log)
        HelpLog().Log->DebugLine(format, args);
}

void DebugError(const QString& format, std::initializer_list<FormatArg> args)
{
    if (HelpLog().Log)
        HelpLog().Log->ReportError(format, args);
    else
        MsgBoxApp(args.size() == 0 ? format : Format(format, args), mb::Ok | mb::IconWarning);
}
