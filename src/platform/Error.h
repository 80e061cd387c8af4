#pragma once

#include <QString>

#include <utility>

namespace pairsift {

// The reason for a failed operation, handed back through an optional `Error*` out-parameter.
struct Error {
    QString domain;
    long long code = 0;
    QString description;
    // The lower layer's own message (SQLite's, the system's), empty when there is none.
    QString underlyingMessage;

    // "description (underlying message)", or the description alone.
    QString message() const;
};

// Fills `error` when the caller asked for one; a null out-parameter is allowed everywhere.
inline void setError(Error* error, QString domain, long long code, QString description, QString underlyingMessage = {})
{
    if (error)
        *error = Error{std::move(domain), code, std::move(description), std::move(underlyingMessage)};
}

// Fills `error` with a failed system call's reason: `description`, errno's `code` and the system's text for
// it. Answers false, for `return systemFailure(...)`.
bool systemFailure(Error* error, int code, QString description);

} // namespace pairsift
