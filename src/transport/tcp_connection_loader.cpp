#include "transport/tcp_connection_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

TcpConnectionFactory linked = nullptr;
TcpConnectionFactory loaded = nullptr;

} // namespace

void linkTcpConnections(TcpConnectionFactory make)
{
    linked = make;
}

TcpConnections tcpConnections()
{
    if (linked)
        return {linked, {}};
    if (!loaded) {
        const TcpConnections module = loadNetworkModule(networkModuleFolders());
        if (!module.make)
            return module;
        loaded = module.make;
    }
    return {loaded, {}};
}

QStringList networkModuleFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{program};
    // The build puts the relative path from the program's installed folder to the module's.
    const QString installed
        = QDir::cleanPath(program + u'/' + QStringLiteral(PARLINO_NETWORK_MODULE_FOLDER));
    if (installed != program)
        folders.append(installed);
    return folders;
}

TcpConnections loadNetworkModule(const QStringList &folders)
{
    const QString file = QStringLiteral(PARLINO_NETWORK_MODULE);
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(file);
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (!library.load())
            return {nullptr,
                    QStringLiteral("the network module cannot be loaded: %1")
                        .arg(library.errorString())};
        const auto make = reinterpret_cast<TcpConnectionFactory>(
            library.resolve(QT_STRINGIFY(PARLINO_TCP_CONNECTION_FACTORY)));
        if (!make) {
            const QString problem = library.errorString();
            library.unload();
            return {nullptr,
                    QStringLiteral("%1 is the network module of another build: %2")
                        .arg(QDir::toNativeSeparators(path), problem)};
        }
        return {make, {}};
    }
    QStringList where;
    for (const QString &folder : folders)
        where.append(QDir::toNativeSeparators(folder));
    return {nullptr,
            QStringLiteral("the network module %1 is missing: it is in none of %2")
                .arg(file, where.join(QStringLiteral(", ")))};
}
