#include "settings/CommandLine.h"

#include "settings/ExitCodes.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>
#include <cstdio>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tw {

namespace {

// Whether Qt would have no window system to show the wizard on: on X11 and
// Wayland desktops the session sets DISPLAY or WAYLAND_DISPLAY; a platform
// chosen explicitly is left to Qt.
bool noDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

// A job started by cron or a system service has no session runtime folder,
// and Qt warns about that on every start, which a scheduler mails or
// journals as if something were wrong. A private folder of the user's own,
// as Qt would pick itself, keeps a clean run silent.
void provideRuntimeFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/tablewright-runtime-" + QByteArray::number(getuid());
    struct stat status {};
    if (mkdir(folder.constData(), 0700) != 0
        && (lstat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != getuid()
            || (status.st_mode & 0077) != 0))
        return;
    qputenv("XDG_RUNTIME_DIR", folder);
#endif
}

} // namespace

QString helpText(const QString& helpPagesFolder)
{
    static const char* const text = R"(Usage: tablewright [JOBFILE]

Moves tables from a Microsoft SQL Server database into an Oracle schema.
Without an argument the wizard opens. With a job settings file (.twjobs) the
program runs unattended: it loads the file, connects, converts the job's
tables, writes the job log beside the file (same name, extension .log),
prints a summary of the tables on standard output, writes it beside the file
as well (same name, extension .summary.csv) and exits. An unattended run
needs no display. A job file named like an option
is given with its folder: ./--help.

Options:
  --help     print this text and exit
  --version  print the version and exit

Job settings file: name=value lines (names without regard to letter case,
values taken as they are, the first "=" separates them):
  mssqlserver          SQL Server name (host, host,port or host\instance)
  msdatabase           source database
  mssqlAuthentication  Windows (exactly) for Windows authentication, else a SQL Server login
  mssqlloginname       SQL Server login name
  mssqlpassword        SQL Server password
  oracleh              Oracle service name
  oracleu              Oracle user name
  oraclep              Oracle password
  processtable         existing tables: 0 Overwrite, 1 Merge, 2 Skip (required)
  tabledefonly         1 converts table definitions only
  skipindex            1 skips keys and indexes
  nameuppercase        1 makes names upper case
  blobtotext           1 converts BLOB to text
  keepgoodrows         1 stores the good rows of a refused batch; the refused
                       rows go to <job>.rejects.csv beside the job file
  fulldefinitions      1 carries NOT NULL, defaults, identity, unique and
                       foreign keys and the exact Oracle types
  writescript          1 also writes the Oracle statements to a script
                       beside the log (same name, extension .sql)
  paralleltables       tables copied at once, 1 to 8 (1 when missing), each
                       on sessions of its own; the log keeps the list order
  alltables            1 converts every table of the database
  tables1, tables2...  the tables to convert, in line order (when alltables is not 1);
                       a name that several schemas hold is written schema.name
  character_set        kept for older files; not used by the conversion

Exit codes:
  0  every table was converted cleanly (always 0 for the wizard)
  1  the run ended, but a table failed or is not in the database, or the job
     selects no table (see the job log)
  2  the job file could not be read, its processtable is not an integer, or
     its paralleltables is not a number from 1 to 8
  3  the run stopped before its end: a connection or listing step failed,
     a failure ended the conversion, or it was stopped
  4  the wizard was to open, but there is no display

Environment:
  TABLEWRIGHT_ODBC_DRIVER    ODBC driver for SQL Server (name or library path;
                             default FreeTDS)
  TABLEWRIGHT_OCI_LIBRARY    Oracle client library (libclntsh.so) to load
  TABLEWRIGHT_FETCH_TIMEOUT  seconds to wait for rows from SQL Server
  TABLEWRIGHT_QUERY_TIMEOUT  seconds to wait for a SQL Server query
  TABLEWRIGHT_LANG           interface language: en or cn
  ORACLE_HOME                an Oracle home whose lib/libclntsh.so is tried
                             when the library is not found on the library
                             path (LD_LIBRARY_PATH, ldconfig)
  DISPLAY, WAYLAND_DISPLAY   the desktop to show the wizard on; without
                             either an unattended run uses QT_QPA_PLATFORM=offscreen

Files:
  Settings  ~/.config/Quillmoor/Tablewright.conf ($XDG_CONFIG_HOME), readable
            by its owner only; on Windows the registry key
            HKEY_CURRENT_USER\SOFTWARE\Quillmoor\Tablewright. Besides the
            wizard's last values it may hold OdbcDriver, OciLibrary,
            FetchTimeout and QueryTimeout (the environment variables win).
  Run logs  ~/.local/share/Harrowgate Data/twjobs_YYYYMMDD_HHmmSS.log
            ($XDG_DATA_HOME) for wizard runs; beside the job file for jobs.
  Help      %1
)";
    // The help pages' folder as this program finds it: beside the program in
    // the build tree, in the data folder when installed.
    const QString pages = helpPagesFolder.isEmpty()
        ? QStringLiteral("not found (neither help/ beside the program nor the installed data folder)")
        : QDir::toNativeSeparators(helpPagesFolder) + QStringLiteral("/{en,cn}/index.html");
    return QString::fromUtf8(text).arg(pages);
}

std::optional<int> prepareStart(int argc, char** argv, QString (*helpPagesFolder)())
{
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        // The program's own folder is known once the application object exists.
        int count = argc;
        const QCoreApplication program(count, argv);
        std::fputs(helpText(helpPagesFolder()).toLocal8Bit().constData(), stdout);
        return exitcode::Succeeded;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("Tablewright 4.0");
        return exitcode::Succeeded;
    }
    if (!noDisplay())
        return std::nullopt;
    if (argc > 1) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        provideRuntimeFolder();
        return std::nullopt;
    }
    std::fputs("tablewright: no display to show the wizard on (DISPLAY and WAYLAND_DISPLAY are not set); "
               "give a job settings file to run unattended (see --help)\n",
               stderr);
    return exitcode::NoDisplay;
}

} // namespace tw
