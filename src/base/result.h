#pragma once

// The one shape of every operation that can fail for a reason the user must
// read: a value, or no value and one sentence saying why ("cannot read
// /x/mars.jpg: the file is damaged"). Readers, writers and checks of every
// layer answer with it; the window shows the sentence as it stands.

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace base {

//! The failing half of a Result: the sentence for the user.
struct Failure {
    std::string reason;
};

//! `Fail("...")` converts to any Result.
inline Failure Fail(std::string reason)
{
    return Failure{std::move(reason)};
}

//! A value of type T, or the reason there is none.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}  // NOLINT: a value is a success
    Result(Failure failure) : m_error(std::move(failure.reason)) {}  // NOLINT

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    //! The value; only on success.
    T& value() &
    {
        assert(ok());
        return *m_value;
    }
    const T& value() const&
    {
        assert(ok());
        return *m_value;
    }
    T&& value() &&
    {
        assert(ok());
        return std::move(*m_value);
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    //! The sentence; empty on success.
    const std::string& error() const { return m_error; }

private:
    std::optional<T> m_value;
    std::string m_error;
};

//! An operation with nothing to hand back: done, or the reason it was not.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_error(std::move(failure.reason)), m_failed(true) {}  // NOLINT

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_error; }

private:
    std::string m_error;
    bool m_failed = false;
};

using Status = Result<void>;

//! Success of an operation with nothing to hand back.
inline Status Done()
{
    return {};
}

}  // namespace base
