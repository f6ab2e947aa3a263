// Another local user watching folders that jobs write into, as an attacker would: it opens for reading every
// file the moment it appears (inotify tells), keeps it open, and at the end reads what it could open. It
// prints "watching" once it watches, then, when standard input closes, how many files it could open and
// how many of them held the text given.
// Usage: tessely_watch_folders USER TEXT FOLDER...   (USER: the account to run as when started as root)
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s USER TEXT FOLDER...\n", argv[0]);
        return 2;
    }
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam(argv[1]);
        if (user == nullptr || ::setgroups(0, nullptr) != 0 || ::setgid(user->pw_gid) != 0
            || ::setuid(user->pw_uid) != 0) {
            std::fprintf(stderr, "cannot become %s\n", argv[1]);
            return 2;
        }
    }
    const int watch = ::inotify_init1(IN_CLOEXEC);
    std::vector<std::pair<int, std::string>> folders;
    for (int i = 3; i < argc; ++i) {
        const int id = ::inotify_add_watch(watch, argv[i], IN_CREATE | IN_MOVED_TO);
        if (id < 0) {
            std::fprintf(stderr, "cannot watch %s: %s\n", argv[i], std::strerror(errno));
            return 2;
        }
        folders.emplace_back(id, argv[i]);
    }
    std::puts("watching");
    std::fflush(stdout);

    std::vector<int> opened;
    alignas(inotify_event) char buffer[64 * 1024];
    pollfd waits[2] = { { watch, POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    for (;;) {
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if ((waits[0].revents & POLLIN) != 0) {
            const ssize_t got = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; got > 0 && at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                for (const auto& [id, folder] : folders) {
                    if (id != event->wd || event->len == 0)
                        continue;
                    const int fd = ::open((folder + "/" + event->name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0)
                        opened.push_back(fd);
                }
            }
        }
        if ((waits[1].revents & (POLLIN | POLLHUP)) != 0) {
            char ignored[64];
            if (::read(STDIN_FILENO, ignored, sizeof ignored) <= 0)
                break;
        }
    }
    // The files are read only now, when the jobs have written them: an open file stays readable whatever
    // its permissions became after it was opened.
    std::size_t readable = 0;
    for (const int fd : opened) {
        std::string content;
        char chunk[65536];
        ::lseek(fd, 0, SEEK_SET);
        for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
            content.append(chunk, static_cast<std::size_t>(got));
        readable += content.find(argv[2]) != std::string::npos ? 1 : 0;
        ::close(fd);
    }
    std::printf("opened %zu, read %zu\n", opened.size(), readable);
    return 0;
}
