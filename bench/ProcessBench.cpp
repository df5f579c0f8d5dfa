// Command execution beside the bare system calls doing the same work.
//
//   BM_ExecuteCMD_true            ExecuteCMD("true"): bash through posix_spawn, two pipes drained
//   BM_Baseline_spawn_bash_true   posix_spawn + waitpid of "/bin/bash -c true", no pipes
//   BM_ExecuteCustomCMD_cat64MiB  ExecuteCustomCMD("/bin/cat", {file}) on a 64 MiB file
//   BM_Baseline_read64MiB         read() of the same file into memory

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "XQKit/Process.h"

extern char** environ;

namespace {

constexpr std::size_t kFileSize = 64u << 20;

const std::string& bigFile() {
    static const std::string path = [] {
        std::string p = "/tmp/xq-bench-cat-" + std::to_string(getpid());
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::vector<char> line(1 << 20, 'a');
        for (std::size_t i = 0; i < line.size(); i += 64) line[i] = '\n';
        for (std::size_t written = 0; written < kFileSize; written += line.size()) std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_ExecuteCMD_true(benchmark::State& state) {
    for (auto _ : state) {
        auto out = ExecuteCMD("true");
        if (!out) state.SkipWithError("ExecuteCMD failed");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ExecuteCMD_true)->Unit(benchmark::kMicrosecond);

void BM_Baseline_spawn_bash_true(benchmark::State& state) {
    char bash[] = "/bin/bash", dashC[] = "-c", cmd[] = "true";
    char* argv[] = {bash, dashC, cmd, nullptr};
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawn(&pid, "/bin/bash", nullptr, nullptr, argv, environ) != 0) state.SkipWithError("spawn failed");
        int status;
        waitpid(pid, &status, 0);
    }
}
BENCHMARK(BM_Baseline_spawn_bash_true)->Unit(benchmark::kMicrosecond);

void BM_ExecuteCustomCMD_cat64MiB(benchmark::State& state) {
    const std::string& path = bigFile();
    for (auto _ : state) {
        auto out = ExecuteCustomCMD("/bin/cat", {path});
        if (!out || out->size() + 1 < kFileSize) state.SkipWithError("cat output incomplete");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_ExecuteCustomCMD_cat64MiB)->Unit(benchmark::kMillisecond);

void BM_Baseline_read64MiB(benchmark::State& state) {
    const std::string& path = bigFile();
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::string data;
        data.resize(kFileSize);
        std::size_t got = 0;
        ssize_t n;
        while ((n = read(fd, data.data() + got, data.size() - got)) > 0) got += static_cast<std::size_t>(n);
        close(fd);
        data.resize(got);
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_Baseline_read64MiB)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(bigFile().c_str());
    return 0;
}
