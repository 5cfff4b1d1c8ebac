#pragma once

namespace tw {

// How long the source connection waits on the server, in seconds (0: no
// limit), each from its environment variable when set, else its saved
// setting, else the default:
// - the first answer to a query: TABLEWRIGHT_QUERY_TIMEOUT, "QueryTimeout",
//   600 (counting a very large table can take long);
// - each further answer while rows are fetched: TABLEWRIGHT_FETCH_TIMEOUT,
//   "FetchTimeout", 120.
// A value that is not a whole number of seconds is a Failure naming it.
int configuredQueryTimeout();
int configuredFetchTimeout();

} // namespace tw
