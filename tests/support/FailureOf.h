#pragma once

// The message of the Failure that an action raises; an empty text when it
// raises none.

#include "db/Failure.h"

#include <QString>
#include <functional>

inline QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const tw::Failure& failure) {
        return failure.message();
    }
    return QString();
}
