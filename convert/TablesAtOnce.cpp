#include "convert/TablesAtOnce.h"

#include "db/ConnectionSteps.h"
#include "db/Failure.h"

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tw {

namespace {
// How long the calling thread waits for news from the workers before it
// serves the window again.
const std::chrono::milliseconds kServeEvery(50);
} // namespace

WorkerSessions openSessionsLike(const SourceConnection& source, const TargetConnection& target)
{
    WorkerSessions sessions;
    sessions.source = source.createSibling();
    sessions.source->open();
    sessions.query = sessions.source->createQuery();
    sessions.target = target.createSibling();
    connectTarget(*sessions.target, target.params());
    sessions.writer = sessions.target->createRowWriter();
    return sessions;
}

struct TablesAtOnce::Shared {
    Shared(RunAnswers a, RejectFile& r, const TableSteps& s)
        : answers(std::move(a)), rejects(r), steps(s), count(int(answers.tables.size())), targets(count),
          finished(count), done(count), progress(count)
    {
    }

    struct Progress {
        qint64 copied = 0;
        qint64 counted = -1;
        bool fresh = false;
    };
    struct ColumnNote {
        QString table;
        QString column;
        QString reason;
    };

    const RunAnswers answers;
    RejectFile& rejects;
    const TableSteps steps;
    const int count;
    std::atomic<bool> stop{false};

    std::mutex mutex;
    std::condition_variable changed;
    int next = 0;       // the next table a worker takes
    bool halt = false;  // no worker takes another table
    int working = 0;    // workers not yet ended
    int namingTurn = 0; // the table whose turn it is to name its target
    QStringList targets;
    QVector<bool> finished;
    std::vector<std::unique_ptr<Done>> done;
    QVector<Progress> progress;
    QVector<ColumnNote> columnNotes;
};

namespace {

// A table's place in the order of naming and creating targets.
class TableTurn : public TargetNaming {
public:
    TableTurn(std::mutex& mutex, std::condition_variable& changed, int& turn, QStringList& targets,
              const QVector<bool>& finished, int index)
        : mutex_(mutex), changed_(changed), turn_(turn), targets_(targets), finished_(finished), index_(index)
    {
    }

    void begin() override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return turn_ == index_; });
    }
    void claim(const QString& target) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        targets_[index_] = target;
        changed_.wait(lock, [&] {
            for (int i = 0; i < index_; ++i) {
                if (!finished_[i] && targets_[i] == target)
                    return false;
            }
            return true;
        });
    }
    void end() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            turn_ = index_ + 1;
        }
        changed_.notify_all();
    }

private:
    std::mutex& mutex_;
    std::condition_variable& changed_;
    int& turn_;
    QStringList& targets_;
    const QVector<bool>& finished_;
    int index_;
};

} // namespace

// One worker: its sessions, its own schema conversion, and the host its
// table steps see, which answers from the run's answers and reports to the
// calling thread.
class TablesAtOnce::Worker : public ConversionHost {
public:
    Worker(Shared& shared, WorkerSessions sessions) : s_(shared), sessions_(std::move(sessions)) {}
    ~Worker() override { join(); }

    void start() { thread_ = std::thread([this] { work(); }); }
    void join()
    {
        if (thread_.joinable())
            thread_.join();
    }

    int selectedTableCount() const override { return s_.count; }
    SourceTable selectedTable(int index) const override { return s_.answers.tables.at(index); }
    QString sourceDatabase() const override { return QString(); }
    int existingTableMode() const override { return s_.steps.overwrite ? 0 : s_.steps.skip ? 2 : 1; }
    bool skipIndexes() const override { return !s_.steps.convertIndexes; }
    bool namesUppercase() const override { return s_.answers.namesUppercase; }
    bool tableDefinitionsOnly() const override { return s_.answers.tableDefinitionsOnly; }
    bool keepGoodRows() const override { return s_.answers.keepGoodRows; }
    bool fullDefinitions() const override { return s_.answers.fullDefinitions; }
    bool writeScript() const override { return s_.answers.writeScript; }
    QString owner() const override { return s_.answers.owner; }
    // The run's closing steps belong to the calling thread; a worker's
    // steps neither ask for these nor act on the window.
    bool unattended() const override { return false; }
    QString jobFilePath() const override { return QString(); }
    QString appDataFolder() const override { return QString(); }
    QString completedCaption() const override { return QString(); }
    QString migratedCaption() const override { return QString(); }
    QString failedCaption() const override { return QString(); }
    QString finishCaption() const override { return QString(); }
    QString stoppedCaption() const override { return QString(); }
    void enterRunningState() override {}
    void clearStop() override {}
    void closeMainWindow() override {}
    // The calling thread serves the window.
    void processEvents() override {}
    bool stopRequested() const override { return s_.stop; }
    void columnProblem(const QString& targetTable, const QString& column, const QString& reason) override
    {
        std::lock_guard<std::mutex> lock(s_.mutex);
        s_.columnNotes.append({targetTable, column, reason});
    }
    void rowsCopied(qint64 copied, qint64 counted) override
    {
        std::lock_guard<std::mutex> lock(s_.mutex);
        s_.progress[current_] = {copied, counted, true};
    }

private:
    // The next table in list order, or -1 when the run takes no more.
    int take()
    {
        std::lock_guard<std::mutex> lock(s_.mutex);
        if (s_.halt || s_.stop || s_.next >= s_.count)
            return -1;
        return s_.next++;
    }

    void work()
    {
        for (int index = take(); index >= 0; index = take()) {
            current_ = index;
            std::unique_ptr<Done> done = convert(index);
            {
                std::lock_guard<std::mutex> lock(s_.mutex);
                s_.finished[index] = true;
                // Without the source, or after a failure that ends a run,
                // no further table is begun.
                if (done->failure || !done->lostSource.isEmpty())
                    s_.halt = true;
                s_.done[index] = std::move(done);
            }
            s_.changed.notify_all();
        }
        {
            std::lock_guard<std::mutex> lock(s_.mutex);
            --s_.working;
        }
        s_.changed.notify_all();
    }

    std::unique_ptr<Done> convert(int index)
    {
        auto done = std::make_unique<Done>();
        done->summary.source = s_.answers.shownNames.at(index);
        RunLog block;
        TableTurn turn(s_.mutex, s_.changed, s_.namingTurn, s_.targets, s_.finished, index);
        TableConversion conversion(*this, cc_, *sessions_.query, *sessions_.target, *sessions_.writer, block,
                                   s_.rejects, done->script, &turn);
        QElapsedTimer clock;
        clock.start();
        try {
            done->ok = conversion.convert(s_.answers.tables.at(index), done->summary, s_.steps);
            if (!done->ok && done->summary.outcome != TableSummary::Outcome::Stopped)
                done->summary.outcome = TableSummary::Outcome::Failed;
        } catch (const std::exception& failure) {
            done->ok = false;
            done->summary.outcome = TableSummary::Outcome::Failed;
            done->failure = std::current_exception();
            const auto* known = dynamic_cast<const Failure*>(&failure);
            block.append(known ? known->message() : QString::fromLocal8Bit(failure.what()));
            block.append(QString());
        }
        done->summary.seconds = double(clock.nsecsElapsed()) / 1e9;
        done->lostSource = conversion.lostSource();
        done->converted = conversion.converted();
        done->lines = block.lines();
        return done;
    }

    Shared& s_;
    WorkerSessions sessions_;
    Tcc cc_;
    int current_ = -1;
    std::thread thread_;
};

TablesAtOnce::TablesAtOnce(ConversionHost& host, RunAnswers answers, std::vector<WorkerSessions> workers,
                           RejectFile& rejects, const TableSteps& steps)
    : host_(host), shared_(std::make_unique<Shared>(std::move(answers), rejects, steps))
{
    for (WorkerSessions& sessions : workers)
        workers_.push_back(std::make_unique<Worker>(*shared_, std::move(sessions)));
}

TablesAtOnce::~TablesAtOnce()
{
    // A run left by a failure of the calling thread stops its workers.
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->halt = true;
    }
    shared_->stop = true;
    for (auto& worker : workers_)
        worker->join();
}

bool TablesAtOnce::stopped() const
{
    return shared_->stop;
}

int TablesAtOnce::run(const std::function<void(int index, Done& done)>& written)
{
    Shared& s = *shared_;
    s.working = int(workers_.size());
    for (auto& worker : workers_)
        worker->start();
    int announced = 0;
    int nextToWrite = 0;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        const int taken = s.next;
        QVector<std::pair<int, Shared::Progress>> progress;
        for (int i = nextToWrite; i < taken; ++i) {
            if (s.progress[i].fresh) {
                progress.append({i, s.progress[i]});
                s.progress[i].fresh = false;
            }
        }
        const QVector<Shared::ColumnNote> notes = std::exchange(s.columnNotes, {});
        std::vector<std::pair<int, std::unique_ptr<Done>>> ready;
        for (; nextToWrite < taken && s.done[nextToWrite]; ++nextToWrite)
            ready.emplace_back(nextToWrite, std::move(s.done[nextToWrite]));
        const bool over = s.working == 0 && nextToWrite == s.next;
        lock.unlock();

        for (; announced < taken; ++announced)
            host_.tableStarted(announced, s.answers.shownNames.at(announced));
        for (const auto& [index, rows] : progress)
            host_.tableRowsCopied(index, rows.copied, rows.counted);
        for (const Shared::ColumnNote& note : notes)
            host_.columnProblem(note.table, note.column, note.reason);
        for (auto& [index, done] : ready)
            written(index, *done);
        if (over)
            break;
        host_.processEvents();
        if (host_.stopRequested())
            s.stop = true;
        lock.lock();
        s.changed.wait_for(lock, kServeEvery);
    }
    for (auto& worker : workers_)
        worker->join();
    return s.next;
}

} // namespace tw
