#pragma once

#include <QFile>
#include <QString>

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::testing {

// Runs `body` in a child process that read-only folders bind: as the user
// "nobody" when the tests run as root (root writes wherever it likes), as
// the tests' own user otherwise. True when the body returned true. The body
// must not use test assertions (they would report in the child); the
// folders it touches must be open to that user (see openToEveryone).
inline bool runUnprivileged(const std::function<bool()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Read, write and enter for everyone, so that runUnprivileged's body can
// work in a folder the test made.
inline void openToEveryone(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser
                                    | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

// Read and enter for everyone, writable by no one but root.
inline void makeReadOnlyForEveryone(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadUser | QFileDevice::ExeUser | QFileDevice::ReadOwner
                                    | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                    | QFileDevice::ReadOther | QFileDevice::ExeOther);
}

} // namespace velmora::testing
