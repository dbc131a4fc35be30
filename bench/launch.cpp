// Starts a program on the X display and watches the X server for its windows' drawing, with
// the Damage extension: the first damage on a window that is on screen is its first paint.
// Qt's windows have no server-drawn background, so nothing is damaged before the program
// itself puts pixels there. Optionally it then waits, measures the CPU time the program and
// its child processes spend, and reads their peak memory.
//
//   vbench-launch [--main TITLE] [--after TITLE] [--quiet MS] [--settle MS] [--cpu S]
//                 [--timeout S] -- program args...
//
// Prints key=value lines, times in milliseconds since just before the program was started:
//   main_paint_ms     first paint of the window titled --main
//   after_paint_ms    last paint of the window titled --after before it stayed unchanged for
//                     --quiet milliseconds (its content is complete)
//   cpu_main_ms, cpu_tree_ms   CPU time over --cpu seconds, main process and all processes
//   hwm_main_kb, hwm_tree_kb   peak resident set (VmHWM), main process and the sum over all
//   pss_tree_kb       proportional set size summed over all processes at the end
//   processes         how many processes the tree had

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start, Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(t - start).count();
}

struct Window {
    xcb_damage_damage_t damage = 0;
    std::string title;
    std::optional<Clock::time_point> firstPaint;
    std::optional<Clock::time_point> lastPaint;
};

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

std::string property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    xcb_get_property_reply_t *r
        = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr);
    std::string s;
    if (r && r->type != XCB_ATOM_NONE) {
        s.assign(static_cast<const char *>(xcb_get_property_value(r)),
            static_cast<size_t>(xcb_get_property_value_length(r)));
    }
    std::free(r);
    return s;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The process and all its descendants, found through the parent ids in /proc.
std::vector<pid_t> tree(pid_t root)
{
    std::map<pid_t, std::vector<pid_t>> children;
    if (DIR *d = ::opendir("/proc")) {
        while (const dirent *e = ::readdir(d)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
            if (pid <= 0)
                continue;
            const std::string stat = readFile("/proc/" + std::string(e->d_name) + "/stat");
            const auto close = stat.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream rest(stat.substr(close + 2));
            char state = 0;
            pid_t ppid = 0;
            rest >> state >> ppid;
            children[ppid].push_back(pid);
        }
        ::closedir(d);
    }
    std::vector<pid_t> all{root};
    for (size_t i = 0; i < all.size(); ++i)
        for (pid_t child : children[all[i]])
            all.push_back(child);
    return all;
}

// Nanoseconds on a CPU, summed over the process's live threads (schedstat is exact, unlike
// the tick-sampled utime).
long long cpuNs(pid_t pid)
{
    long long total = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *d = ::opendir(dir.c_str())) {
        while (const dirent *e = ::readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            std::istringstream in(readFile(dir + "/" + e->d_name + "/schedstat"));
            long long ns = 0;
            if (in >> ns)
                total += ns;
        }
        ::closedir(d);
    }
    return total;
}

long long statusKb(pid_t pid, const char *field, const char *file = "status")
{
    std::istringstream in(readFile("/proc/" + std::to_string(pid) + "/" + file));
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atoll(line.c_str() + n);
    return 0;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr,
        "usage: vbench-launch [--main TITLE] [--after TITLE] [--quiet MS] [--settle MS] "
        "[--cpu S] [--timeout S] -- program args...\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    std::string mainTitle;
    std::string afterTitle;
    int quietMs = 1500;
    int settleMs = 0;
    double cpuSeconds = 0;
    double timeoutSeconds = 60;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--")
            break;
        if (i + 1 >= argc)
            usage();
        const char *v = argv[++i];
        if (a == "--main")
            mainTitle = v;
        else if (a == "--after")
            afterTitle = v;
        else if (a == "--quiet")
            quietMs = std::atoi(v);
        else if (a == "--settle")
            settleMs = std::atoi(v);
        else if (a == "--cpu")
            cpuSeconds = std::atof(v);
        else if (a == "--timeout")
            timeoutSeconds = std::atof(v);
        else
            usage();
    }
    if (i + 1 >= argc)
        usage();
    char **program = argv + i + 1;

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "vbench-launch: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t *damageExt = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damageExt || !damageExt->present) {
        std::fprintf(stderr, "vbench-launch: the X server has no Damage extension\n");
        return 1;
    }
    std::free(xcb_damage_query_version_reply(c,
        xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), nullptr));
    const uint8_t damageNotify = damageExt->first_event + XCB_DAMAGE_NOTIFY;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int s = 0; s < screenNumber; ++s)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the selection is in force before the program can make a window.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::execvp(program[0], program);
        std::perror("vbench-launch: exec");
        ::_exit(127);
    }
    ::setpgid(child, child);

    std::map<xcb_window_t, Window> windows;
    const auto titleOf = [&](xcb_window_t w) {
        std::string t = property(c, w, netWmName, utf8);
        return t.empty() ? property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) : t;
    };
    const auto find = [&](const std::string &title) -> Window * {
        for (auto &[id, w] : windows) {
            if (w.title.empty() && w.firstPaint)
                w.title = titleOf(id);
            if (!title.empty() && w.title == title && w.firstPaint)
                return &w;
        }
        return nullptr;
    };
    const auto done = [&] {
        const Window *m = mainTitle.empty() ? nullptr : find(mainTitle);
        if (!mainTitle.empty() && !m)
            return false;
        if (afterTitle.empty())
            return true;
        const Window *a = find(afterTitle);
        return a && msSince(*a->lastPaint, Clock::now()) >= quietMs;
    };

    bool exited = false;
    bool timedOut = false;
    const int fd = xcb_get_file_descriptor(c);
    while (!done()) {
        if (::waitpid(child, nullptr, WNOHANG) == child) {
            exited = true;
            break;
        }
        if (msSince(start, Clock::now()) > timeoutSeconds * 1000) {
            timedOut = true;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 20);
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            const Clock::time_point now = Clock::now();
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto *ce = reinterpret_cast<xcb_create_notify_event_t *>(e);
                Window &w = windows[ce->window];
                w.damage = xcb_generate_id(c);
                xcb_damage_create(c, w.damage, ce->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(c);
            } else if (type == XCB_MAP_NOTIFY) {
                const auto *me = reinterpret_cast<xcb_map_notify_event_t *>(e);
                auto found = windows.find(me->window);
                if (found != windows.end())
                    found->second.title = titleOf(me->window);
            } else if (type == damageNotify) {
                const auto *de = reinterpret_cast<xcb_damage_notify_event_t *>(e);
                auto found = windows.find(de->drawable);
                if (found != windows.end()) {
                    Window &w = found->second;
                    if (!w.firstPaint)
                        w.firstPaint = now;
                    w.lastPaint = now;
                    // Rearm: with this report level the next damage is reported again only
                    // after the region has been emptied.
                    xcb_damage_subtract(c, w.damage, XCB_NONE, XCB_NONE);
                    xcb_flush(c);
                }
            }
            std::free(e);
        }
    }

    if (exited)
        std::printf("error=exited\n");
    if (timedOut)
        std::printf("error=timeout\n");
    if (const Window *m = mainTitle.empty() ? nullptr : find(mainTitle))
        std::printf("main_paint_ms=%.1f\n", msSince(start, *m->firstPaint));
    if (const Window *a = afterTitle.empty() ? nullptr : find(afterTitle))
        std::printf("after_paint_ms=%.1f\n", msSince(start, *a->lastPaint));

    if (!exited && !timedOut) {
        if (settleMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
        if (cpuSeconds > 0) {
            const std::vector<pid_t> before = tree(child);
            std::map<pid_t, long long> ns;
            for (pid_t p : before)
                ns[p] = cpuNs(p);
            std::this_thread::sleep_for(std::chrono::duration<double>(cpuSeconds));
            long long mainNs = 0;
            long long treeNs = 0;
            for (pid_t p : tree(child)) {
                const long long d = cpuNs(p) - ns[p];
                treeNs += d;
                if (p == child)
                    mainNs = d;
            }
            std::printf(
                "cpu_main_ms=%.3f\ncpu_tree_ms=%.3f\n", double(mainNs) / 1e6, double(treeNs) / 1e6);
        }
        const std::vector<pid_t> all = tree(child);
        long long hwm = 0;
        long long pss = 0;
        for (pid_t p : all) {
            hwm += statusKb(p, "VmHWM:");
            pss += statusKb(p, "Pss:", "smaps_rollup");
        }
        std::printf("hwm_main_kb=%lld\nhwm_tree_kb=%lld\npss_tree_kb=%lld\nprocesses=%zu\n",
            statusKb(child, "VmHWM:"), hwm, pss, all.size());
    }

    // End what we started: the process group, then any descendant that left it.
    const std::vector<pid_t> all = exited ? std::vector<pid_t>{} : tree(child);
    ::kill(-child, SIGTERM);
    for (pid_t p : all)
        ::kill(p, SIGTERM);
    for (int k = 0; k < 100 && ::waitpid(child, nullptr, WNOHANG) != child; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(-child, SIGKILL);
    for (pid_t p : all)
        ::kill(p, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::fflush(stdout);
    xcb_disconnect(c);
    return exited || timedOut ? 1 : 0;
}
