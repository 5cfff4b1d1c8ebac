#include "db/oci/OciLibrary.h"

#include "db/Failure.h"

#include <QDir>
#include <QLibrary>
#include <QSettings>
#include <map>
#include <memory>

namespace tw::oci {

namespace {

#ifdef Q_OS_WIN
const char* const kLibraryName = "oci.dll";
const char* const kHomeSubfolder = "bin";
const char* const kSearchPathHint = "add the Instant Client folder to PATH";
const char* const kExamplePath = "C:\\oracle\\instantclient_21_13\\oci.dll";
#else
const char* const kLibraryName = "libclntsh.so";
const char* const kHomeSubfolder = "lib";
const char* const kSearchPathHint = "add the Instant Client folder to LD_LIBRARY_PATH (or to the ldconfig search)";
const char* const kExamplePath = "/opt/oracle/instantclient_21_13/libclntsh.so";
#endif

struct LoadedClient {
    QLibrary library;
    OciApi api{};
};

// Loaded clients by the path they were loaded from; never unloaded, since
// the client library keeps threads and handlers of its own.
std::map<QString, std::unique_ptr<LoadedClient>>& loadedClients()
{
    static std::map<QString, std::unique_ptr<LoadedClient>> clients;
    return clients;
}

template <typename Function>
void resolve(QLibrary& library, Function& target, const char* name)
{
    target = reinterpret_cast<Function>(library.resolve(name));
    if (!target) {
        throw Failure(QStringLiteral("The Oracle client library %1 has no entry point %2. Install Oracle Instant "
                                     "Client 11.2 or later and point Tablewright at its %3.")
                          .arg(library.fileName(), QLatin1String(name), QLatin1String(kLibraryName)));
    }
}

void resolveAll(LoadedClient& client)
{
    QLibrary& l = client.library;
    OciApi& a = client.api;
    resolve(l, a.OCIEnvNlsCreate, "OCIEnvNlsCreate");
    resolve(l, a.OCIHandleAlloc, "OCIHandleAlloc");
    resolve(l, a.OCIHandleFree, "OCIHandleFree");
    resolve(l, a.OCIDescriptorFree, "OCIDescriptorFree");
    resolve(l, a.OCIErrorGet, "OCIErrorGet");
    resolve(l, a.OCIAttrGet, "OCIAttrGet");
    resolve(l, a.OCIAttrSet, "OCIAttrSet");
    resolve(l, a.OCIServerAttach, "OCIServerAttach");
    resolve(l, a.OCIServerDetach, "OCIServerDetach");
    resolve(l, a.OCISessionBegin, "OCISessionBegin");
    resolve(l, a.OCISessionEnd, "OCISessionEnd");
    resolve(l, a.OCIStmtPrepare2, "OCIStmtPrepare2");
    resolve(l, a.OCIStmtRelease, "OCIStmtRelease");
    resolve(l, a.OCIStmtExecute, "OCIStmtExecute");
    resolve(l, a.OCIStmtFetch2, "OCIStmtFetch2");
    resolve(l, a.OCIParamGet, "OCIParamGet");
    resolve(l, a.OCIBindByPos, "OCIBindByPos");
    resolve(l, a.OCIBindDynamic, "OCIBindDynamic");
    resolve(l, a.OCIDefineByPos, "OCIDefineByPos");
    resolve(l, a.OCITransCommit, "OCITransCommit");
    resolve(l, a.OCITransRollback, "OCITransRollback");
    resolve(l, a.OCIDescriptorAlloc, "OCIDescriptorAlloc");
    resolve(l, a.OCILobCreateTemporary, "OCILobCreateTemporary");
    resolve(l, a.OCILobWrite, "OCILobWrite");
    resolve(l, a.OCILobFreeTemporary, "OCILobFreeTemporary");
}

QString missingLibraryMessage(const QStringList& tried, const QString& reason)
{
    return QStringLiteral("The Oracle client library could not be loaded (tried %1: %2). Install Oracle Instant "
                          "Client (the Basic or Basic Light package) and %3, or name the library itself in the "
                          "environment variable %4 or the setting %5, for example %6.")
        .arg(tried.join(QStringLiteral(", ")), reason, QLatin1String(kSearchPathHint),
             QLatin1String(kLibraryEnvironmentVariable), QLatin1String(kLibrarySettingKey),
             QLatin1String(kExamplePath));
}

} // namespace

QString configuredClientLibrary()
{
    const QString fromEnvironment = qEnvironmentVariable(kLibraryEnvironmentVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QSettings settings(QStringLiteral("Quillmoor"), QStringLiteral("Tablewright"));
    return settings.value(QLatin1String(kLibrarySettingKey)).toString();
}

QStringList clientLibraryCandidates()
{
    const QString configured = configuredClientLibrary();
    if (!configured.isEmpty())
        return {configured};
    QStringList candidates{QLatin1String(kLibraryName)};
    const QString home = qEnvironmentVariable("ORACLE_HOME");
    if (!home.isEmpty())
        candidates.append(QDir(home).filePath(QLatin1String(kHomeSubfolder) + QLatin1Char('/') + QLatin1String(kLibraryName)));
    return candidates;
}

const OciApi& loadOciApi()
{
    const QStringList candidates = clientLibraryCandidates();
    auto& clients = loadedClients();
    for (const QString& path : candidates) {
        auto found = clients.find(path);
        if (found != clients.end())
            return found->second->api;
    }
    QString reason;
    for (const QString& path : candidates) {
        auto client = std::make_unique<LoadedClient>();
        client->library.setFileName(path);
        if (!client->library.load()) {
            reason = client->library.errorString();
            continue;
        }
        resolveAll(*client);
        const OciApi& api = client->api;
        clients.emplace(path, std::move(client));
        return api;
    }
    throw Failure(missingLibraryMessage(candidates, reason));
}

} // namespace tw::oci
