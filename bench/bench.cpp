// Times a whole DISC1 split three ways, alternating, with a warm page cache:
//   cp      a plain kernel copy of the archive (the floor)
//   dd      a copy through a 20480-byte user buffer (the floor of any such copy)
//   core    the extraction alone, through a host that only keeps the progress values
//   window  the real window, in a process of its own, from the click on the button to "完了"
// and prints the medians, their ratios to cp and the window's peak memory. Each window
// process splits the disc three times; its first split is timed, all three count for memory.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Archive.h"
#include "DiscCatalogue.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class QuietHost : public ExtractionHost {
public:
    std::string folder;
    int max = 0, position = 0, messages = 0;

    std::string OutputFolderText() override { return folder; }
    std::string MovieListItem(int index) override { return std::string(MovieTitle(kDisc1, index)); }
    void SetStatusText(const std::string&) override {}
    void SetProgressMax(int value) override { max = value; }
    int ProgressMax() override { return max; }
    void SetProgressPosition(int value) override { position = value; }
    int ProgressPosition() override { return position; }
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override
    {
        ++messages;
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    void PumpEvents() override {}
};

// Non-zero, non-repeating bytes, so no layer can take a shortcut on the data.
bool WriteArchive(const fs::path& path)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint64_t> chunk(1 << 17);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::int64_t written = 0; written < DiscCatalogue::Disc1ArchiveSize;) {
        for (auto& word : chunk) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            word = state | 0x0101010101010101ULL;
        }
        const auto n = std::min<std::int64_t>(DiscCatalogue::Disc1ArchiveSize - written, chunk.size() * 8);
        out.write(reinterpret_cast<const char*>(chunk.data()), n);
        written += n;
    }
    return out.good();
}

int Run(const std::vector<std::string>& args, std::string* output = nullptr);

// Empties the output folder and lets the kernel write back what the last run left dirty,
// so that no run pays for the one before it.
void ClearFolder(const fs::path& dir)
{
    for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    Run({"sync"});
}

int Run(const std::vector<std::string>& args, std::string* output)
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        if (output != nullptr) output->append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double SplitWithCore(const fs::path& discRoot, const fs::path& out)
{
    QuietHost host;
    host.folder = out.string() + "/";
    const auto start = Clock::now();
    const std::string archive = BuildArchivePath(discRoot.string());
    if (IdentifyDisc(host, archive) != kDisc1) std::exit(2);
    for (int i = 0; i < MovieCount(kDisc1); ++i) ExtractMovie(host, kDisc1, i, archive);
    const double elapsed = Seconds(Clock::now() - start);
    if (host.messages != 0) std::exit(2);
    return elapsed;
}

bool SameBytes(const fs::path& archive, const fs::path& out)
{
    QuietHost names;
    std::ifstream in(archive, std::ios::binary);
    std::vector<char> a(CopyBlockSize), b(CopyBlockSize);
    for (int i = 0; i < MovieCount(kDisc1); ++i) {
        std::ifstream movie(out / (names.MovieListItem(i) + ".cpk"), std::ios::binary);
        for (std::int64_t left = MovieSize(kDisc1, i); left > 0;) {
            const auto n = static_cast<std::streamsize>(std::min<std::int64_t>(left, CopyBlockSize));
            in.read(a.data(), n);
            movie.read(b.data(), n);
            if (!in || !movie || !std::equal(a.begin(), a.begin() + n, b.begin())) return false;
            left -= n;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    const fs::path windowBench = fs::path(argv[0]).parent_path() / "window_bench";
    const bool withWindow = fs::exists(windowBench);

    const fs::path base = fs::temp_directory_path() / ("cpksplit-bench-" + std::to_string(getpid()));
    const fs::path disc = base / "disc", out = base / "out";
    fs::create_directories(disc);
    fs::create_directories(out);
    std::printf("making a %lld-byte archive in %s\n", static_cast<long long>(DiscCatalogue::Disc1ArchiveSize),
                base.c_str());
    if (!WriteArchive(disc / "mildor4")) return 1;
    Run({"cat", (disc / "mildor4").string()}, nullptr);  // warm the page cache

    SplitWithCore(disc, out);
    if (!SameBytes(disc / "mildor4", out)) {
        std::fprintf(stderr, "the split movies differ from the archive\n");
        return 1;
    }
    ClearFolder(out);

    std::vector<double> cp, dd, core, window;
    long peakKb = 0, growthKb = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        Run({"cp", "--reflink=never", (disc / "mildor4").string(), (out / "copy").string()});
        cp.push_back(Seconds(Clock::now() - start));
        ClearFolder(out);

        // What any copy through a 20480-byte user buffer costs: the floor of this design.
        start = Clock::now();
        Run({"dd", "if=" + (disc / "mildor4").string(), "of=" + (out / "copy").string(), "bs=20480", "status=none"});
        dd.push_back(Seconds(Clock::now() - start));
        ClearFolder(out);

        core.push_back(SplitWithCore(disc, out));
        ClearFolder(out);

        if (withWindow) {
            std::string report;
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            if (Run({windowBench.string(), disc.string(), out.string()}, &report) != 0) {
                std::fprintf(stderr, "window run failed: %s\n", report.c_str());
                return 1;
            }
            double seconds = 0;
            long kb = 0, afterOnce = 0, afterThrice = 0;
            std::sscanf(report.c_str(), "seconds=%lf peak_kb=%ld after1_kb=%ld after3_kb=%ld", &seconds, &kb,
                        &afterOnce, &afterThrice);
            window.push_back(seconds);
            peakKb = std::max(peakKb, kb);
            growthKb = std::max(growthKb, afterThrice - afterOnce);
            if (round == 0) std::printf("window run: %s", report.c_str());
            ClearFolder(out);
        }
        std::printf("round %d: cp %.3f s, dd %.3f s, core %.3f s%s\n", round + 1, cp.back(), dd.back(), core.back(),
                    withWindow ? (", window " + std::to_string(window.back()) + " s").c_str() : "");
    }
    fs::remove_all(base);

    const double cpMedian = Median(cp);
    std::printf("cp      median %.3f s\n", cpMedian);
    std::printf("dd      median %.3f s  dd/cp ratio: %.2f (bs=20480)\n", Median(dd), Median(dd) / cpMedian);
    std::printf("core    median %.3f s  core/cp ratio: %.2f\n", Median(core), Median(core) / cpMedian);
    if (withWindow) {
        std::printf("window  median %.3f s  window/core ratio: %.2f\n", Median(window), Median(window) / Median(core));
        std::printf("window  peak memory %.1f MB; after three splits %+.2f MB against one\n", peakKb / 1024.0,
                    growthKb / 1024.0);
        std::printf("window/cp ratio: %.2f\n", Median(window) / cpMedian);
    }
    return 0;
}
