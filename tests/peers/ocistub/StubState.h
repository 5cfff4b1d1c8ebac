#pragma once

#include "StubHandles.h"
#include "peers/oracle/ModelOracle.h"

#include <QByteArray>
#include <QString>

// The stand-in client's process-wide state: the model database behind every
// session, its file, the record of calls, and the faults tests ask for.
namespace ocistub {

// Held by every entry point for its whole call: sessions on several threads
// of one process work on one model, which a server keeps consistent for its
// sessions. A thread that waits for the imitated server lets it go meanwhile,
// so that the waits of several sessions overlap as on a real server.
class StubLock {
public:
    StubLock();
    ~StubLock();
    StubLock(const StubLock&) = delete;
    StubLock& operator=(const StubLock&) = delete;
};

class StubState {
public:
    static StubState& instance();

    // The model every session works on. When TABLEWRIGHT_OCISTUB_MODEL names
    // a file, the model is read from it whenever a connection is attached
    // while no session is live, and written back after every commit, DDL
    // statement and logoff, so that another process can continue with it.
    peers::ModelOracle& model() { return model_; }
    void attachStarted();
    void sessionBegun() { ++liveSessions_; }
    void sessionEnded();
    void save();
    // Notes work on the model's own tables since the last save; a commit
    // writes the file only then, so that work on the stand-in's own tables
    // alone (measurements) costs no file.
    void modelChanged() { modelChanged_ = true; }
    void saveIfModelChanged();

    // One line per recorded call; also appended to TABLEWRIGHT_OCISTUB_LOG
    // when that names a file.
    void record(const QString& line);
    const QByteArray& log() const { return log_; }
    void clearLog() { log_.clear(); }

    // Refuses the n-th row inserted from now on (0: none). Also read from
    // TABLEWRIGHT_OCISTUB_REFUSE_ROW.
    void refuseRow(int n);
    // True when the row about to be inserted is the one to refuse.
    bool nextInsertRefused();

    // The next n rollbacks fail with ORA-01013 while the session stays up,
    // as a rollback interrupted by a break does.
    void failRollbacks(int n) { rollbacksToFail_ = n; }
    bool rollbackFails()
    {
        if (rollbacksToFail_ <= 0)
            return false;
        --rollbacksToFail_;
        return true;
    }

    // After this many more executes the connection drops (-1: never). Also
    // read from TABLEWRIGHT_OCISTUB_DROP_AFTER.
    void dropAfter(int executes) { executesBeforeDrop_ = executes; }
    // Counts one execute; true when the connection drops at this one.
    bool executeDropsConnection();
    bool connectionDropped() const { return dropped_; }
    void connectionRestored() { dropped_ = false; }

    // Imitates a remote server for measurements: every execute and commit
    // waits callMicroseconds (one round trip), an execute rowMicroseconds
    // more for each of its rows. Read from TABLEWRIGHT_OCISTUB_LATENCY_CALL_US
    // and TABLEWRIGHT_OCISTUB_LATENCY_ROW_US; 0 by default.
    void setLatency(int callMicroseconds, int rowMicroseconds);
    void waitForServer(ub4 rows) const;

private:
    StubState();

    peers::ModelOracle model_;
    QString modelPath_;
    QString logPath_;
    QByteArray log_;
    int liveSessions_ = 0;
    int rowsBeforeRefusal_ = 0;
    int executesBeforeDrop_ = -1;
    int rollbacksToFail_ = 0;
    int callMicroseconds_ = 0;
    int rowMicroseconds_ = 0;
    bool dropped_ = false;
    bool modelChanged_ = true;
};

} // namespace ocistub
