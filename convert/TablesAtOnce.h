#pragma once

#include "convert/ConversionHost.h"
#include "convert/RejectFile.h"
#include "convert/RunSummary.h"
#include "convert/TableConversion.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace tw {

// The sessions of one worker of a run that copies several tables at once:
// a source and a target connection of its own, opened with the same
// connection steps as the run's, a query and a row writer on them.
struct WorkerSessions {
    std::unique_ptr<SourceConnection> source;
    std::unique_ptr<SourceQuery> query;
    std::unique_ptr<TargetConnection> target;
    std::unique_ptr<RowWriter> writer;
};

// Opens a worker's sessions as the run's own were opened: a connection like
// the source's, on its connection string, with a query, and a target logged
// on with the target's parameter lines, with a row writer.
WorkerSessions openSessionsLike(const SourceConnection& source, const TargetConnection& target);

// What the run's host answered when the run started, for the workers, which
// cannot ask the window from their threads.
struct RunAnswers {
    QVector<SourceTable> tables;
    QStringList shownNames;  // as the log and the summary name each table
    bool namesUppercase = true;
    bool tableDefinitionsOnly = false;
    bool keepGoodRows = false;
    bool fullDefinitions = false;
    bool writeScript = false;
    QString owner;
};

// Converts the selected tables on several workers, each on a thread of its
// own with its own sessions. The workers take the tables in list order and
// write each table's steps into a block of lines of its own; the calling
// thread hands the blocks over in list order, a block waiting until those
// before it are handed over, so that the log reads as one table after the
// other. The calling thread also keeps the window served, relays progress
// and column problems to the host and passes a stop on to every worker.
class TablesAtOnce {
public:
    // The outcome of one table: its summary (the time included), its log
    // block, its statements for the script, the table as converted, whether
    // its steps succeeded, the error of a lost source, and the failure of an
    // unprotected step (its message ends the block).
    struct Done {
        TableSummary summary;
        QStringList lines;
        StatementScript script;
        ConvertedTable converted;
        bool ok = true;
        QString lostSource;
        std::exception_ptr failure;
    };

    TablesAtOnce(ConversionHost& host, RunAnswers answers, std::vector<WorkerSessions> workers, RejectFile& rejects,
                 const TableSteps& steps);
    ~TablesAtOnce();
    TablesAtOnce(const TablesAtOnce&) = delete;
    TablesAtOnce& operator=(const TablesAtOnce&) = delete;

    // Runs the tables and hands each one's outcome to `written` in list
    // order. After a stop, a lost source or an unprotected failure no worker
    // takes another table; the tables at work end as their steps end them.
    // Returns the position of the first table that no worker took.
    int run(const std::function<void(int index, Done& done)>& written);
    // Whether a stop reached the workers.
    bool stopped() const;

private:
    struct Shared;
    class Worker;
    ConversionHost& host_;
    std::unique_ptr<Shared> shared_;
    std::vector<std::unique_ptr<Worker>> workers_;
};

} // namespace tw
