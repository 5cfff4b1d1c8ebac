#pragma once

#include <QString>

// The measurements of one benchmark process. Each runs in a fresh process
// (so that its peak resident memory is its own) against the peer serving
// the benchmark table, and prints its figures as one line of key=value
// pairs.
namespace bench {

struct Latency {
    int callMicroseconds = 0;
    int rowMicroseconds = 0;
};

// (a) The limit: a bare loop that fetches every row through the same
// driver, bound in blocks as the program binds them, and looks at nothing.
QString measureFetch(int port);

// (b) and (c) The program's row transfer from the ODBC source layer into
// the OCI target layer, the stand-in client checking and discarding every
// value, with the given server latency (none for (b)); with keepGoodRows as
// with the option that stores the good rows of a refused batch.
QString measureTransfer(int port, const Latency& latency, bool keepGoodRows);

// The batches that the transfer applies with rows for a table of this many
// rows: after row 100, after every further 5,000 rows, and the rest.
qint64 batchesFor(qint64 rows);

} // namespace bench
