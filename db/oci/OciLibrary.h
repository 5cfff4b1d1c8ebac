#pragma once

#include "db/oci/OciApi.h"

#include <QString>
#include <QStringList>

namespace tw::oci {

// The environment variable and the saved-settings key (organisation
// "Quillmoor", application "Tablewright") that name the Oracle client
// library explicitly.
inline constexpr const char* kLibraryEnvironmentVariable = "TABLEWRIGHT_OCI_LIBRARY";
inline constexpr const char* kLibrarySettingKey = "OciLibrary";

// The library path the user set: the environment variable, else the saved
// setting; empty when neither is set.
QString configuredClientLibrary();

// Where the client library is looked for, in order: the configured path
// alone when one is set; otherwise the platform's library name through the
// usual search (libclntsh.so, oci.dll), then the one under ORACLE_HOME.
QStringList clientLibraryCandidates();

// Loads the Oracle client library from the first candidate that loads and
// resolves the entry points the layer uses. The library stays loaded for the
// life of the process. A missing library or entry point is a Failure that
// says what to install and how to point the program at it.
const OciApi& loadOciApi();

} // namespace tw::oci
