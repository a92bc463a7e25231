#pragma once

// A scratch folder for the targets whose readers take a path: in memory
// (/dev/shm) where there is one, so that every run's writes and the atomic
// writes' flushes cost no disk; removed when the fuzzer ends normally (a
// crash leaves it, beside the input that caused it).

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzzfolder {

inline const std::string& make(const char* name)
{
    // Never destroyed: the folder is removed at exit, after static destructors may have run.
    static const std::string* path = [name] {
        std::string base = "/dev/shm";
        if (::access(base.c_str(), W_OK | X_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/quorvane-" + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        auto* made = new std::string(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*path, ignored);
        });
        return made;
    }();
    return *path;
}

// Puts the input where a reader takes it from: a plain write, without the
// atomic write's flushes and rename, which the run does not need.
inline void writeInput(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

}  // namespace fuzzfolder
