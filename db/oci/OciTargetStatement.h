#pragma once

#include "db/TargetAccess.h"
#include "db/oci/OciSession.h"

#include <functional>
#include <memory>

namespace tw::oci {

// A statement on the OCI target connection: each call prepares the text,
// runs it and releases the handle.
class OciTargetStatement : public TargetStatement {
public:
    explicit OciTargetStatement(std::function<std::shared_ptr<OciSession>()> sessionSource);

    // Runs the text once and commits it, so that each statement counts once
    // it returns (DDL commits by itself anyway).
    void executeDirect() override;
    // Fetches the first row and returns its first column as an integer.
    qint64 queryInteger() override;

private:
    std::shared_ptr<OciSession> session() const;

    std::function<std::shared_ptr<OciSession>()> sessionSource_;
};

} // namespace tw::oci
