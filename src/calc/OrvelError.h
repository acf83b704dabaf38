#pragma once
// The one error type of the program. Its message is exactly what the error box
// shows (the box adds the closing full stop by its own rule).
#include <QString>
#include <stdexcept>

class OrvelError : public std::runtime_error {
public:
    explicit OrvelError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

namespace orvel {
// Messages shared by several modules.
inline const char *const kDivByZero = "Floating point division by zero";
inline const char *const kInvalidOp = "Invalid floating point operation";
inline const char *const kOverflow = "Floating point overflow";
} // namespace orvel
