#pragma once

// The real OCI target layer logged on to a seeded model Oracle through the
// stand-in client library, loaded by way of the setting a user would use
// (TABLEWRIGHT_OCI_LIBRARY). The model travels through a file named by
// TABLEWRIGHT_OCISTUB_MODEL: seeded here, read by the stand-in at logon,
// written back by it after commits, DDL and logoff.

#include "db/oci/OciTargetConnection.h"
#include "peers/oracle/ModelOracle.h"

#include <QLibrary>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class OciTestBed {
public:
    // Seeds user SCOTT (password tiger); service ORCL is known to the model.
    OciTestBed();
    ~OciTestBed();

    // The model to seed before the first connect.
    peers::ModelOracle& seed() { return seed_; }
    // Logs on through the stand-in with the parameter lines of the wizard's
    // Oracle page; the first call writes the seed to the model file, later
    // ones continue with the model as the stand-in left it.
    std::unique_ptr<tw::OciTargetConnection> connect(const QString& user = QStringLiteral("scott"),
                                                          const QString& password = QStringLiteral("tiger"),
                                                          const QString& service = QStringLiteral("ORCL"));
    // Runs one statement on the connection as the program does.
    static void execute(tw::TargetConnection& connection, const QString& sql);

    // The model as the stand-in last wrote it.
    peers::ModelOracle target() const;
    QVector<QVector<tw::SqlValue>> targetRows(const QString& table) const;

    // The stand-in's record of calls, one line per call, and its faults.
    QStringList calls();
    // The EXECUTE lines whose statement starts with the given text.
    QStringList executes(const QString& sqlStart);
    void clearCalls();
    void refuseRow(int n);
    void dropConnectionAfter(int executes);
    void failRollbacks(int n);
    // Every execute and commit waits as on a remote server: callMicroseconds
    // each, an execute rowMicroseconds more per row.
    void setLatency(int callMicroseconds, int rowMicroseconds);
    // A table the stand-in keeps itself, for column types the model lacks
    // ("NAME TYPE, ..."); with discard it only counts what it receives.
    void createStubTable(const QString& name, const QString& columns, bool discard = false);
    // Its committed rows, values separated by tabs ("NULL", bytes in hex).
    QStringList stubTableRows(const QString& name);
    qint64 stubTableReceived(const QString& name);

    QString modelPath() const { return dir_.filePath(QStringLiteral("model.ora")); }
    static QString stubLibraryPath();

private:
    template <typename Function>
    Function stubFunction(const char* name);

    QTemporaryDir dir_;
    peers::ModelOracle seed_;
    QLibrary stub_;
    bool seeded_ = false;
};
