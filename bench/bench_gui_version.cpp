// Reading the version block of build/quindle from the file on disk, as the
// main window does on its first activation for its caption. The peer is one
// plain read of the whole executable: the version read should cost a small
// part of that, because the block lies near the start of the file.
#include "help/tgetversioninfofromfile.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace {

QString executable;

void BM_ReadVersionOfExecutable(benchmark::State& state)
{
    for (auto _ : state) {
        TGetVersionInfoFromFile reader;
        reader.setFileName(executable);
        if (reader.VersionStrings().value(2) != QStringLiteral("1.0.0.3")) {
            state.SkipWithError("no version 1.0.0.3 in the executable");
            break;
        }
        benchmark::DoNotOptimize(reader.VersionStrings());
    }
}
BENCHMARK(BM_ReadVersionOfExecutable)->Unit(benchmark::kMicrosecond);

void BM_PeerReadWholeExecutable(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(executable);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the executable");
            break;
        }
        QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_PeerReadWholeExecutable)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Reads the quindle beside this benchmark (or one folder up) unless given
    // a path in QUINDLE_EXECUTABLE.
    executable = qEnvironmentVariable("QUINDLE_EXECUTABLE");
    if (executable.isEmpty()) {
        char self[4096] = {};
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        const QString folder = n > 0 ? QFileInfo(QString::fromLocal8Bit(self, n)).absolutePath() : QString();
        executable = folder + QStringLiteral("/quindle");
        if (!QFileInfo::exists(executable))
            executable = folder + QStringLiteral("/../quindle");
    }
    std::printf("executable: %s (%lld bytes)\n", qPrintable(executable), QFileInfo(executable).size());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
