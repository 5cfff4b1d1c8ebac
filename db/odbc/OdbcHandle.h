#pragma once

#include "db/odbc/OdbcApi.h"

namespace tw {

// Owns one ODBC handle of the given type and frees it when it goes.
class OdbcHandle {
public:
    explicit OdbcHandle(SQLSMALLINT type) : type_(type) {}
    ~OdbcHandle() { reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLHANDLE* out() { return &handle_; }
    SQLSMALLINT type() const { return type_; }
    bool isNull() const { return handle_ == SQL_NULL_HANDLE; }

    void reset()
    {
        if (handle_ != SQL_NULL_HANDLE)
            SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

} // namespace tw
